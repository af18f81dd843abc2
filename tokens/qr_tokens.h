// The QR-decomposition least-squares tokens: instead of coefficients they keep
// the upper-triangular factor R of the exponentially weighted data matrix and
// the rotated desired signal z, bring each sample in with a sweep of Givens
// rotations, and solve for the coefficients only when they are destroyed.
// One class serves the one-, two- and three-channel forms; the channels' taps
// are stacked, channel 1 first, into one regressor and solved jointly.
#pragma once

#include <cmath>
#include <cstdint>

#include "core/adaptive_token.h"
#include "tokens/catalogue_families.h"
#include "numerics/delay_line.h"
#include "numerics/matrix.h"
#include "numerics/arithmetic.h"
#include "numerics/solve.h"
#include "numerics/vector.h"
#include "tokens/channel_lines.h"
#include "tokens/final_weights.h"
#include "tokens/givens_sweep.h"
#include "tokens/parameters.h"

namespace adaptive {

// Ports: "Input" (or "Input 1" … "Input C"), "Desired" in;
// "Output", "PriError", "PostError", "Gamma" out.
template <int C, int Entry>
class QrToken : public AdaptiveToken {
 public:
  static constexpr int kEntry = Entry;
  static constexpr std::array<int, C> kLength = NumeratorCountIndices<C>(Entry);
  static constexpr int kLambda = ParameterIndex(Entry, "Lambda");

  explicit QrToken(TokenSetup& setup) : AdaptiveToken(C + 1, 4) {
    CallStatus& status = setup.status;
    if (!status.ok()) return;
    lines.readLengths(setup, kLength);
    lambda = ReadParameter(setup, kLambda);
    if (!CheckParameters(setup, kCatalogue[Entry])) return;
    if (!lines.sumLengths(status)) return;
    if (!setShape()) { ReportStorageFailure(status); return; }
    // Everything is allocated before anything is zeroed, so that a triangle
    // too big to exist fails before pages of the delay lines are touched.
    if (!lines.allocate(status)) return;
    if (R.resize(columnCount, rowCount) || z.resize(rowCount)) { ReportStorageFailure(status); return; }
    lines.zero();
    R.zero();
    z.zero();
    if (!files.open(C, setup)) return;
    markConstructed();
  }

  void finish(CallStatus& status) override { files.writeAndClose(*this, status); }

  // Solves the triangle for the coefficients and reports each channel's
  // block, or every channel undetermined while the triangle is singular.
  bool reportCoefficients(CoefficientSink& sink) const override {
    Vector w;
    // The solve reads the factor in the numerics' layout, R(i, j) at row i.
    const Matrix factor = transpose(R);
    if (w.resize(columnCount) || !factor.hasstorage()) return false;
    w.zero();
    if (backsubstitute(factor, z, w) != 0) {
      for (int c = 0; c < C; ++c) sink.addUndetermined(c, lines.lengths()[c]);
    } else {
      sink.addChannelBlocks(&w(0), lines.lengths(), C);
    }
    return true;
  }

 protected:
  // One sample: load the new regressor and d into the work row N and work
  // element N, then let each row i, scaled by λ, be rotated against the work
  // row to zero R(N, i), z likewise (GivensSweep). Everything happens in
  // place, so the step allocates nothing.
  void step(const double* in, double* out) override {
    lines.push(in);
    const double d = in[C];
    const int32_t N = columnCount;
    double* zv = z.data();
    double* work = &R(0, N);  // R(N, 0 … N−1)
    int32_t column = 0;
    for (int c = 0; c < C; ++c) lines[c].forEachTap([&](int32_t, double tap) { work[column++] = tap; });
    zv[N] = d;
    const double gamma = GivensSweep(R.data(), zv, N, lambda);

    const double alpha = zv[N];
    out[0] = d - alpha * gamma;
    // While the triangle is still filling, γ is 0 and α / γ means nothing: a
    // filter whose coefficients are not yet determined predicts zero, so its
    // a-priori error is the desired sample itself.
    out[1] = std::fabs(gamma) > kNegligibleMagnitude ? alpha / gamma : d;
    out[2] = alpha * gamma;
    out[3] = gamma;
  }

 private:
  // rowCount = N + 1 and columnCount = N for the stacked length N. False when
  // N + 1 does not fit 32 bits or R could not have the bytes it needs, so that
  // nothing is allocated (and touched) for a triangle that can never exist.
  bool setShape() {
    if (lines.total() == INT32_MAX) return false;
    columnCount = lines.total();
    rowCount = columnCount + 1;
    size_t bytes = 0;
    return MatrixData::byteSize(rowCount, columnCount, static_cast<uint64_t>(PTRDIFF_MAX), bytes);
  }

  ChannelLines<C> lines;
  // The (N + 1) × N factor with its work row, stored row by row: its
  // transpose, so that column i of this N × (N + 1) matrix is row i of the
  // factor and a rotation walks contiguous elements.
  Matrix R;
  Vector z;
  double lambda = 0.0;
  int32_t rowCount = 0;
  int32_t columnCount = 0;
  FinalWeightsFiles files;
};

}  // namespace adaptive
