// The entry protocol shared by all token entry points: a thin adapter from the
// host's records to a token's explicit context (core/token_call.h).
#pragma once

#include <cstdint>
#include "core/token_factory.h"
#include "plugin/records.h"

namespace adaptive {

// Creation (initFlag, which wins), destruction (terminateFlag) or one run call.
// Returns the call's status; a failing call leaves its message in the
// context's errorText. After destruction, and after a creation call whose
// allocation failed, the record's instance is null, so nothing is run or
// destroyed twice; a run call on a record without an instance does nothing.
int32_t DispatchTokenCall(SimContext* context, TokenRecord* record, TokenFactory factory);

}  // namespace adaptive
