// The "SELMS", "SDLMS" and "SSLMS" tokens: one template, see sign_lms.h for
// the maths and the summation order.
#pragma once

#include <cstdint>

#include "families/sign_lms/sign_lms_descriptor.h"
#include "families/transversal_token.h"
#include "numerics/delay_line.h"
#include "tokens/parameters.h"

namespace adaptive {

// 1, −1 or v itself for 0, −0 and NaN.
inline double Sign(double v) { return v > 0.0 ? 1.0 : (v < 0.0 ? -1.0 : v); }

// Policies: whether the error, and whether the data, enter by their signs.
template <bool kSignOfError, bool kSignOfData, int Row>
class SignLmsToken : public TransversalFamilyToken {
 public:
  static constexpr const CatalogueEntry& kRow = kSignLmsRows[Row];
  static constexpr int kLength = ParameterIndex(kRow, "Numerator Coeffs");
  static constexpr int kMu = ParameterIndex(kRow, "Mu");
  static constexpr int kLeakage = ParameterIndex(kRow, "Leakage");

  explicit SignLmsToken(TokenSetup& setup) {
    CallStatus& status = setup.status;
    if (!status.ok()) return;
    const int32_t n = ReadCount(setup, kLength);
    mu = ReadParameter(setup, kMu);
    leakage = ReadParameter(setup, kLeakage);
    if (!CheckParameters(setup, kRow)) return;
    if (line.setlength(n) || (kSignOfData && signs.setlength(n))) {
      ReportStorageFailure(status);
      return;
    }
    if (!allocateWeights(n, status)) return;
    line.zero();
    if (kSignOfData) signs.zero();
    if (!openFile(setup)) return;
    markConstructed();
  }

 protected:
  void step(const double* in, double* out) override {
    const double d = in[1];
    line.push(in[0]);
    if (kSignOfData) signs.push(Sign(in[0]));
    const double* x = line.taps();
    const double* u = kSignOfData ? signs.taps() : x;
    double* w = &weights(0);
    double y = 0.0;
    for (int32_t m = 0; m < length; ++m) y = y + x[m] * w[m];
    const double e = d - y;
    out[0] = y;
    out[1] = e;
    const double g = 2.0 * mu * (kSignOfError ? Sign(e) : e);
    double posterior = 0.0;
    for (int32_t m = 0; m < length; ++m) {
      w[m] = leakage * w[m] + g * u[m];
      posterior = posterior + x[m] * w[m];
    }
    out[2] = d - posterior;
  }

 private:
  DelayLine line;   // x(n) … x(n−N+1)
  DelayLine signs;  // sgn of the same samples; only when the data enter by sign
  double mu = 0.0;
  double leakage = 0.0;
};

using SignErrorLmsToken = SignLmsToken<true, false, 0>;
using SignDataLmsToken = SignLmsToken<false, true, 1>;
using SignSignLmsToken = SignLmsToken<true, true, 2>;

}  // namespace adaptive
