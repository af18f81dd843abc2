// The "AP" token: see affine_projection.h for the maths, the summation order
// and what happens to a badly conditioned window.
#pragma once

#include <cstdint>

#include "families/affine_projection/affine_projection_descriptor.h"
#include "families/transversal_token.h"
#include "numerics/delay_line.h"
#include "numerics/vector.h"

namespace adaptive {

class AffineProjectionToken : public TransversalFamilyToken {
 public:
  static constexpr const CatalogueEntry& kRow = kAffineProjectionRows[0];
  static constexpr int kLength = ParameterIndex(kRow, "Numerator Coeffs");
  static constexpr int kOrder = ParameterIndex(kRow, "Projection Order");
  static constexpr int kMu = ParameterIndex(kRow, "Mu");
  static constexpr int kDelta = ParameterIndex(kRow, "Delta");

  explicit AffineProjectionToken(TokenSetup& setup);

 protected:
  void step(const double* in, double* out) override;

 private:
  // Moves R(n−1) one place down its diagonal, fills the new first row and
  // column and the K errors from the taps, and returns the output y(n).
  double slideWindow(const double* taps);
  // Column j's (and the next 2P − 1 columns') output and first-row
  // correlation, over the taps; stored by store().
  template <int P>
  void sumColumns(const double* taps, int32_t j, const double* d);
  void sumColumn(const double* taps, int32_t j, const double* d);
  // Writes `count` columns' errors and first-row correlations from `first`
  // on (and y(n) from column 0).
  void store(int32_t first, int count, const double* outputs, const double* products, const double* d);
  // Factors δI + R into L·L^T, column by column; returns how many leading
  // columns have a pivot of at least δ/2 (at least 1).
  int32_t factor();
  // Solves the leading `columns` × `columns` system for the errors and turns
  // the solution into the gains 2μ·a.
  void solve(int32_t columns);
  // w(n+1) = w(n) + X(n)·gains over the leading `columns` columns; returns
  // w^T(n+1)·x(n).
  double update(const double* taps, int32_t columns);

  DelayLine line;      // x(n) … x(n−N−K+2): column j of X(n) is taps j … j+N−1
  DelayLine desired;   // d(n) … d(n−K+1)
  Vector correlation;  // R(n) = X^T(n)·X(n), [K × K] row-major
  Vector cholesky;     // L, [K × K] row-major, lower triangle
  Vector errors;       // e(n), [K]; the forward solve overwrites it
  Vector gains;        // 2μ·(δI + R)^{-1}·e, [K]
  int32_t order = 0;   // K
  double mu = 0.0;
  double delta = 0.0;
  double y = 0.0;  // y(n), set by slideWindow
};

}  // namespace adaptive
