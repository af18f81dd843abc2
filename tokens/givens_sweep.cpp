#include "tokens/givens_sweep.h"

#include <cmath>
#include <cstddef>

#include "tokens/vector_lanes.h"

namespace adaptive {

namespace {

// Below this length the rows are short and the vector loops cost more than
// they save: every row is rotated one element at a time.
constexpr int32_t kVectorLength = 8;

// Keeps the compiler from vectorising the short rows by itself: its pairs
// start wherever the diagonal falls, so each row loads pairs of the work row
// that the previous row stored as other pairs or single elements, and on the
// one chain of dependent rows every such load waits for the stores to retire
// instead of being forwarded from them. Clang, which only builds the fuzzers,
// knows no such attribute.
#if defined(__clang__)
#define ADAPTIVE_SCALAR_LOOPS
#else
#define ADAPTIVE_SCALAR_LOOPS __attribute__((optimize("no-tree-vectorize")))
#endif

// The rotation that zeros the incoming element against the diagonal one.
struct Rotation {
  double cosine = 1.0;
  double sine = 0.0;
};

inline Rotation Choose(double diagonal, double incoming, double& gamma) {
  Rotation r;
  if (incoming == 0.0) return r;
  if (std::fabs(diagonal) < kNegligibleMagnitude) {
    r.cosine = 0.0;
    r.sine = 1.0;
  } else {
    const double radius = std::sqrt(diagonal * diagonal + incoming * incoming);
    if (radius <= kNegligibleMagnitude) {
      r.cosine = 0.0;
      r.sine = 1.0;
    } else {
      r.cosine = diagonal / radius;
      r.sine = incoming / radius;
    }
  }
  gamma = gamma * r.cosine;
  return r;
}

// Elements from … N−1 of a row and of the work row: W at a time while they
// last (when W > 1), then one at a time.
template <int W>
inline __attribute__((always_inline)) void RotateRow(double* __restrict row, double* __restrict work, int32_t from,
                                                     int32_t N, double lambda, Rotation r) {
  int32_t j = from;
  if constexpr (W > 1) {
    using V = typename Lanes<W>::Type;
    for (; j + W <= N; j += W) {
      V t, w;
      Load(t, row + j);
      Load(w, work + j);
      t = t * lambda;
      Store(row + j, r.sine * w + r.cosine * t);
      Store(work + j, r.cosine * w - r.sine * t);
    }
  }
  for (; j < N; ++j) {
    const double t = row[j] * lambda;
    row[j] = r.sine * work[j] + r.cosine * t;
    work[j] = r.cosine * work[j] - r.sine * t;
  }
}

template <int W>
inline __attribute__((always_inline)) double SweepLanes(double* R, double* z, int32_t N, double lambda) {
  const std::ptrdiff_t n = N;
  double* work = R + n * n;
  double gamma = 1.0;
  for (int32_t i = 0; i < N; ++i) {
    double* row = R + n * i;
    const Rotation r = Choose(row[i] * lambda, work[i], gamma);
    RotateRow<W>(row, work, i, N, lambda, r);
    const double t = z[i] * lambda;
    z[i] = r.sine * z[N] + r.cosine * t;
    z[N] = r.cosine * z[N] - r.sine * t;
  }
  return gamma;
}

ADAPTIVE_SCALAR_LOOPS double SweepScalar(double* R, double* z, int32_t N, double lambda) {
  return SweepLanes<1>(R, z, N, lambda);
}

#ifdef ADAPTIVE_WIDE_KERNELS
ADAPTIVE_WIDE double SweepWide(double* R, double* z, int32_t N, double lambda) {
  return SweepLanes<4>(R, z, N, lambda);
}
#endif

}  // namespace

double GivensSweep(double* R, double* z, int32_t N, double lambda) {
  if (N < kVectorLength) return SweepScalar(R, z, N, lambda);
#ifdef ADAPTIVE_WIDE_KERNELS
  if (KernelLanes() >= 4) return SweepWide(R, z, N, lambda);
#endif
  return SweepLanes<2>(R, z, N, lambda);
}

}  // namespace adaptive
