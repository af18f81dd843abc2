#include "bench/expression_forms.h"

#include <cstdint>

#include "numerics/arithmetic.h"

namespace {

// RLS1 and RW1: one delay line as the regressor, the quadratic P update.
class OneChannelRls : public ExpressionForm {
 public:
  // A null variance means RLS: no random-walk step at all.
  OneChannelRls(int32_t n, double lambda, double init, const double* variance)
      : lambdaInverse(1.0 / lambda), randomWalkVariance(variance ? *variance : 0.0), randomWalk(variance != nullptr) {
    delayLine.setlength(n);
    delayLine.zero();
    P.identity(n, n, 1.0 / init);
    weights = Vector(n);
    gain = Vector(n);
    pTimesRegressor = Vector(n);
  }

  void Step(const double* inputs, double d, double* out) override {
    delayLine.push(inputs[0]);
    const double prior = dot(delayLine, weights);
    out[1] = d - prior;
    pTimesRegressor = P * transpose(delayLine);
    const double delta = dot(delayLine, pTimesRegressor) * lambdaInverse + 1.0;
    gain = (pTimesRegressor * lambdaInverse) / delta;
    const double e = d - prior;
    for (int32_t i = 0; i < weights.rows(); ++i) weights(i) = gain(i) * e + weights(i);
    P = (P - gain * (delayLine * P)) * lambdaInverse;
    if (randomWalk)
      for (int32_t i = 0; i < P.rows(); ++i) P(i, i) = P(i, i) + randomWalkVariance;
    const double posterior = dot(delayLine, weights);
    out[0] = posterior;
    out[2] = d - posterior;
  }

 private:
  DelayLine delayLine;
  Matrix P;
  Vector weights, gain, pTimesRegressor;
  double lambdaInverse, randomWalkVariance;
  bool randomWalk;
};

// The stacked regressor of the channel tokens.
class Channels {
 public:
  explicit Channels(const std::vector<int32_t>& lengths) : lines(lengths.size()) {
    for (size_t c = 0; c < lengths.size(); ++c) {
      lines[c].setlength(lengths[c]);
      lines[c].zero();
      total += lengths[c];
    }
  }
  // Pushes one sample per channel and stacks the taps into regressor.
  void Push(const double* inputs, Matrix& regressor) {
    int32_t k = 0;
    for (size_t c = 0; c < lines.size(); ++c) {
      lines[c].push(inputs[c]);
      for (int32_t i = 0; i < lines[c].length(); ++i) regressor.data()[k++] = lines[c].tap(i);
    }
  }
  int32_t total = 0;

 private:
  std::vector<DelayLine> lines;
};

// RLS2, RLS3, RW2, RW3: P = (P − (gain × regressor) × P)·(1/λ), the cubic update.
class ChannelRls : public ExpressionForm {
 public:
  ChannelRls(const std::vector<int32_t>& lengths, double lambda, double init, const double* variance)
      : channels(lengths),
        lambdaInverse(1.0 / lambda),
        randomWalkVariance(variance ? *variance : 0.0),
        randomWalk(variance != nullptr) {
    const int32_t n = channels.total;
    regressor = RowVector(n);
    P.identity(n, n, 1.0 / init);
    weights = Vector(n);
    gain = Vector(n);
    pTimesRegressor = Vector(n);
  }

  void Step(const double* inputs, double d, double* out) override {
    channels.Push(inputs, regressor);
    const double prior = dot(regressor, weights);
    out[1] = d - prior;
    pTimesRegressor = P * transpose(regressor);
    const double delta = dot(regressor, pTimesRegressor) * lambdaInverse + 1.0;
    gain = (pTimesRegressor * lambdaInverse) / delta;
    const double e = d - prior;
    for (int32_t i = 0; i < weights.rows(); ++i) weights(i) = gain(i) * e + weights(i);
    const Matrix G = gain * regressor;
    P = (P - G * P) * lambdaInverse;
    if (randomWalk)
      for (int32_t i = 0; i < P.rows(); ++i) P(i, i) = P(i, i) + randomWalkVariance;
    const double posterior = dot(regressor, weights);
    out[0] = posterior;
    out[2] = d - posterior;
  }

 private:
  Channels channels;
  RowVector regressor;
  Matrix P;
  Vector weights, gain, pTimesRegressor;
  double lambdaInverse, randomWalkVariance;
  bool randomWalk;
};

// NEW2, NEW3: the Newton update with its cubic P update.
class ChannelNewton : public ExpressionForm {
 public:
  ChannelNewton(const std::vector<int32_t>& lengths, double lambda, double mu, double leakage, double init)
      : channels(lengths), mu(mu), leakage(leakage), lambdaInverse(1.0 / lambda) {
    const int32_t n = channels.total;
    P.identity(n, n, 1.0 / init);
    gain = Vector(n);
    regressor = Vector(n);
    weights = Vector(n);
  }

  void Step(const double* inputs, double d, double* out) override {
    channels.Push(inputs, regressor);
    const double y = dot(transpose(regressor), weights);
    const double e = d - y;
    out[0] = y;
    out[1] = e;
    const Vector pi = P * regressor;
    const double q = dot(transpose(regressor), pi) * lambdaInverse + 1.0;
    gain = (pi * lambdaInverse) / q;
    P = (P - (gain * transpose(regressor)) * P) * lambdaInverse;
    const Vector g = (P * regressor) * (mu * e);
    for (int32_t k = 0; k < weights.rows(); ++k) weights(k) = leakage * weights(k) + g(k);
    out[2] = d - dot(transpose(regressor), weights);
  }

 private:
  Channels channels;
  Matrix P;
  Vector gain, regressor, weights;
  double mu, leakage, lambdaInverse;
};

std::vector<int32_t> Lengths(const std::vector<double>& p, size_t count) {
  return std::vector<int32_t>(p.begin(), p.begin() + count);
}

}  // namespace

std::unique_ptr<ExpressionForm> MakeExpressionForm(const std::string& token, const std::vector<double>& p) {
  const auto n = [&](size_t k) { return static_cast<int32_t>(p[k]); };
  if (token == "RLS1") return std::make_unique<OneChannelRls>(n(0), p[1], p[2], nullptr);
  if (token == "RW1") return std::make_unique<OneChannelRls>(n(0), p[1], p[2], &p[3]);
  if (token == "RLS2") return std::make_unique<ChannelRls>(Lengths(p, 2), p[2], p[3], nullptr);
  if (token == "RLS3") return std::make_unique<ChannelRls>(Lengths(p, 3), p[3], p[4], nullptr);
  if (token == "RW2") return std::make_unique<ChannelRls>(Lengths(p, 2), p[2], p[3], &p[4]);
  if (token == "RW3") return std::make_unique<ChannelRls>(Lengths(p, 3), p[3], p[4], &p[5]);
  if (token == "NEW2") return std::make_unique<ChannelNewton>(Lengths(p, 2), p[2], p[3], p[4], p[5]);
  if (token == "NEW3") return std::make_unique<ChannelNewton>(Lengths(p, 3), p[3], p[4], p[5], p[6]);
  return nullptr;
}
