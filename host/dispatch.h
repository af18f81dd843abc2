// The entry protocol shared by all token entry points: a thin adapter from the
// host's records to a token's explicit context (host/token_call.h).
#pragma once

#include <cstdint>
#include <new>

#include "host/adaptive_token.h"
#include "host/catalogue_table.h"
#include "host/records.h"

namespace adaptive {

// Allocates and constructs one token object; null when the allocation failed.
using TokenFactory = AdaptiveToken* (*)(TokenSetup& setup);

// Creation (initFlag, which wins), destruction (terminateFlag) or one run call.
// Returns the call's status; a failing call leaves its message in the
// context's errorText. After destruction, and after a creation call whose
// allocation failed, the record's instance is null, so nothing is run or
// destroyed twice; a run call on a record without an instance does nothing.
int32_t DispatchTokenCall(SimContext* context, TokenRecord* record, TokenFactory factory);

}  // namespace adaptive

// Defines the factory CreateNAME of token class CLASS, whose kEntry must be
// NAME's position in the catalogue (see tokens/parameters.h). Used inside
// namespace adaptive; the plug-in exports NAME (host/exports.cpp).
#define ADAPTIVE_TOKEN_ENTRY(NAME, CLASS)                                                            \
  static_assert(CLASS::kEntry == CatalogueIndex(#NAME), #CLASS " reads another entry's parameters"); \
  AdaptiveToken* Create##NAME(TokenSetup& setup) { return new (std::nothrow) CLASS(setup); }
