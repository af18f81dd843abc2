// The library's tokens by the names of their entry points: one factory each
// (defined with ADAPTIVE_TOKEN_ENTRY in the family's source), and the list of
// every name in catalogue order from which the plug-in's exports
// (plugin/exports.cpp) and the linked library's lookup are generated.
#pragma once

#include "core/catalogue_table.h"
#include "core/token_factory.h"

// Every entry point, in catalogue order: X(NAME) for each.
#define ADAPTIVE_FOR_EACH_ENTRY(X) \
  X(LMS) X(LMS2) X(LMS3) X(GenLMS_A) X(GenLMS_B) X(GenNLMS) \
  X(NLMS) X(NLMS2) X(NLMS3) X(GenNEW) X(NEW) X(NEW2) \
  X(NEW3) X(QR1) X(QR2) X(QR3) X(GenRLS) X(RLS1) \
  X(RLS2) X(RLS3) X(GenRW) X(RW1) X(RW2) X(RW3)

namespace adaptive {

#define ADAPTIVE_DECLARE_FACTORY(NAME) AdaptiveToken* Create##NAME(TokenSetup& setup);
ADAPTIVE_FOR_EACH_ENTRY(ADAPTIVE_DECLARE_FACTORY)
#undef ADAPTIVE_DECLARE_FACTORY

// The factory of the token whose entry point is called `name`, or null.
TokenFactory FindTokenFactory(const char* name);

}  // namespace adaptive

// Defines the factory CreateNAME of token class CLASS, whose kEntry must be
// NAME's position in the catalogue (see tokens/parameters.h). Used inside
// namespace adaptive; the plug-in exports NAME (plugin/exports.cpp).
#define ADAPTIVE_TOKEN_ENTRY(NAME, CLASS)                                                            \
  static_assert(CLASS::kEntry == CatalogueIndex(#NAME), #CLASS " reads another entry's parameters"); \
  AdaptiveToken* Create##NAME(TokenSetup& setup) { return MakeToken<CLASS>(setup); }
