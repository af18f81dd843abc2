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

// r[c] = Σ_k x[k]·P(k,c) for the 2·Pairs columns col[0 …], each from 0.0 in
// ascending k. Two columns share a 128-bit vector of sums and k advances two
// at a time: each column's two products are formed together, then the two
// columns' pairs are interleaved so that every lane adds its own column's term
// of k, then that of k + 1. With eight or sixteen sums in flight the additions
// no longer wait on each other's latency as four sums, one per column, would.
template <int Pairs>
inline __attribute__((always_inline)) void RowSums(const double* const col[], int32_t n, const double* x,
                                                   double* __restrict r) {
  using V = typename Lanes<2>::Type;
  V sum[Pairs] = {};
  int32_t k = 0;
  for (; k + 2 <= n; k += 2) {
    V xs;
    Load(xs, x + k);
    for (int p = 0; p < Pairs; ++p) {
      V a, b;
      Load(a, col[2 * p] + k);
      Load(b, col[2 * p + 1] + k);
      a = xs * a;
      b = xs * b;
      sum[p] = sum[p] + __builtin_shufflevector(a, b, 0, 2);
      sum[p] = sum[p] + __builtin_shufflevector(a, b, 1, 3);
    }
  }
  if (k < n) {
    const double xk = x[k];
    for (int p = 0; p < Pairs; ++p) sum[p] = sum[p] + V{xk * col[2 * p][k], xk * col[2 * p + 1][k]};
  }
  for (int p = 0; p < Pairs; ++p) {
    r[2 * p] = sum[p][0];
    r[2 * p + 1] = sum[p][1];
  }
}

// Columns per pass of the row form: sixteen vector registers hold eight pairs
// of sums besides the operands, eight registers four.
constexpr int32_t kRowSumColumns = kVectorRegisters >= 16 ? 16 : 8;

// P = (P − gain × (x × P))·(1/λ): the sums r[j] = Σ_k x[k]·P(k,j) of a pass's
// columns run side by side (RowSums), then those columns are updated. The
// last pass takes the fewest pairs that cover the remaining columns, the
// missing ones repeating its first column (their sums are ignored).
template <int W>
inline __attribute__((always_inline)) void RowFormUpdateLanes(double* P, int32_t n, const double* x,
                                                              const double* __restrict gain, double lambdaInverse) {
  const std::ptrdiff_t stride = n;
  for (int32_t j0 = 0; j0 < n; j0 += kRowSumColumns) {
    const int32_t width = n - j0 < kRowSumColumns ? n - j0 : kRowSumColumns;
    const double* col[kRowSumColumns];
    for (int32_t c = 0; c < kRowSumColumns; ++c) col[c] = P + stride * (c < width ? j0 + c : j0);
    double r[kRowSumColumns];
    const int32_t pairs = (width + 1) / 2;
    if constexpr (kRowSumColumns == 16) {
      if (pairs > 4) RowSums<8>(col, n, x, r);
    }
    if (pairs <= 4) {
      if (pairs > 2) RowSums<4>(col, n, x, r);
      else if (pairs == 2) RowSums<2>(col, n, x, r);
      else RowSums<1>(col, n, x, r);
    }
    for (int32_t c = 0; c < width; ++c) {
      double* __restrict column = P + stride * (j0 + c);
      const double rc = r[c];
      for (int32_t i = 0; i < n; ++i) column[i] = (column[i] - gain[i] * rc) * lambdaInverse;
    }
  }
}

// The shape of the product's whole tiles. Sixteen vector registers hold two
// vectors of sums for each of four columns (eight sums, whose additions keep
// both adders busy) plus the loaded rows of G and the broadcast element of P.
// Eight hold three vectors for each of two columns (six sums, again enough
// additions in flight), the broadcast element and the product being added,
// with the rows of G read from memory; there a block's four columns take two
// passes over k.
constexpr int32_t kTileColumns = kVectorRegisters >= 16 ? kBlock : 2;
constexpr int kTileVectors = kVectorRegisters >= 16 ? 2 : 3;

// Rows i0 … of Cols columns of G × P into C (n rows per column, the columns
// `stride` apart): R vectors of W rows, then Pairs vectors of two rows and
// Singles single rows, all in one pass over k so that their sums are in
// flight together. Each element starts at 0.0 and adds G(i,k)·P(k,j) in
// ascending k.
template <int W, int R, int Pairs = 0, int Singles = 0, int Cols = kTileColumns>
inline __attribute__((always_inline)) void ProductTile(const double* G, std::ptrdiff_t stride, int32_t n,
                                                       int32_t i0, const double* const col[],
                                                       double* __restrict C) {
  using V = typename Lanes<W>::Type;
  using H = typename Lanes<2>::Type;
  // Arrays of at least one element; only the first R, Pairs, Singles are used.
  V acc[R > 0 ? R : 1][Cols] = {};
  H pair[Pairs > 0 ? Pairs : 1][Cols] = {};
  double single[Singles > 0 ? Singles : 1][Cols] = {};
  for (int32_t k = 0; k < n; ++k) {
    const double* g = G + stride * k + i0;
    V column[R > 0 ? R : 1];
    H columnPair[Pairs > 0 ? Pairs : 1];
    for (int r = 0; r < R; ++r) Load(column[r], g + r * W);
    for (int r = 0; r < Pairs; ++r) Load(columnPair[r], g + R * W + r * 2);
    for (int32_t c = 0; c < Cols; ++c) {
      const double pkj = col[c][k];
      for (int r = 0; r < R; ++r) acc[r][c] = acc[r][c] + column[r] * pkj;
      for (int r = 0; r < Pairs; ++r) pair[r][c] = pair[r][c] + columnPair[r] * pkj;
      for (int r = 0; r < Singles; ++r) single[r][c] = single[r][c] + g[R * W + Pairs * 2 + r] * pkj;
    }
  }
  for (int32_t c = 0; c < Cols; ++c) {
    double* to = C + stride * c + i0;
    for (int r = 0; r < R; ++r) Store(to + r * W, acc[r][c]);
    for (int r = 0; r < Pairs; ++r) Store(to + R * W + r * 2, pair[r][c]);
    for (int r = 0; r < Singles; ++r) to[R * W + Pairs * 2 + r] = single[r][c];
  }
}

// R vectors of W rows from row i0 on, then m − R·W < W rows (a two-row vector
// and a single row), in one tile.
template <int W, int R>
inline __attribute__((always_inline)) void ProductTail(const double* G, std::ptrdiff_t stride, int32_t n, int32_t i0,
                                                       int32_t m, const double* const col[], double* __restrict C) {
  switch (m - R * W) {  // 2 and 3 only when W is 4
    case 0: return R > 0 ? ProductTile<W, R>(G, stride, n, i0, col, C) : void();
    case 1: return ProductTile<W, R, 0, 1>(G, stride, n, i0, col, C);
    case 2: return ProductTile<W, R, 1, 0>(G, stride, n, i0, col, C);
    case 3: return ProductTile<W, R, 1, 1>(G, stride, n, i0, col, C);
    default: return;
  }
}

// The m rows below the last whole tile (m < kTileVectors · W) in one tile, or
// in two where its sums would not fit the registers (eleven rows of four-lane
// vectors on eight registers: the two vectors first, then the other three rows).
// On sixteen registers m is below 2·W: at most one vector.
template <int W>
inline __attribute__((always_inline)) void ProductEdge(const double* G, std::ptrdiff_t stride, int32_t n,
                                                       int32_t i0, int32_t m, const double* const col[],
                                                       double* __restrict C) {
  const int32_t vectors = m / W;
  if (vectors == 0) return ProductTail<W, 0>(G, stride, n, i0, m, col, C);
  if (vectors == 1) return ProductTail<W, 1>(G, stride, n, i0, m, col, C);
  if constexpr (kTileVectors > 2) {  // two whole vectors: only on eight registers
    if (m % W != 3) return ProductTail<W, 2>(G, stride, n, i0, m, col, C);
    ProductTile<W, 2>(G, stride, n, i0, col, C);
    ProductTail<W, 0>(G, stride, n, i0 + 2 * W, m - 2 * W, col, C);
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
    constexpr int32_t kTileRows = kTileVectors * W;
    for (int32_t c0 = 0; c0 < width; c0 += kTileColumns) {
      double* to = C + stride * c0;
      int32_t i = 0;
      for (; i + kTileRows <= n; i += kTileRows) ProductTile<W, kTileVectors>(G, stride, n, i, col + c0, to);
      ProductEdge<W>(G, stride, n, i, n - i, col + c0, to);
    }
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

// The 128-bit kernels of the per-sample products, out of line as the wide
// ones are, so that their dispatchers below are a test and a jump: inlined
// there, they would make every call set up their frame first.
__attribute__((noinline)) void MultiplyByVectorNarrow(const double* P, int32_t n, const double* u, double* pi) {
  MultiplyByVectorLanes<2>(P, n, u, pi);
}
__attribute__((noinline)) void RowFormUpdateNarrow(double* P, int32_t n, const double* x, const double* gain,
                                                   double lambdaInverse) {
  RowFormUpdateLanes<2>(P, n, x, gain, lambdaInverse);
}

}  // namespace

void MultiplyByVector(const double* P, int32_t n, const double* u, double* pi) {
#ifdef ADAPTIVE_WIDE_KERNELS
  if (WideKernelsSelected()) return MultiplyByVectorWide(P, n, u, pi);
#endif
  MultiplyByVectorNarrow(P, n, u, pi);
}

void RowFormUpdate(double* P, int32_t n, const double* x, const double* gain, double lambdaInverse) {
#ifdef ADAPTIVE_WIDE_KERNELS
  if (WideKernelsSelected()) return RowFormUpdateWide(P, n, x, gain, lambdaInverse);
#endif
  RowFormUpdateNarrow(P, n, x, gain, lambdaInverse);
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
