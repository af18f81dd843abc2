#include "tokens/correlation_update.h"

#include <cstddef>

#include "tokens/parameters.h"
#include "tokens/vector_lanes.h"

namespace adaptive {

bool SquareMatricesFit(int32_t n, int count, CallStatus& status) {
  const uint64_t elements = static_cast<uint64_t>(n < 0 ? 0 : n) * static_cast<uint64_t>(n < 0 ? 0 : n);
  // elements < 2^62 and count is small: no wrap in 64 bits.
  if (elements * static_cast<uint64_t>(count) > static_cast<uint64_t>(PTRDIFF_MAX) / sizeof(double)) {
    ReportStorageFailure(status);
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

// Rows i0 … of four columns of G × P into the block C (n rows, four columns):
// R vectors of W rows, then Pairs vectors of two rows and Singles single rows,
// all in one pass over k so that their sums are in flight together. Each
// element starts at 0.0 and adds G(i,k)·P(k,j) in ascending k.
template <int W, int R, int Pairs = 0, int Singles = 0>
inline __attribute__((always_inline)) void ProductTile(const double* G, std::ptrdiff_t stride, int32_t n,
                                                       int32_t i0, const double* const col[kBlock],
                                                       double* __restrict C) {
  using V = typename Lanes<W>::Type;
  using H = typename Lanes<2>::Type;
  // Arrays of at least one element; only the first R, Pairs, Singles are used.
  V acc[R > 0 ? R : 1][kBlock] = {};
  H pair[Pairs > 0 ? Pairs : 1][kBlock] = {};
  double single[Singles > 0 ? Singles : 1][kBlock] = {};
  for (int32_t k = 0; k < n; ++k) {
    const double* g = G + stride * k + i0;
    V column[R > 0 ? R : 1];
    H columnPair[Pairs > 0 ? Pairs : 1];
    for (int r = 0; r < R; ++r) Load(column[r], g + r * W);
    for (int r = 0; r < Pairs; ++r) Load(columnPair[r], g + R * W + r * 2);
    for (int32_t c = 0; c < kBlock; ++c) {
      const double pkj = col[c][k];
      for (int r = 0; r < R; ++r) acc[r][c] = acc[r][c] + column[r] * pkj;
      for (int r = 0; r < Pairs; ++r) pair[r][c] = pair[r][c] + columnPair[r] * pkj;
      for (int r = 0; r < Singles; ++r) single[r][c] = single[r][c] + g[R * W + Pairs * 2 + r] * pkj;
    }
  }
  for (int32_t c = 0; c < kBlock; ++c) {
    double* to = C + stride * c + i0;
    for (int r = 0; r < R; ++r) Store(to + r * W, acc[r][c]);
    for (int r = 0; r < Pairs; ++r) Store(to + R * W + r * 2, pair[r][c]);
    for (int r = 0; r < Singles; ++r) to[R * W + Pairs * 2 + r] = single[r][c];
  }
}

// Vectors of W rows per tile of the product. The 64-bit instruction sets have
// sixteen vector registers: two vectors per column (eight sums) plus the
// loaded column and the broadcast element fit. 32-bit x86 has eight: there
// the 256-bit tile keeps one vector per column, so that its sums stay in
// registers instead of 32-byte stack slots; the 128-bit tile keeps two.
template <int W>
constexpr int TileVectors() {
  return sizeof(void*) == 8 || W == 2 ? 2 : 1;
}

// The m rows below the last whole tile (m < TileVectors<W>() · W), in one
// tile: at most one W-row vector, one two-row vector and one single row.
template <int W>
inline __attribute__((always_inline)) void ProductEdge(const double* G, std::ptrdiff_t stride, int32_t n,
                                                       int32_t i0, int32_t m, const double* const col[kBlock],
                                                       double* __restrict C) {
  switch (m) {  // 4 … 7 only when W is 4
    case 1: return ProductTile<W, 0, 0, 1>(G, stride, n, i0, col, C);
    case 2: return ProductTile<W, 0, 1, 0>(G, stride, n, i0, col, C);
    case 3: return ProductTile<W, 0, 1, 1>(G, stride, n, i0, col, C);
    case 4: return ProductTile<W, 1, 0, 0>(G, stride, n, i0, col, C);
    case 5: return ProductTile<W, 1, 0, 1>(G, stride, n, i0, col, C);
    case 6: return ProductTile<W, 1, 1, 0>(G, stride, n, i0, col, C);
    case 7: return ProductTile<W, 1, 1, 1>(G, stride, n, i0, col, C);
    default: return;
  }
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
    constexpr int32_t kTileRows = TileVectors<W>() * W;
    int32_t i = 0;
    for (; i + kTileRows <= n; i += kTileRows) ProductTile<W, TileVectors<W>()>(G, stride, n, i, col, C);
    ProductEdge<W>(G, stride, n, i, n - i, col, C);
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

#ifdef ADAPTIVE_WIDE_KERNELS
ADAPTIVE_WIDE void MultiplyByVectorWide(const double* P, int32_t n, const double* u, double* pi) {
  MultiplyByVectorLanes<4>(P, n, u, pi);
}
ADAPTIVE_WIDE void RowFormUpdateWide(double* P, int32_t n, const double* x, const double* gain,
                                                        double lambdaInverse) {
  RowFormUpdateLanes<4>(P, n, x, gain, lambdaInverse);
}
ADAPTIVE_WIDE void OuterProductUpdateWide(double* P, int32_t n, const double* gain,
                                                             const double* u, double lambdaInverse,
                                                             OuterProductWork& work, double* newProduct) {
  OuterProductUpdateLanes<4>(P, n, gain, u, lambdaInverse, work, newProduct);
}
#endif

}  // namespace

void MultiplyByVector(const double* P, int32_t n, const double* u, double* pi) {
#ifdef ADAPTIVE_WIDE_KERNELS
  if (WideKernelsSelected()) return MultiplyByVectorWide(P, n, u, pi);
#endif
  MultiplyByVectorLanes<2>(P, n, u, pi);
}

void ComputeGain(const double* u, const double* pi, int32_t n, double lambdaInverse, double* gain) {
  const double d = Dot(u, pi, n) * lambdaInverse + 1.0;
  for (int32_t i = 0; i < n; ++i) gain[i] = (pi[i] * lambdaInverse) / d;
}

void RowFormUpdate(double* P, int32_t n, const double* x, const double* gain, double lambdaInverse) {
#ifdef ADAPTIVE_WIDE_KERNELS
  if (WideKernelsSelected()) return RowFormUpdateWide(P, n, x, gain, lambdaInverse);
#endif
  RowFormUpdateLanes<2>(P, n, x, gain, lambdaInverse);
}

void OuterProductUpdate(double* P, int32_t n, const double* gain, const double* u, double lambdaInverse,
                        OuterProductWork& work, double* newProduct) {
#ifdef ADAPTIVE_WIDE_KERNELS
  if (WideKernelsSelected()) return OuterProductUpdateWide(P, n, gain, u, lambdaInverse, work, newProduct);
#endif
  OuterProductUpdateLanes<2>(P, n, gain, u, lambdaInverse, work, newProduct);
}

void AddToDiagonal(double* P, int32_t n, double q) {
  const std::ptrdiff_t step = static_cast<std::ptrdiff_t>(n) + 1;
  for (int32_t i = 0; i < n; ++i) P[step * i] = P[step * i] + q;
}

}  // namespace adaptive
