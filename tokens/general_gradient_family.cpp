// Entry points of the general-gradient tokens.
#include "tokens/general_gradient_tokens.h"

namespace adaptive {

using GenLmsAToken = GeneralGradientToken<PortStepLmsGain, CatalogueIndex("GenLMS_A")>;
using GenLmsBToken = GeneralGradientToken<ParameterStepLmsGain, CatalogueIndex("GenLMS_B")>;
using GenNlmsToken = GeneralGradientToken<NormalisedGradientGain, CatalogueIndex("GenNLMS")>;

ADAPTIVE_TOKEN_ENTRY(GenLMS_A, GenLmsAToken)
ADAPTIVE_TOKEN_ENTRY(GenLMS_B, GenLmsBToken)
ADAPTIVE_TOKEN_ENTRY(GenNLMS, GenNlmsToken)

}  // namespace adaptive
