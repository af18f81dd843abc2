// Entry points of the general-gradient tokens.
#include "tokens/general_gradient_tokens.h"

using GenLmsAToken = GeneralGradientToken<PortStepLmsGain>;
using GenLmsBToken = GeneralGradientToken<ParameterStepLmsGain>;
using GenNlmsToken = GeneralGradientToken<NormalisedGradientGain>;

ADAPTIVE_TOKEN_ENTRY(GenLMS_A, GenLmsAToken)
ADAPTIVE_TOKEN_ENTRY(GenLMS_B, GenLmsBToken)
ADAPTIVE_TOKEN_ENTRY(GenNLMS, GenNlmsToken)
