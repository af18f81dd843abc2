// Entry points of the random-walk tokens: the RLS tokens with the random-walk
// variance added to the diagonal of P after every update.
#include "tokens/random_walk.h"
#include "tokens/rls_tokens.h"

namespace adaptive {

using GenRwToken = GeneralRlsToken<RandomWalk, CatalogueIndex("GenRW")>;
using Rw1Token = RlsToken<RandomWalk, CatalogueIndex("RW1")>;
using Rw2Token = MultiChannelRlsToken<2, RandomWalk, CatalogueIndex("RW2")>;
using Rw3Token = MultiChannelRlsToken<3, RandomWalk, CatalogueIndex("RW3")>;

ADAPTIVE_TOKEN_ENTRY(GenRW, GenRwToken)
ADAPTIVE_TOKEN_ENTRY(RW1, Rw1Token)
ADAPTIVE_TOKEN_ENTRY(RW2, Rw2Token)
ADAPTIVE_TOKEN_ENTRY(RW3, Rw3Token)

}  // namespace adaptive
