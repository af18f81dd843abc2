// The factories and descriptor of the RLS tokens.
#include "tokens/rls_tokens.h"

namespace adaptive {

using GenRlsToken = GeneralRlsToken<NoRandomWalk, CatalogueIndex("GenRLS")>;
using Rls1Token = RlsToken<NoRandomWalk, CatalogueIndex("RLS1")>;
using Rls2Token = MultiChannelRlsToken<2, NoRandomWalk, CatalogueIndex("RLS2")>;
using Rls3Token = MultiChannelRlsToken<3, NoRandomWalk, CatalogueIndex("RLS3")>;

static_assert(ReadTheirRows<GenRlsToken, Rls1Token, Rls2Token, Rls3Token>(kRlsRows), "the factories and the rows disagree");
const TokenFactory kRlsFactories[] = {&MakeToken<GenRlsToken>, &MakeToken<Rls1Token>, &MakeToken<Rls2Token>, &MakeToken<Rls3Token>};
const FamilyDescriptor kRlsFamily = {"RLS", kRlsRows, 4, kRlsFactories,
                                       {"P", 0, true, false}};

}  // namespace adaptive
