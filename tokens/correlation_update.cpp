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

// Columns of P that P × u takes per pass: each element of pi loaded then
// receives four terms before it is stored again.
constexpr int32_t kBlock = 4;

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

// The shape of the product's tiles: kTileVectors vectors of rows by
// TileColumns<W>() columns of sums. Sixteen vector registers: four vectors by
// three columns, twelve sums, the broadcast element of P and the product
// being added, the rows of G read from memory; 512-bit code on x86-64 has
// thirty-two, and takes five columns. Eight registers: four vectors by one
// column, which leaves the compiler two spare. Measured against the other
// shapes that fit (two by five, three by four, eight by one, four by four or
// six; one by six, two by three, three by two, six by one, two by two), these
// were the fastest at N = 16 to 64 (bench/README.md).
constexpr int kTileVectors = 4;
template <int W>
constexpr int32_t TileColumns() {
  return kVectorRegisters < 16 ? 1 : W == 8 ? 5 : 3;
}
// The most columns of any width: those of the product's work storage.
constexpr int32_t kMostTileColumns = kVectorRegisters < 16 ? 1 : 5;

// Rows i0 … i0 + R·W − 1 of columns j0 … j0 + Cols − 1 of G × P into C. G and
// C have `rows` rows per column, P has n; P0 is P's column j0. Each element
// starts at 0.0 and adds G(i,k)·P(k,j) in ascending k.
template <int W, int R, int Cols>
inline __attribute__((always_inline)) void ProductTile(const double* G, std::ptrdiff_t rows, int32_t n, int32_t i0,
                                                       const double* P0, double* __restrict C) {
  using V = typename Lanes<W>::Type;
  V acc[R][Cols] = {};
  const double* g = G + i0;
  const double* pk = P0;  // element k of column j0 + c at pk[n·c]
  for (int32_t k = 0; k < n; ++k, g += rows, ++pk) {
    V column[R];
    for (int r = 0; r < R; ++r) Load(column[r], g + r * W);
    for (int32_t c = 0; c < Cols; ++c) {
      const double pkj = pk[static_cast<std::ptrdiff_t>(n) * c];
      for (int r = 0; r < R; ++r) acc[r][c] = acc[r][c] + column[r] * pkj;
    }
  }
  for (int32_t c = 0; c < Cols; ++c) {
    double* to = C + rows * c + i0;
    for (int r = 0; r < R; ++r) Store(to + r * W, acc[r][c]);
  }
}

// The last `vectors` (< kTileVectors) vectors of rows from row i0 on.
template <int W, int Cols, int R = kTileVectors - 1>
inline __attribute__((always_inline)) void ProductLastRows(const double* G, std::ptrdiff_t rows, int32_t n,
                                                           int32_t i0, int32_t vectors, const double* P0,
                                                           double* __restrict C) {
  if constexpr (R > 0) {
    if (vectors == R) return ProductTile<W, R, Cols>(G, rows, n, i0, P0, C);
    ProductLastRows<W, Cols, R - 1>(G, rows, n, i0, vectors, P0, C);
  }
}

// All rows of Cols columns: whole tiles, then the vectors left over.
template <int W, int Cols>
inline __attribute__((always_inline)) void ProductColumns(const double* G, std::ptrdiff_t rows, int32_t n,
                                                          const double* P0, double* __restrict C) {
  constexpr int32_t kTileRows = kTileVectors * W;
  int32_t i = 0;
  for (; i + kTileRows <= rows; i += kTileRows) ProductTile<W, kTileVectors, Cols>(G, rows, n, i, P0, C);
  ProductLastRows<W, Cols>(G, rows, n, i, (static_cast<int32_t>(rows) - i) / W, P0, C);
}

// The last block's `width` < kTileColumns columns.
template <int W, int Cols = TileColumns<W>() - 1>
inline __attribute__((always_inline)) void ProductEdgeColumns(const double* G, std::ptrdiff_t rows, int32_t n,
                                                              int32_t width, const double* P0, double* __restrict C) {
  if constexpr (Cols > 0) {
    if (width == Cols) return ProductColumns<W, Cols>(G, rows, n, P0, C);
    ProductEdgeColumns<W, Cols - 1>(G, rows, n, width, P0, C);
  }
}

template <int W>
inline __attribute__((always_inline)) void OuterProductUpdateLanes(double* P, int32_t n, const double* gain,
                                                                   const double* u, double lambdaInverse,
                                                                   OuterProductWork& work,
                                                                   double* __restrict newProduct) {
  const std::ptrdiff_t stride = n;
  const std::ptrdiff_t rows = work.outer.rows();
  double* __restrict G = work.outer.data();
  double* __restrict C = work.columns.data();
  for (int32_t j = 0; j < n; ++j) {
    const double uj = u[j];
    double* __restrict outerColumn = G + rows * j;
    for (int32_t i = 0; i < n; ++i) outerColumn[i] = gain[i] * uj;
  }
  if (newProduct != nullptr)
    for (int32_t i = 0; i < n; ++i) newProduct[i] = 0.0;
  constexpr int32_t kTileColumns = TileColumns<W>();
  for (int32_t j0 = 0; j0 < n; j0 += kTileColumns) {
    // All rows of the block's product first: they need the old columns.
    const int32_t width = n - j0 < kTileColumns ? n - j0 : kTileColumns;
    if (width == kTileColumns) ProductColumns<W, kTileColumns>(G, rows, n, P + stride * j0, C);
    else ProductEdgeColumns<W>(G, rows, n, width, P + stride * j0, C);
    for (int32_t c = 0; c < width; ++c) {
      const int32_t j = j0 + c;
      double* __restrict column = P + stride * j;
      const double* __restrict sum = C + rows * c;
      if (newProduct == nullptr) {
        for (int32_t r = 0; r < n; ++r) column[r] = (column[r] - sum[r]) * lambdaInverse;
      } else {
        const double uj = u[j];
        for (int32_t r = 0; r < n; ++r) {
          column[r] = (column[r] - sum[r]) * lambdaInverse;
          newProduct[r] = newProduct[r] + column[r] * uj;
        }
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
ADAPTIVE_WIDEST void OuterProductUpdateWidest(double* P, int32_t n, const double* gain, const double* u,
                                              double lambdaInverse, OuterProductWork& work, double* newProduct) {
  OuterProductUpdateLanes<8>(P, n, gain, u, lambdaInverse, work, newProduct);
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

bool OuterProductWork::allocate(int32_t n) {
  const int32_t padded = (n + 7) / 8 * 8;
  if (outer.resize(padded, n) || columns.resize(padded, kMostTileColumns)) return true;
  outer.zero();
  return false;
}

void MultiplyByVector(const double* P, int32_t n, const double* u, double* pi) {
#ifdef ADAPTIVE_WIDE_KERNELS
  if (KernelLanes() >= 4) return MultiplyByVectorWide(P, n, u, pi);
#endif
  MultiplyByVectorNarrow(P, n, u, pi);
}

void RowFormUpdate(double* P, int32_t n, const double* x, const double* gain, double lambdaInverse) {
#ifdef ADAPTIVE_WIDE_KERNELS
  if (KernelLanes() >= 4) return RowFormUpdateWide(P, n, x, gain, lambdaInverse);
#endif
  RowFormUpdateNarrow(P, n, x, gain, lambdaInverse);
}

void OuterProductUpdate(double* P, int32_t n, const double* gain, const double* u, double lambdaInverse,
                        OuterProductWork& work, double* newProduct) {
#ifdef ADAPTIVE_WIDE_KERNELS
  const int lanes = KernelLanes();
  if (lanes == 8) return OuterProductUpdateWidest(P, n, gain, u, lambdaInverse, work, newProduct);
  if (lanes == 4) return OuterProductUpdateWide(P, n, gain, u, lambdaInverse, work, newProduct);
#endif
  OuterProductUpdateLanes<2>(P, n, gain, u, lambdaInverse, work, newProduct);
}

void AddToDiagonal(double* P, int32_t n, double q) {
  const std::ptrdiff_t step = static_cast<std::ptrdiff_t>(n) + 1;
  for (int32_t i = 0; i < n; ++i) P[step * i] = P[step * i] + q;
}

}  // namespace adaptive
