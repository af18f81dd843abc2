// Plain models of the RLS, random-walk and Newton equations, written with the
// numerics operators and their temporaries exactly as the equations read. The
// tests hold the tokens to them bit for bit; the benchmarks time them against
// the tokens' allocation-free steps.
#pragma once

#include <optional>
#include <vector>

#include "numerics/arithmetic.h"

namespace adaptive {

inline Vector Column(const std::vector<double>& values) {
  Vector v(static_cast<int>(values.size()));
  for (size_t k = 0; k < values.size(); ++k) v(static_cast<int>(k)) = values[k];
  return v;
}

// P = (1/init)·I and zero weights, updated per regressor u and error e.
struct CorrelationModel {
  // kRow (GenRLS, RLS1, GenRW, RW1): P − gain × (uᵀ × P). kOuter (RLS2/3,
  // RW2/3): G = gain × uᵀ first, then P − G × P. kNewton: the outer form, then
  // weights = leakage·weights + (P × u)·(μ·e) with the new P.
  enum Form { kRow, kOuter, kNewton };

  // A given q is the random-walk variance added to the diagonal of P.
  CorrelationModel(Form form, int n, double lambda, double init, std::optional<double> q = std::nullopt)
      : form(form), lambdaInverse(1.0 / lambda), q(q) {
    P.identity(n, n, 1.0 / init);
    weights.resize(n);
    weights.zero();
  }
  static CorrelationModel newton(int n, double lambda, double mu, double leakage, double init) {
    CorrelationModel model(kNewton, n, lambda, init);
    model.mu = mu;
    model.leakage = leakage;
    return model;
  }

  void update(const Vector& u, double e) {
    const RowVector uT = transpose(u);
    const Vector pi = P * u;
    const double delta = dot(uT, pi) * lambdaInverse + 1.0;
    const Vector gain = (pi * lambdaInverse) / delta;
    if (form != kNewton)
      for (int i = 0; i < weights.rows(); ++i) weights(i) = gain(i) * e + weights(i);
    if (form == kRow) {
      const RowVector uP = static_cast<const Matrix&>(uT) * P;  // not the dot product
      P = (P - gain * uP) * lambdaInverse;
    } else {
      const Matrix G = gain * uT;
      P = (P - G * P) * lambdaInverse;
    }
    if (q)
      for (int i = 0; i < P.rows(); ++i) P(i, i) = P(i, i) + *q;
    if (form == kNewton) {
      const Vector g = (P * u) * (mu * e);
      for (int k = 0; k < weights.rows(); ++k) weights(k) = leakage * weights(k) + g(k);
    }
  }
  double Output(const Vector& u) const { return dot(transpose(u), weights); }
  // "Output", "PriError", "PostError" of a channel token: the RLS forms put out
  // the filter after the update, the Newton form the one before it.
  std::vector<double> step(const Vector& u, double d) {
    const double prior = Output(u);
    update(u, d - prior);
    const double posterior = Output(u);
    return {form == kNewton ? prior : posterior, d - prior, d - posterior};
  }

  Form form;
  Matrix P;
  Vector weights;
  double lambdaInverse;
  std::optional<double> q;
  double mu = 0.0, leakage = 1.0;
};

// Each channel's history, newest first, stacked into one regressor.
struct StackedTaps {
  explicit StackedTaps(const std::vector<int>& lengths) {
    int n = 0;
    for (int l : lengths) history.emplace_back(l, 0.0), n += l;
    regressor = Vector(n);
  }
  const Vector& push(const std::vector<double>& in) {
    std::vector<double> u;
    for (size_t c = 0; c < history.size(); ++c) {
      history[c].insert(history[c].begin(), in[c]);
      history[c].pop_back();
      u.insert(u.end(), history[c].begin(), history[c].end());
    }
    regressor = Column(u);
    return regressor;
  }
  std::vector<std::vector<double>> history;
  Vector regressor;
};

}  // namespace adaptive
