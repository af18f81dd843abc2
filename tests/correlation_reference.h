// Plain expression forms of the RLS, random-walk and Newton steps, written with
// the numerics operators and their temporaries exactly as the equations read.
// The tokens' allocation-free paths must reproduce them bit for bit.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "numerics/arithmetic.h"
#include "tests/token_harness.h"
#include "tokens/entry_points.h"

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// Identical bit patterns (so 0.0 differs from -0.0), except that any NaN
// matches any NaN: when both operands of an addition or a multiplication are
// NaN, the one the processor returns depends on the operand order that the
// compiler picks for the commutative instruction, which the language leaves
// open. Every other value is reproducible.
inline bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0 || (a != a && b != b);
}

// P = (1/init)·I, weights zero.
inline void InitialState(int n, double init, Matrix& P, Vector& weights) {
  P.identity(n, n, 1.0 / init);
  weights.resize(n);
  weights.zero();
}

// GenRLS / RLS1 (and GenRW / RW1 when walk is set): the row form x × P.
struct RowFormRlsModel {
  RowFormRlsModel(int n, double lambda, double init, double q = 0.0, bool walk = false)
      : lambdaInverse(1.0 / lambda), q(q), walk(walk) {
    line.setlength(n);
    line.zero();
    InitialState(n, init, P, weights);
  }
  void Update(double e) {
    pTimesRegressor = P * transpose(line);
    const double d = dot(line, pTimesRegressor) * lambdaInverse + 1.0;
    gain = (pTimesRegressor * lambdaInverse) / d;
    for (int i = 0; i < weights.rows(); ++i) weights(i) = gain(i) * e + weights(i);
    P = (P - gain * (line * P)) * lambdaInverse;
    if (walk)
      for (int i = 0; i < P.rows(); ++i) P(i, i) = P(i, i) + q;
  }
  double GeneralStep(double s, double e) {
    Update(e);
    line.push(s);
    return dot(line, weights);
  }
  std::vector<double> Step(double s, double d) {
    line.push(s);
    const double prior = dot(line, weights);
    Update(d - prior);
    const double posterior = dot(line, weights);
    return {posterior, d - prior, d - posterior};
  }
  DelayLine line;
  Matrix P;
  Vector weights, gain, pTimesRegressor;
  double lambdaInverse, q;
  bool walk;
};

// RLS2/3 and RW2/3: outer product G = gain × regressor first, then G × P.
struct OuterFormRlsModel {
  OuterFormRlsModel(std::vector<int> lengths, double lambda, double init, double q = 0.0, bool walk = false)
      : lengths(lengths), lambdaInverse(1.0 / lambda), q(q), walk(walk) {
    int n = 0;
    for (size_t c = 0; c < lengths.size(); ++c) lines[c].setlength(lengths[c]), lines[c].zero(), n += lengths[c];
    regressor.resize(n);
    InitialState(n, init, P, weights);
  }
  std::vector<double> Step(const std::vector<double>& in, double d) {
    for (int c = 0, k = 0; c < static_cast<int>(lengths.size()); ++c) {
      lines[c].push(in[c]);
      for (int t = 0; t < lengths[c]; ++t) regressor(k++) = lines[c].tap(t);
    }
    const double prior = dot(regressor, weights);
    pTimesRegressor = P * transpose(regressor);
    const double delta = dot(regressor, pTimesRegressor) * lambdaInverse + 1.0;
    gain = (pTimesRegressor * lambdaInverse) / delta;
    const double e = d - prior;
    for (int i = 0; i < weights.rows(); ++i) weights(i) = gain(i) * e + weights(i);
    const Matrix G = gain * regressor;
    P = (P - G * P) * lambdaInverse;
    if (walk)
      for (int i = 0; i < P.rows(); ++i) P(i, i) = P(i, i) + q;
    const double posterior = dot(regressor, weights);
    return {posterior, d - prior, d - posterior};
  }
  std::vector<int> lengths;
  DelayLine lines[3];
  RowVector regressor;
  Matrix P;
  Vector weights, gain, pTimesRegressor;
  double lambdaInverse, q;
  bool walk;
};

// The Newton update of every Newton token, for a regressor u and error e.
struct NewtonModel {
  NewtonModel(int n, double lambda, double mu, double leakage, double init)
      : lambdaInverse(1.0 / lambda), mu(mu), leakage(leakage) {
    InitialState(n, init, P, weights);
  }
  void Update(const Vector& u, double e) {
    const Vector pi = P * u;
    const double q = dot(transpose(u), pi) * lambdaInverse + 1.0;
    gain = (pi * lambdaInverse) / q;
    const Matrix G = gain * transpose(u);
    P = (P - G * P) * lambdaInverse;
    const Vector g = (P * u) * (mu * e);
    for (int k = 0; k < weights.rows(); ++k) weights(k) = leakage * weights(k) + g(k);
  }
  double Output(const Vector& u) const { return dot(transpose(u), weights); }
  Matrix P;
  Vector weights, gain;
  double lambdaInverse, mu, leakage;
};

// A final-weights section as the tokens write it, from a model's weights.
inline std::string CoefficientText(const Vector& w, int start, int count, const char* denominator) {
  std::string text = "Numerator Coefficients =" + std::to_string(count) + "\n";
  char value[64];
  for (int k = start; k < start + count; ++k) {
    std::snprintf(value, sizeof value, "%20.15E\n", w(k));
    text += value;
  }
  return text + denominator;
}
constexpr const char* kTransversal = "\nDenominator Coefficients =1\n1\n";

// Status and message of a creation with these parameters.
inline std::pair<int, std::string> CreateStatus(TokenEntryPoint entry, int inputs, int outputs,
                                                std::vector<double> parameters) {
  TokenHarness host(entry, inputs, outputs, std::move(parameters));
  host.ClearErrorText();
  const int status = host.Create();
  return {status, host.ErrorText()};
}

// Every parameter in turn set to values far outside its range: the creation
// reports 0, 1 or 1002 and never crashes, and an accepted instance runs. The
// lengths tried either fit easily or can never be allocated (so nothing huge
// is ever touched).
inline void ExpectNoCrashForAnyParameter(TokenEntryPoint entry, int inputs, int outputs,
                                         const std::vector<double>& defaults) {
  for (size_t p = 0; p < defaults.size(); ++p)
    for (double v : {kNaN, kInf, -kInf, 1e300, -1e300, -1.0, 0.0, 0.5, 2.9, 8388608.0, 1e9, 2147483647.0}) {
      std::vector<double> parameters = defaults;
      parameters[p] = v;
      TokenHarness host(entry, inputs, outputs, parameters);
      host.ClearErrorText();
      const int status = host.Create();
      EXPECT_TRUE(status == 0 || status == 1 || status == 1002) << p << " " << v;
      if (status == 1002) {
        EXPECT_EQ(host.ErrorText(), "Memory (s_) allocation error.");
      }
      for (int n = 0; n < 3; ++n) host.Run(std::vector<double>(inputs, 1.0 + n));
      EXPECT_EQ(host.Terminate(), 0);
    }
}

// Feeds the same random samples to a token and to `model` (inputs → outputs)
// and compares every output bit for bit. With `special`, an infinite input and
// later a NaN desired value enter near the end.
template <class Model>
void ExpectSameOutputs(TokenHarness& host, int steps, unsigned seed, bool special, Model model) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> n01;
  for (int n = 0; n < steps; ++n) {
    std::vector<double> in(host.inputPorts.size());
    for (double& v : in) v = n01(rng);
    if (special && n == steps - 8) in[0] = kInf;
    if (special && n == steps - 4) in.back() = kNaN;
    const std::vector<double> want = model(in);
    host.Run(in);
    for (size_t o = 0; o < want.size(); ++o) ASSERT_TRUE(SameBits(host.Output(static_cast<int>(o)), want[o])) << n;
  }
}

// File 1 of a two-channel token with lengths 1 and 1 after these samples.
// With the second sample's channel-1 input 0, only the off-diagonal part of a
// joint P can move the channel-1 coefficient.
inline std::string FirstChannelFile(TokenEntryPoint entry, std::vector<double> parameters,
                                    const std::vector<std::vector<double>>& samples) {
  std::remove("coupled1.txt");
  TokenHarness host(entry, 3, 3, std::move(parameters), "coupled.txt");
  EXPECT_EQ(host.Create(), 0);
  for (const auto& s : samples) host.Run(s);
  host.Terminate();
  return ReadFileText("coupled1.txt");
}
inline void ExpectChannelsCoupled(TokenEntryPoint entry, const std::vector<double>& parameters) {
  const std::string first = FirstChannelFile(entry, parameters, {{1, 1, 1}});
  EXPECT_EQ(FirstChannelFile(entry, parameters, {{1, 1, 1}, {0, 0, 3}}), first);
  EXPECT_NE(FirstChannelFile(entry, parameters, {{1, 1, 1}, {0, 1, 3}}), first);
}
