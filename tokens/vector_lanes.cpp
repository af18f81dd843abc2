#include "tokens/vector_lanes.h"

namespace adaptive {

#ifdef ADAPTIVE_WIDE_KERNELS
namespace {
const bool kWideVectorsAvailable = (__builtin_cpu_init(), __builtin_cpu_supports("avx2") != 0);
bool wideVectors = kWideVectorsAvailable;
}  // namespace

bool WideKernelsSelected() { return wideVectors; }

bool SelectWideKernels(bool wide) {
  const bool previous = wideVectors;
  wideVectors = wide && kWideVectorsAvailable;
  return previous;
}
#else
bool SelectWideKernels(bool) { return false; }
#endif

}  // namespace adaptive
