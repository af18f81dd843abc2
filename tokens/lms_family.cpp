// Entry points of the LMS tokens: Feintuch's recursive LMS and the two- and
// three-channel transversal LMS.
#include "tokens/lms_tokens.h"

namespace adaptive {

using LmsToken = RecursiveLmsToken<PlainLmsGain, CatalogueIndex("LMS")>;
using Lms2Token = MultiChannelLmsToken<2, PlainLmsGain, CatalogueIndex("LMS2")>;
using Lms3Token = MultiChannelLmsToken<3, PlainLmsGain, CatalogueIndex("LMS3")>;

ADAPTIVE_TOKEN_ENTRY(LMS, LmsToken)
ADAPTIVE_TOKEN_ENTRY(LMS2, Lms2Token)
ADAPTIVE_TOKEN_ENTRY(LMS3, Lms3Token)

}  // namespace adaptive
