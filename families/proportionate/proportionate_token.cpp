#include "families/proportionate/proportionate_token.h"

#include <cmath>

#include "tokens/parameters.h"

namespace adaptive {

ProportionateToken::ProportionateToken(TokenSetup& setup) {
  CallStatus& status = setup.status;
  if (!status.ok()) return;
  const int32_t n = ReadCount(setup, kLength);
  mu = ReadParameter(setup, kMu);
  const double alpha = ReadParameter(setup, kAlpha);
  delta = ReadParameter(setup, kDelta);
  epsilon = ReadParameter(setup, kEpsilon);
  if (!CheckParameters(setup, kRow)) return;
  uniformGain = (1.0 - alpha) / (2.0 * n);
  onePlusAlpha = 1.0 + alpha;
  if (line.setlength(n) || directions.resize(n)) {
    ReportStorageFailure(status);
    return;
  }
  if (!allocateWeights(n, status)) return;
  line.zero();
  if (!openFile(setup)) return;
  markConstructed();
}

void ProportionateToken::step(const double* in, double* out) {
  const double d = in[1];
  line.push(in[0]);
  const double* x = line.taps();
  double* w = &weights(0);
  double* g = &directions(0);
  double y = 0.0;
  double norm = 0.0;
  for (int32_t m = 0; m < length; ++m) {
    y = y + x[m] * w[m];
    norm = norm + std::fabs(w[m]);
  }
  const double e = d - y;
  out[0] = y;
  out[1] = e;
  const double share = onePlusAlpha / (2.0 * norm + epsilon);
  double energy = 0.0;
  for (int32_t m = 0; m < length; ++m) {
    g[m] = (uniformGain + std::fabs(w[m]) * share) * x[m];
    energy = energy + x[m] * g[m];
  }
  const double f = (2.0 * mu * e) / (energy + delta);
  double posterior = 0.0;
  for (int32_t m = 0; m < length; ++m) {
    w[m] = w[m] + f * g[m];
    posterior = posterior + x[m] * w[m];
  }
  out[2] = d - posterior;
}

}  // namespace adaptive
