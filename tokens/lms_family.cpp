// The factories and descriptor of the LMS tokens: Feintuch's recursive LMS and the two- and
// three-channel transversal LMS.
#include "tokens/lms_tokens.h"

namespace adaptive {

using LmsToken = RecursiveLmsToken<PlainLmsGain, CatalogueIndex("LMS")>;
using Lms2Token = MultiChannelLmsToken<2, PlainLmsGain, CatalogueIndex("LMS2")>;
using Lms3Token = MultiChannelLmsToken<3, PlainLmsGain, CatalogueIndex("LMS3")>;

static_assert(ReadTheirRows<LmsToken, Lms2Token, Lms3Token>(kLmsRows), "the factories and the rows disagree");
const TokenFactory kLmsFactories[] = {&MakeToken<LmsToken>, &MakeToken<Lms2Token>, &MakeToken<Lms3Token>};
const FamilyDescriptor kLmsFamily = {"LMS", kLmsRows, 3, kLmsFactories,
                                       {"the coefficients", 0, false, false}};

}  // namespace adaptive
