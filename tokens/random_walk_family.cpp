// The factories and descriptor of the random-walk tokens: the RLS tokens with the random-walk
// variance added to the diagonal of P after every update.
#include "tokens/random_walk.h"
#include "tokens/rls_tokens.h"

namespace adaptive {

using GenRwToken = GeneralRlsToken<RandomWalk, CatalogueIndex("GenRW")>;
using Rw1Token = RlsToken<RandomWalk, CatalogueIndex("RW1")>;
using Rw2Token = MultiChannelRlsToken<2, RandomWalk, CatalogueIndex("RW2")>;
using Rw3Token = MultiChannelRlsToken<3, RandomWalk, CatalogueIndex("RW3")>;

static_assert(ReadTheirRows<GenRwToken, Rw1Token, Rw2Token, Rw3Token>(kRandomWalkRows), "the factories and the rows disagree");
const TokenFactory kRandomWalkFactories[] = {&MakeToken<GenRwToken>, &MakeToken<Rw1Token>, &MakeToken<Rw2Token>, &MakeToken<Rw3Token>};
const FamilyDescriptor kRandomWalkFamily = {"random walk", kRandomWalkRows, 4, kRandomWalkFactories,
                                       {"P", 0, true, false}};

}  // namespace adaptive
