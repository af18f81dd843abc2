// The entry protocol shared by all token entry points: the library-wide state of
// the call in progress and the routine that creates, runs or destroys an instance.
#pragma once

#include <cstdint>
#include <new>

#include "host/catalogue_table.h"
#include "host/records.h"

// Status codes returned to the host.
constexpr int32_t kStatusOk = 0;
constexpr int32_t kStatusBadParameter = 1;   // also: a final-weights file cannot be opened or written
constexpr int32_t kStatusNoToken = 1001;     // the token object cannot be allocated
constexpr int32_t kStatusNoStorage = 1002;   // filter storage cannot be allocated

// State of the call in progress. Set at the start of every entry call; the values
// between calls mean nothing. Calls come one at a time from the host's thread.
extern int32_t TokenStatus;
extern SimContext* CurrentSimContext;
extern TokenRecord* CurrentTokenRecord;

// Allocates and constructs one token object; null when the allocation failed.
using TokenFactory = AdaptiveToken* (*)();

// Creation (initFlag, which wins), destruction (terminateFlag) or one run call.
// Returns the call's status. After destruction, and after a creation call whose
// allocation failed, the record's instance is null, so nothing is run or
// destroyed twice; a run call on a record without an instance does nothing.
int32_t DispatchTokenCall(SimContext* context, TokenRecord* record, TokenFactory factory);

// Defines the exported entry point NAME for token class CLASS, whose kEntry
// must be NAME's position in the catalogue (see tokens/parameters.h).
#define ADAPTIVE_TOKEN_ENTRY(NAME, CLASS)                                                     \
  static_assert(CLASS::kEntry == CatalogueIndex(#NAME), #CLASS " reads another entry's parameters"); \
  static AdaptiveToken* NAME##Factory() { return new (std::nothrow) CLASS(); }                \
  extern "C" ADAPTIVE_EXPORT int32_t ADAPTIVE_CALL NAME(SimContext* context, TokenRecord* record) { \
    return DispatchTokenCall(context, record, &NAME##Factory);                                \
  }
