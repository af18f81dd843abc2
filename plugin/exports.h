// The plug-in's exported functions, for programs that link the plug-in's
// objects directly (tests, fuzzers). Hosts resolve them by name instead.
#pragma once

#include "plugin/records.h"
#include "tokens/catalogue_families.h"

#define ADAPTIVE_DECLARE_EXPORT(NAME) \
  extern "C" ADAPTIVE_EXPORT int32_t ADAPTIVE_CALL NAME(adaptive::SimContext* context, adaptive::TokenRecord* record);
ADAPTIVE_FOR_EACH_ENTRY(ADAPTIVE_DECLARE_EXPORT)
#undef ADAPTIVE_DECLARE_EXPORT

extern "C" ADAPTIVE_EXPORT void ADAPTIVE_CALL USERCODE(adaptive::LibraryInfo* info);
