// The library's exported functions, for code that links the library directly
// (tests, benchmarks). Hosts resolve them by name instead.
#pragma once

#include "host/records.h"

// Every entry point, in catalogue order: X(NAME) for each.
#define ADAPTIVE_FOR_EACH_ENTRY(X) \
  X(LMS) X(LMS2) X(LMS3) X(GenLMS_A) X(GenLMS_B) X(GenNLMS) \
  X(NLMS) X(NLMS2) X(NLMS3) X(GenNEW) X(NEW) X(NEW2) \
  X(NEW3) X(QR1) X(QR2) X(QR3) X(GenRLS) X(RLS1) \
  X(RLS2) X(RLS3) X(GenRW) X(RW1) X(RW2) X(RW3)

#define ADAPTIVE_DECLARE_ENTRY(NAME) \
  extern "C" ADAPTIVE_EXPORT int32_t ADAPTIVE_CALL NAME(SimContext* context, TokenRecord* record);
ADAPTIVE_FOR_EACH_ENTRY(ADAPTIVE_DECLARE_ENTRY)
#undef ADAPTIVE_DECLARE_ENTRY
