#include "tokens/vector_lanes.h"

namespace adaptive {

namespace {

#ifdef ADAPTIVE_WIDE_KERNELS
// The processor's support includes the operating system's: the compiler's
// check reads whether the OS saves the wider registers.
int WidestLanes() {
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f")) return 8;
  if (__builtin_cpu_supports("avx2")) return 4;
  return 2;
}
#else
int WidestLanes() { return 2; }
#endif

const int kWidestLanes = WidestLanes();
int lanes = kWidestLanes;

}  // namespace

int KernelLanes() { return lanes; }

int SelectKernelLanes(int wanted) {
  const int previous = lanes;
  lanes = wanted < kWidestLanes ? (wanted >= 4 ? 4 : 2) : kWidestLanes;
  return previous;
}

}  // namespace adaptive
