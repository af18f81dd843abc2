// The per-sample kernels of the tokens that keep an inverse correlation matrix
// P (RLS, random-walk and Newton tokens), written over raw column-major
// element arrays (element (i, j) of an n x n matrix at [n * j + i]).
//
// Each kernel performs, element by element, exactly the operations of the
// matrix expression it replaces, in the same order and with the same operand
// order: every sum starts at 0.0 and adds its terms in ascending index order.
// Only the loop nesting differs, so that the inner loops walk memory with unit
// stride, work on several independent elements per vector instruction and
// allocate nothing. The filters' outputs depend on this bit for bit. On x86
// processors with AVX2 the kernels run with 256-bit vectors instead of 128-bit
// ones, and the N×N product with 512-bit ones where there is AVX-512
// (tokens/vector_lanes.h); fused multiply-add is never used.
#pragma once

#include "core/token_call.h"

#include <cstdint>

#include "numerics/delay_line.h"
#include "numerics/matrix.h"
#include "numerics/vector.h"

namespace adaptive {

// True when `count` matrices of n x n doubles have a byte size that fits the
// address space. Otherwise reports the storage failure (status 1002) and
// returns false, so that a hopeless length is refused before anything is
// allocated. The products are formed in 64 bits and cannot wrap.
bool SquareMatricesFit(int32_t n, int count, CallStatus& status);

// P = value · I, on a P that already has its n x n storage.
void SetScaledIdentity(Matrix& P, double value);

// out[k] = tap k of the line, newest first: the column that the transpose of
// a delay line gives, without a temporary.
inline void CopyTaps(const DelayLine& line, double* out) {
  line.forEachTap([out](int32_t k, double tap) { out[k] = tap; });
}

// Σ a[k]·b[k] for k = 0 .. n-1. Inline, as dot() (numerics/arithmetic.h).
inline double Dot(const double* a, const double* b, int32_t n) {
  double sum = 0.0;
  for (int32_t k = 0; k < n; ++k) sum = sum + a[k] * b[k];
  return sum;
}

// pi = P × u: pi[i] = Σ_j P(i,j)·u[j]. Walks P four columns at a time (j
// outer, i inner); each pi[i] still starts at 0.0 and adds its terms in
// ascending j.
void MultiplyByVector(const double* P, int32_t n, const double* u, double* pi);

// d = (u · pi)·(1/λ) + 1, the divisor of the gain.
inline double GainDivisor(const double* u, const double* pi, int32_t n, double lambdaInverse) {
  return Dot(u, pi, n) * lambdaInverse + 1.0;
}

// gain = (pi · (1/λ)) / d, element by element.
inline void ComputeGain(const double* u, const double* pi, int32_t n, double lambdaInverse, double* gain) {
  const double d = GainDivisor(u, pi, n, lambdaInverse);
  for (int32_t i = 0; i < n; ++i) gain[i] = (pi[i] * lambdaInverse) / d;
}

// The gain of ComputeGain and the coefficient update w[i] = gain[i]·e + w[i]
// in one pass. Returns Σ u[i]·w[i] over the updated coefficients, from 0.0 in
// ascending i: the posterior output of the tokens whose taps are u (a caller
// that does not use it leaves the compiler nothing to compute).
inline double UpdateGainAndWeights(const double* u, const double* pi, int32_t n, double lambdaInverse, double e,
                                   double* __restrict gain, double* __restrict w) {
  const double d = GainDivisor(u, pi, n, lambdaInverse);
  double posterior = 0.0;
  for (int32_t i = 0; i < n; ++i) {
    gain[i] = (pi[i] * lambdaInverse) / d;
    w[i] = gain[i] * e + w[i];
    posterior = posterior + u[i] * w[i];
  }
  return posterior;
}

// P = (P − gain × (x × P)) · (1/λ), where x × P is the row r[j] = Σ_k x[k]·P(k,j)
// of the P before the update. Column j of the new P needs only column j of the
// old one and r[j]; sixteen sums r[j] (eight on 32-bit x86) run side by side
// (each in ascending k), then their columns are finished.
void RowFormUpdate(double* P, int32_t n, const double* x, const double* gain, double lambdaInverse);

// Working storage of OuterProductUpdate, allocated with the token's state.
// Their columns have n rounded up to a multiple of eight rows, so that the
// product's tiles are whole vectors of every width; the rows below n stay
// zero in G.
struct OuterProductWork {
  Matrix outer;    // G = gain × uᵀ
  Matrix columns;  // a block of columns of G × P

  // True when the storage cannot be allocated.
  bool allocate(int32_t n);
};

// P = (P − (gain × uᵀ) × P) · (1/λ): the outer product G is formed first, then
// the full product G × P, then the difference and the scaling. The product is
// built four result columns at a time, in tiles of rows held in vector
// registers (for each k ascending, G(i,k)·P(k,j) is added into the tile), and
// those columns of P are replaced at once, since they are the only ones of the
// old P that they need.
// When `newProduct` is not null it receives P × u over the updated P, summed
// over j ascending as the columns are finished.
void OuterProductUpdate(double* P, int32_t n, const double* gain, const double* u, double lambdaInverse,
                        OuterProductWork& work, double* newProduct);

// P(i,i) = P(i,i) + q for every i.
void AddToDiagonal(double* P, int32_t n, double q);

}  // namespace adaptive
