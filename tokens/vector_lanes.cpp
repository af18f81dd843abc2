#include "tokens/vector_lanes.h"

#include <cstdlib>
#include <cstring>

namespace adaptive {

namespace {

#ifdef ADAPTIVE_WIDE_KERNELS
// The cap that ADAPTIVE_VECTOR_BITS sets (128, 256 or 512), in doubles;
// 8 when it is not set or holds anything else.
int CappedLanes() {
  const char* bits = std::getenv("ADAPTIVE_VECTOR_BITS");
  if (bits == nullptr) return 8;
  if (std::strcmp(bits, "128") == 0) return 2;
  if (std::strcmp(bits, "256") == 0) return 4;
  return 8;
}

// The processor's support includes the operating system's: the compiler's
// check reads whether the OS saves the wider registers.
int WidestLanes() {
  __builtin_cpu_init();
  const int cap = CappedLanes();
  if (cap >= 8 && __builtin_cpu_supports("avx512f")) return 8;
  if (cap >= 4 && __builtin_cpu_supports("avx2")) return 4;
  return 2;
}
#else
int WidestLanes() { return 2; }
#endif

const int kWidestLanes = WidestLanes();

}  // namespace

int kernelLanes = kWidestLanes;

int SelectKernelLanes(int wanted) {
  const int previous = kernelLanes;
  kernelLanes = wanted < kWidestLanes ? (wanted >= 4 ? 4 : 2) : kWidestLanes;
  return previous;
}

}  // namespace adaptive
