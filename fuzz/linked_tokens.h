// The token entry points as the fuzzers see them: every export of the static
// core is referenced weakly, so a token that is not built yet resolves to null
// instead of breaking the link, and the fuzzers cover each token as it lands.
#pragma once

#include <cstdint>

#include "host/records.h"

struct LinkedToken {
  const char* name;
  TokenEntryPoint entry;  // null when the core does not define it
  int32_t inputs;
  int32_t outputs;
};

// All 24 entry points in catalogue order, resolved or not.
const LinkedToken* LinkedTokens();
constexpr int kLinkedTokenCount = 24;

// The library's catalogue when USERCODE is linked in, else null. Filled once.
const LibraryInfo* LinkedCatalogue();
