#include "tokens/vector_lanes.h"

namespace adaptive {

#ifdef ADAPTIVE_WIDE_KERNELS
namespace {
const bool kWideVectorsAvailable = (__builtin_cpu_init(), __builtin_cpu_supports("avx2") != 0);
}  // namespace

bool wideKernelsChosen = kWideVectorsAvailable;

bool SelectWideKernels(bool wide) {
  const bool previous = wideKernelsChosen;
  wideKernelsChosen = wide && kWideVectorsAvailable;
  return previous;
}
#else
bool SelectWideKernels(bool) { return false; }
#endif

}  // namespace adaptive
