#include "tokens/correlation_update.h"

#include <cstddef>
#include <cstring>

#include "tokens/parameters.h"

bool SquareMatricesFit(int32_t n, int count) {
  const uint64_t elements = static_cast<uint64_t>(n < 0 ? 0 : n) * static_cast<uint64_t>(n < 0 ? 0 : n);
  // elements < 2^62 and count is small: no wrap in 64 bits.
  if (elements * static_cast<uint64_t>(count) > static_cast<uint64_t>(PTRDIFF_MAX) / sizeof(double)) {
    ReportStorageFailure();
    return false;
  }
  return true;
}

void SetScaledIdentity(Matrix& P, double value) {
  P.zero();
  for (int32_t i = 0; i < P.rows(); ++i) P(i, i) = value;
}

void CopyTaps(const DelayLine& line, double* out) {
  line.forEachTap([out](int32_t k, double tap) { out[k] = tap; });
}

double Dot(const double* a, const double* b, int32_t n) {
  double sum = 0.0;
  for (int32_t k = 0; k < n; ++k) sum = sum + a[k] * b[k];
  return sum;
}

namespace {

// Result columns that the blocked kernels finish together: each value loaded
// from one matrix then feeds four independent sums, and four sums are in
// flight at once instead of one.
constexpr int32_t kBlock = 4;

// W doubles processed by one vector instruction. Every lane performs exactly
// the scalar operations of its element (a separate multiplication and
// addition, never fused), so the lane width changes the speed only.
template <int W>
struct Lanes {
  typedef double Type __attribute__((vector_size(W * sizeof(double))));
};

// Unaligned loads and stores (by reference: a wide vector passed by value
// would depend on the calling convention of the instruction set).
template <class V>
inline __attribute__((always_inline)) void Load(V& v, const double* from) {
  std::memcpy(&v, from, sizeof v);
}

template <class V>
inline __attribute__((always_inline)) void Store(double* to, const V& v) {
  std::memcpy(to, &v, sizeof v);
}

// Column pointers of the block starting at column j0; a block cut short by
// the matrix edge repeats its first column, whose extra results are ignored.
inline int32_t BlockColumns(const double* M, std::ptrdiff_t stride, int32_t n, int32_t j0, const double* col[kBlock]) {
  const int32_t width = n - j0 < kBlock ? n - j0 : kBlock;
  for (int32_t c = 0; c < kBlock; ++c) col[c] = M + stride * (c < width ? j0 + c : j0);
  return width;
}

// pi = P × u, four columns of P per pass: pi[i] receives the terms of
// columns j0 … j0+3 in that order, so every pi[i] still adds in ascending j.
template <int W>
inline __attribute__((always_inline)) void MultiplyByVectorLanes(const double* P, int32_t n, const double* u,
                                                                 double* __restrict pi) {
  using V = typename Lanes<W>::Type;
  const std::ptrdiff_t stride = n;
  for (int32_t i = 0; i < n; ++i) pi[i] = 0.0;
  int32_t j = 0;
  for (; j + kBlock <= n; j += kBlock) {
    const double* c0 = P + stride * j;
    const double* c1 = c0 + stride;
    const double* c2 = c1 + stride;
    const double* c3 = c2 + stride;
    const double u0 = u[j], u1 = u[j + 1], u2 = u[j + 2], u3 = u[j + 3];
    int32_t i = 0;
    for (; i + W <= n; i += W) {
      V s, t0, t1, t2, t3;
      Load(s, pi + i);
      Load(t0, c0 + i);
      Load(t1, c1 + i);
      Load(t2, c2 + i);
      Load(t3, c3 + i);
      s = s + t0 * u0;
      s = s + t1 * u1;
      s = s + t2 * u2;
      s = s + t3 * u3;
      Store(pi + i, s);
    }
    for (; i < n; ++i) pi[i] = (((pi[i] + c0[i] * u0) + c1[i] * u1) + c2[i] * u2) + c3[i] * u3;
  }
  for (; j < n; ++j) {
    const double* column = P + stride * j;
    const double uj = u[j];
    for (int32_t i = 0; i < n; ++i) pi[i] = pi[i] + column[i] * uj;
  }
}

// P = (P − gain × (x × P))·(1/λ): four sums r[j] = Σ_k x[k]·P(k,j) run side
// by side, each in ascending k, then their columns are updated.
template <int W>
inline __attribute__((always_inline)) void RowFormUpdateLanes(double* P, int32_t n, const double* x,
                                                              const double* __restrict gain, double lambdaInverse) {
  const std::ptrdiff_t stride = n;
  for (int32_t j0 = 0; j0 < n; j0 += kBlock) {
    const double* col[kBlock];
    const int32_t width = BlockColumns(P, stride, n, j0, col);
    double r[kBlock] = {0.0, 0.0, 0.0, 0.0};
    for (int32_t k = 0; k < n; ++k) {
      const double xk = x[k];
      for (int32_t c = 0; c < kBlock; ++c) r[c] = r[c] + xk * col[c][k];
    }
    for (int32_t c = 0; c < width; ++c) {
      double* __restrict column = P + stride * (j0 + c);
      const double rc = r[c];
      for (int32_t i = 0; i < n; ++i) column[i] = (column[i] - gain[i] * rc) * lambdaInverse;
    }
  }
}

// Rows i0 … i0+R·W−1 of four columns of G × P into the block C (n rows, four
// columns), R vectors of W rows each: each element starts at 0.0 and adds
// G(i,k)·P(k,j) in ascending k.
template <int W, int R>
inline __attribute__((always_inline)) void ProductTile(const double* G, std::ptrdiff_t stride, int32_t n,
                                                       int32_t i0, const double* const col[kBlock],
                                                       double* __restrict C) {
  using V = typename Lanes<W>::Type;
  V acc[R][kBlock] = {};
  for (int32_t k = 0; k < n; ++k) {
    const double* g = G + stride * k + i0;
    V column[R];
    for (int r = 0; r < R; ++r) Load(column[r], g + r * W);
    for (int32_t c = 0; c < kBlock; ++c) {
      const double pkj = col[c][k];
      for (int r = 0; r < R; ++r) acc[r][c] = acc[r][c] + column[r] * pkj;
    }
  }
  for (int32_t c = 0; c < kBlock; ++c)
    for (int r = 0; r < R; ++r) Store(C + stride * c + i0 + r * W, acc[r][c]);
}

// The rows below the last whole tile, one at a time.
inline void ProductRow(const double* G, std::ptrdiff_t stride, int32_t n, int32_t i,
                       const double* const col[kBlock], double* __restrict C) {
  double s[kBlock] = {0.0, 0.0, 0.0, 0.0};
  for (int32_t k = 0; k < n; ++k) {
    const double gik = G[stride * k + i];
    for (int32_t c = 0; c < kBlock; ++c) s[c] = s[c] + gik * col[c][k];
  }
  for (int32_t c = 0; c < kBlock; ++c) C[stride * c + i] = s[c];
}

template <int W>
inline __attribute__((always_inline)) void OuterProductUpdateLanes(double* P, int32_t n, const double* gain,
                                                                   const double* u, double lambdaInverse,
                                                                   OuterProductWork& work,
                                                                   double* __restrict newProduct) {
  const std::ptrdiff_t stride = n;
  double* __restrict G = work.outer.data();
  double* __restrict C = work.columns.data();
  for (int32_t j = 0; j < n; ++j) {
    const double uj = u[j];
    double* __restrict outerColumn = G + stride * j;
    for (int32_t i = 0; i < n; ++i) outerColumn[i] = gain[i] * uj;
  }
  if (newProduct != nullptr)
    for (int32_t i = 0; i < n; ++i) newProduct[i] = 0.0;
  for (int32_t j0 = 0; j0 < n; j0 += kBlock) {
    // All rows of the block's product first: they need the old columns.
    const double* col[kBlock];
    const int32_t width = BlockColumns(P, stride, n, j0, col);
    int32_t i = 0;
    for (; i + 2 * W <= n; i += 2 * W) ProductTile<W, 2>(G, stride, n, i, col, C);
    if (i + W <= n) {
      ProductTile<W, 1>(G, stride, n, i, col, C);
      i += W;
    }
    for (; i < n; ++i) ProductRow(G, stride, n, i, col, C);
    for (int32_t c = 0; c < width; ++c) {
      const int32_t j = j0 + c;
      double* __restrict column = P + stride * j;
      const double* __restrict sum = C + stride * c;
      for (int32_t r = 0; r < n; ++r) column[r] = (column[r] - sum[r]) * lambdaInverse;
      if (newProduct != nullptr) {
        const double uj = u[j];
        for (int32_t r = 0; r < n; ++r) newProduct[r] = newProduct[r] + column[r] * uj;
      }
    }
  }
}

// The same kernels compiled once more for processors with 256-bit vector
// units, chosen at run time. Only AVX2 is enabled, not FMA: a fused
// multiply-add would round once where the equations round twice. Not on
// Windows, where GCC cannot keep 256-bit values spilled to the stack aligned;
// the plug-in there runs the 128-bit kernels, which give the same bits.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && !defined(_WIN32)
#define ADAPTIVE_WIDE_KERNELS 1
const bool kWideVectorsAvailable = (__builtin_cpu_init(), __builtin_cpu_supports("avx2") != 0);
bool wideVectors = kWideVectorsAvailable;

__attribute__((target("avx2"))) void MultiplyByVectorWide(const double* P, int32_t n, const double* u, double* pi) {
  MultiplyByVectorLanes<4>(P, n, u, pi);
}
__attribute__((target("avx2"))) void RowFormUpdateWide(double* P, int32_t n, const double* x, const double* gain,
                                                        double lambdaInverse) {
  RowFormUpdateLanes<4>(P, n, x, gain, lambdaInverse);
}
__attribute__((target("avx2"))) void OuterProductUpdateWide(double* P, int32_t n, const double* gain,
                                                             const double* u, double lambdaInverse,
                                                             OuterProductWork& work, double* newProduct) {
  OuterProductUpdateLanes<4>(P, n, gain, u, lambdaInverse, work, newProduct);
}
#endif

}  // namespace

bool SelectWideKernels(bool wide) {
#ifdef ADAPTIVE_WIDE_KERNELS
  const bool previous = wideVectors;
  wideVectors = wide && kWideVectorsAvailable;
  return previous;
#else
  (void)wide;
  return false;
#endif
}

void MultiplyByVector(const double* P, int32_t n, const double* u, double* pi) {
#ifdef ADAPTIVE_WIDE_KERNELS
  if (wideVectors) return MultiplyByVectorWide(P, n, u, pi);
#endif
  MultiplyByVectorLanes<2>(P, n, u, pi);
}

void ComputeGain(const double* u, const double* pi, int32_t n, double lambdaInverse, double* gain) {
  const double d = Dot(u, pi, n) * lambdaInverse + 1.0;
  for (int32_t i = 0; i < n; ++i) gain[i] = (pi[i] * lambdaInverse) / d;
}

void RowFormUpdate(double* P, int32_t n, const double* x, const double* gain, double lambdaInverse) {
#ifdef ADAPTIVE_WIDE_KERNELS
  if (wideVectors) return RowFormUpdateWide(P, n, x, gain, lambdaInverse);
#endif
  RowFormUpdateLanes<2>(P, n, x, gain, lambdaInverse);
}

void OuterProductUpdate(double* P, int32_t n, const double* gain, const double* u, double lambdaInverse,
                        OuterProductWork& work, double* newProduct) {
#ifdef ADAPTIVE_WIDE_KERNELS
  if (wideVectors) return OuterProductUpdateWide(P, n, gain, u, lambdaInverse, work, newProduct);
#endif
  OuterProductUpdateLanes<2>(P, n, gain, u, lambdaInverse, work, newProduct);
}

void AddToDiagonal(double* P, int32_t n, double q) {
  const std::ptrdiff_t step = static_cast<std::ptrdiff_t>(n) + 1;
  for (int32_t i = 0; i < n; ++i) P[step * i] = P[step * i] + q;
}
