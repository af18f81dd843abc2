// Entry points of the RLS tokens.
#include "tokens/rls_tokens.h"

namespace adaptive {

using GenRlsToken = GeneralRlsToken<NoRandomWalk, CatalogueIndex("GenRLS")>;
using Rls1Token = RlsToken<NoRandomWalk, CatalogueIndex("RLS1")>;
using Rls2Token = MultiChannelRlsToken<2, NoRandomWalk, CatalogueIndex("RLS2")>;
using Rls3Token = MultiChannelRlsToken<3, NoRandomWalk, CatalogueIndex("RLS3")>;

ADAPTIVE_TOKEN_ENTRY(GenRLS, GenRlsToken)
ADAPTIVE_TOKEN_ENTRY(RLS1, Rls1Token)
ADAPTIVE_TOKEN_ENTRY(RLS2, Rls2Token)
ADAPTIVE_TOKEN_ENTRY(RLS3, Rls3Token)

}  // namespace adaptive
