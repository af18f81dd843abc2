#include "families/affine_projection/affine_projection_token.h"

#include <cmath>
#include <cstdint>

#include "tokens/parameters.h"
#include "tokens/vector_lanes.h"

namespace adaptive {

namespace {

// Two doubles: each lane performs exactly the scalar operations of its
// element, so a pair changes the speed only.
using Pair = Lanes<2>::Type;

}  // namespace

AffineProjectionToken::AffineProjectionToken(TokenSetup& setup) {
  CallStatus& status = setup.status;
  if (!status.ok()) return;
  const int32_t n = ReadCount(setup, kLength);
  order = ReadCount(setup, kOrder);
  mu = ReadParameter(setup, kMu);
  delta = ReadParameter(setup, kDelta);
  if (!CheckParameters(setup, kRow)) return;
  if (order > n) {
    status.fail(kStatusBadParameter,
                {affine_projection::kProjectionOrder.refusal, affine_projection::kProjectionOrder.hint});
    return;
  }
  // The line holds N + K − 1 samples, R and L K² elements each: sizes beyond
  // 32 bits are refused as storage before anything is allocated.
  const int64_t lineLength = int64_t{n} + order - 1;
  const int64_t square = int64_t{order} * order;
  if (lineLength > INT32_MAX || square > INT32_MAX || line.setlength(static_cast<int32_t>(lineLength)) ||
      desired.setlength(order) || correlation.resize(static_cast<int32_t>(square)) ||
      cholesky.resize(static_cast<int32_t>(square)) || errors.resize(order) || gains.resize(order)) {
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
  const double* d = desired.taps();
  const int32_t k = order;
  for (int32_t i = k - 1; i > 0; --i)
    for (int32_t j = k - 1; j > 0; --j) r[i * k + j] = r[(i - 1) * k + j - 1];
  int32_t j = 0;
  for (; j + 4 <= k; j += 4) sumColumns<2>(taps, j, d);
  if (j + 2 <= k) {
    sumColumns<1>(taps, j, d);
    j += 2;
  }
  if (j < k) sumColumn(taps, j, d);
  return y;
}

// Columns j … j + 2P − 1 at once: lane c of the pairs sums column j + c's
// terms in ascending m, exactly as sumColumn does, so that 4P independent
// sums run side by side instead of two.
template <int P>
void AffineProjectionToken::sumColumns(const double* taps, int32_t j, const double* d) {
  const double* w = &weights(0);
  Pair output[P] = {}, product[P] = {};
  for (int32_t m = 0; m < length; ++m) {
    const Pair weight = {w[m], w[m]};
    const Pair tap = {taps[m], taps[m]};
    for (int h = 0; h < P; ++h) {
      Pair column;
      Load(column, taps + m + j + 2 * h);
      output[h] = output[h] + column * weight;
      product[h] = product[h] + tap * column;
    }
  }
  double outputs[2 * P], products[2 * P];
  for (int c = 0; c < 2 * P; ++c) {
    outputs[c] = output[c / 2][c % 2];
    products[c] = product[c / 2][c % 2];
  }
  store(j, 2 * P, outputs, products, d);
}

void AffineProjectionToken::sumColumn(const double* taps, int32_t j, const double* d) {
  const double* w = &weights(0);
  const double* column = taps + j;
  double output = 0.0;
  double product = 0.0;
  for (int32_t m = 0; m < length; ++m) {
    output = output + column[m] * w[m];
    product = product + taps[m] * column[m];
  }
  store(j, 1, &output, &product, d);
}

void AffineProjectionToken::store(int32_t first, int count, const double* outputs, const double* products,
                                  const double* d) {
  double* r = &correlation(0);
  const int32_t k = order;
  if (first == 0) y = outputs[0];
  for (int c = 0; c < count; ++c) {
    errors(first + c) = d[first + c] - outputs[c];
    r[first + c] = products[c];
    r[(first + c) * k] = products[c];
  }
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
  double* z = &errors(0);
  double* a = &gains(0);
  const int32_t k = order;
  for (int32_t i = 0; i < columns; ++i) {
    double sum = 0.0;
    for (int32_t p = 0; p < i; ++p) sum = sum + l[i * k + p] * z[p];
    z[i] = (z[i] - sum) / l[i * k + i];
  }
  for (int32_t i = columns - 1; i >= 0; --i) {
    double sum = 0.0;
    for (int32_t p = i + 1; p < columns; ++p) sum = sum + l[p * k + i] * a[p];
    a[i] = (z[i] - sum) / l[i * k + i];
  }
  const double twoMu = 2.0 * mu;
  for (int32_t i = 0; i < columns; ++i) a[i] = twoMu * a[i];
}

double AffineProjectionToken::update(const double* taps, int32_t columns) {
  double* w = &weights(0);
  const double* g = &gains(0);
  double posterior = 0.0;
  int32_t m = 0;
  // Coefficients m … m+3 at once: lane c of the pairs sums coefficient
  // m + c's correction over ascending j, as the loop after it does one at a
  // time; the posterior sum still adds the coefficients in ascending m.
  for (; m + 4 <= length; m += 4) {
    Pair correction[2] = {};
    for (int32_t j = 0; j < columns; ++j) {
      const Pair gain = {g[j], g[j]};
      for (int h = 0; h < 2; ++h) {
        Pair column;
        Load(column, taps + m + j + 2 * h);
        correction[h] = correction[h] + column * gain;
      }
    }
    for (int h = 0; h < 2; ++h) {
      Pair coefficient;
      Load(coefficient, w + m + 2 * h);
      coefficient = coefficient + correction[h];
      Store(w + m + 2 * h, coefficient);
      posterior = posterior + taps[m + 2 * h] * coefficient[0];
      posterior = posterior + taps[m + 2 * h + 1] * coefficient[1];
    }
  }
  for (; m < length; ++m) {
    double correction = 0.0;
    for (int32_t j = 0; j < columns; ++j) correction = correction + taps[m + j] * g[j];
    w[m] = w[m] + correction;
    posterior = posterior + taps[m] * w[m];
  }
  return posterior;
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
  out[2] = d - update(taps, columns);
}

}  // namespace adaptive
