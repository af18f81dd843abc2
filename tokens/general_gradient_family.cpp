// The factories and descriptor of the general-gradient tokens.
#include "tokens/general_gradient_tokens.h"

namespace adaptive {

using GenLmsAToken = GeneralGradientToken<PortStepLmsGain, CatalogueIndex("GenLMS_A")>;
using GenLmsBToken = GeneralGradientToken<ParameterStepLmsGain, CatalogueIndex("GenLMS_B")>;
using GenNlmsToken = GeneralGradientToken<NormalisedGradientGain, CatalogueIndex("GenNLMS")>;

static_assert(ReadTheirRows<GenLmsAToken, GenLmsBToken, GenNlmsToken>(kGeneralGradientRows), "the factories and the rows disagree");
const TokenFactory kGeneralGradientFactories[] = {&MakeToken<GenLmsAToken>, &MakeToken<GenLmsBToken>, &MakeToken<GenNlmsToken>};
const FamilyDescriptor kGeneralGradientFamily = {"general gradient", kGeneralGradientRows, 3, kGeneralGradientFactories,
                                       {"the coefficients", 0, false, false}};

}  // namespace adaptive
