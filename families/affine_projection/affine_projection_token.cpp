#include "families/affine_projection/affine_projection_token.h"

#include <cmath>

#include "tokens/parameters.h"

namespace adaptive {

AffineProjectionToken::AffineProjectionToken(TokenSetup& setup) {
  CallStatus& status = setup.status;
  if (!status.ok()) return;
  const int32_t n = ReadCount(setup, kLength);
  order = ReadCount(setup, kOrder);
  mu = ReadParameter(setup, kMu);
  delta = ReadParameter(setup, kDelta);
  if (!CheckRowParameters(setup, kRow)) return;
  if (order > n) {
    status.fail(kStatusBadParameter,
                {affine_projection::kProjectionOrder.refusal, affine_projection::kProjectionOrder.hint});
    return;
  }
  // N + K − 1 ≤ 2N − 1 fits 32 bits; the line checks its doubled storage.
  if (line.setlength(n + order - 1) || desired.setlength(order) || correlation.resize(order * order) ||
      cholesky.resize(order * order) || errors.resize(order) || gains.resize(order)) {
    ReportStorageFailure(status);
    return;
  }
  if (!allocateWeights(n, status)) return;
  line.zero();
  desired.zero();
  correlation.zero();
  cholesky.zero();
  if (!openFile(setup)) return;
  markConstructed();
}

double AffineProjectionToken::slideWindow(const double* taps) {
  double* r = &correlation(0);
  const double* w = &weights(0);
  const double* d = desired.taps();
  const int32_t k = order;
  double y = 0.0;
  for (int32_t i = k - 1; i > 0; --i)
    for (int32_t j = k - 1; j > 0; --j) r[i * k + j] = r[(i - 1) * k + j - 1];
  for (int32_t j = 0; j < k; ++j) {
    const double* column = taps + j;
    double output = 0.0;
    double product = 0.0;
    for (int32_t m = 0; m < length; ++m) {
      output = output + column[m] * w[m];
      product = product + taps[m] * column[m];
    }
    if (j == 0) y = output;
    errors(j) = d[j] - output;
    r[j] = product;
    r[j * k] = product;
  }
  return y;
}

int32_t AffineProjectionToken::factor() {
  const double* r = &correlation(0);
  double* l = &cholesky(0);
  const int32_t k = order;
  for (int32_t c = 0; c < k; ++c) {
    double sum = 0.0;
    for (int32_t p = 0; p < c; ++p) sum = sum + l[c * k + p] * l[c * k + p];
    const double pivot = (r[c * k + c] + delta) - sum;
    // Not `!(pivot >= …)`: a NaN pivot goes on, so NaN input stays visible.
    if (pivot < 0.5 * delta) return c;
    const double diagonal = std::sqrt(pivot);
    l[c * k + c] = diagonal;
    for (int32_t i = c + 1; i < k; ++i) {
      double below = 0.0;
      for (int32_t p = 0; p < c; ++p) below = below + l[i * k + p] * l[c * k + p];
      l[i * k + c] = (r[i * k + c] - below) / diagonal;
    }
  }
  return k;
}

void AffineProjectionToken::solve(int32_t columns) {
  const double* l = &cholesky(0);
  double* y = &errors(0);
  double* a = &gains(0);
  const int32_t k = order;
  for (int32_t i = 0; i < columns; ++i) {
    double sum = 0.0;
    for (int32_t p = 0; p < i; ++p) sum = sum + l[i * k + p] * y[p];
    y[i] = (y[i] - sum) / l[i * k + i];
  }
  for (int32_t i = columns - 1; i >= 0; --i) {
    double sum = 0.0;
    for (int32_t p = i + 1; p < columns; ++p) sum = sum + l[p * k + i] * a[p];
    a[i] = (y[i] - sum) / l[i * k + i];
  }
  const double twoMu = 2.0 * mu;
  for (int32_t i = 0; i < columns; ++i) a[i] = twoMu * a[i];
}

void AffineProjectionToken::step(const double* in, double* out) {
  const double d = in[1];
  line.push(in[0]);
  desired.push(d);
  const double* taps = line.taps();
  out[0] = slideWindow(taps);
  out[1] = errors(0);
  const int32_t columns = factor();
  solve(columns);
  double* w = &weights(0);
  const double* g = &gains(0);
  double posterior = 0.0;
  for (int32_t m = 0; m < length; ++m) {
    double correction = 0.0;
    for (int32_t j = 0; j < columns; ++j) correction = correction + taps[m + j] * g[j];
    w[m] = w[m] + correction;
    posterior = posterior + taps[m] * w[m];
  }
  out[2] = d - posterior;
}

}  // namespace adaptive
