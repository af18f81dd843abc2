// Plain expression forms of the RLS, random-walk and Newton steps, written with
// the numerics operators and their temporaries exactly as the equations read,
// and the helpers that run a token beside them. The tokens' allocation-free
// paths must reproduce them bit for bit.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "numerics/arithmetic.h"
#include "tests/support/token_harness.h"
#include "tokens/entry_points.h"

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
constexpr const char* kTransversal = "\nDenominator Coefficients =1\n1\n";

// Identical bit patterns (so 0.0 differs from -0.0), except that any NaN
// matches any NaN: when both operands of an addition or a multiplication are
// NaN, the one the processor returns depends on the operand order that the
// compiler picks for the commutative instruction, which the language leaves
// open. Every other value is reproducible.
inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0 || (a != a && b != b); }

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

  // A nonzero q is the random-walk variance added to the diagonal of P.
  CorrelationModel(Form form, int n, double lambda, double init, double q = 0.0)
      : form(form), lambdaInverse(1.0 / lambda), q(q) {
    P.identity(n, n, 1.0 / init);
    weights.resize(n);
    weights.zero();
  }
  static CorrelationModel Newton(int n, double lambda, double mu, double leakage, double init) {
    CorrelationModel model(kNewton, n, lambda, init);
    model.mu = mu;
    model.leakage = leakage;
    return model;
  }

  void Update(const Vector& u, double e) {
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
    if (q != 0.0)
      for (int i = 0; i < P.rows(); ++i) P(i, i) = P(i, i) + q;
    if (form == kNewton) {
      const Vector g = (P * u) * (mu * e);
      for (int k = 0; k < weights.rows(); ++k) weights(k) = leakage * weights(k) + g(k);
    }
  }
  double Output(const Vector& u) const { return dot(transpose(u), weights); }
  // "Output", "PriError", "PostError" of a channel token: the RLS forms put out
  // the filter after the update, the Newton form the one before it.
  std::vector<double> Step(const Vector& u, double d) {
    const double prior = Output(u);
    Update(u, d - prior);
    const double posterior = Output(u);
    return {form == kNewton ? prior : posterior, d - prior, d - posterior};
  }

  Form form;
  Matrix P;
  Vector weights;
  double lambdaInverse, q, mu = 0.0, leakage = 1.0;
};

// Each channel's history, newest first, stacked into one regressor.
struct StackedTaps {
  explicit StackedTaps(const std::vector<int>& lengths) {
    int n = 0;
    for (int l : lengths) history.emplace_back(l, 0.0), n += l;
    regressor = Vector(n);
  }
  const Vector& Push(const std::vector<double>& in) {
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

// The numbers of a final-weights file's numerator section.
inline std::vector<double> Coefficients(const std::string& text) {
  std::vector<double> values;
  int count = 0;
  if (std::sscanf(text.c_str(), "Numerator Coefficients =%d", &count) != 1) return values;
  for (const char* p = std::strchr(text.c_str(), '\n'); p != nullptr && count-- > 0; p = std::strchr(p + 1, '\n'))
    values.push_back(std::strtod(p + 1, nullptr));
  return values;
}

inline std::string FileOfChannel(const std::string& base, int channels, int c) {
  return channels == 1 ? base + ".txt" : base + std::to_string(c + 1) + ".txt";
}
inline void RemoveFiles(const std::string& base, int channels) {
  for (int c = 0; c < channels; ++c) std::remove(FileOfChannel(base, channels, c).c_str());
}

// Status and message of a creation with these parameters; the destruction
// that follows must succeed whatever the creation did.
inline std::pair<int, std::string> CreateStatus(TokenEntryPoint entry, int inputs, int outputs,
                                                std::vector<double> parameters) {
  TokenHarness host(entry, inputs, outputs, std::move(parameters));
  host.ClearErrorText();
  const int status = host.Create();
  const std::string text = host.ErrorText();
  EXPECT_EQ(host.Terminate(), 0);
  return {status, text};
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

// A token beside its model over 80 random samples, then (unless `special`,
// whose files would only hold NaNs) each channel's final-weights file. A
// general token (`lengths` of one entry, error input, "Output" only) updates
// with the previous regressor before it takes the new sample.
inline void ExpectMatchesModel(TokenEntryPoint entry, const std::vector<double>& parameters,
                               const std::vector<int>& lengths, bool general, unsigned seed, bool special,
                               CorrelationModel model) {
  const int C = static_cast<int>(lengths.size());
  RemoveFiles("model", C);
  StackedTaps taps(lengths);
  {
    TokenHarness host(entry, C + 1, general ? 1 : 3, parameters, "model.txt");
    ASSERT_EQ(host.Create(), 0);
    ExpectSameOutputs(host, 80, seed, special, [&](const std::vector<double>& in) {
      if (!general) return model.Step(taps.Push(in), in[C]);
      model.Update(taps.regressor, in[1]);
      return std::vector<double>{model.Output(taps.Push(in))};
    });
  }
  const char* denominator = entry == &GenNEW ? "Denominator Coefficients =1\n1\n" : kTransversal;
  for (int c = 0, start = 0; c < C && !special; start += lengths[c++])
    EXPECT_EQ(ReadFileText(FileOfChannel("model", C, c)), CoefficientText(model.weights, start, lengths[c], denominator));
}

// The coefficients, all channels in order, that a channel token reaches on
// noiseless samples of the FIR system `truth` over the stacked regressor; the
// a-posteriori error must vanish once the first 3·N samples are in.
inline std::vector<double> IdentifiedCoefficients(TokenHarness& host, const std::vector<int>& lengths,
                                                  const std::vector<double>& truth, double tolerance) {
  const int C = static_cast<int>(lengths.size());
  RemoveFiles("fir", C);
  host.SetFileName("fir.txt");
  EXPECT_EQ(host.Create(), 0);
  std::mt19937 rng(2024);
  std::normal_distribution<double> n01;
  StackedTaps taps(lengths);
  for (int n = 0; n < 200; ++n) {
    std::vector<double> in(C + 1);
    for (int c = 0; c < C; ++c) in[c] = n01(rng);
    in[C] = dot(transpose(Column(truth)), taps.Push(in));
    host.Run(in);
    if (n >= 3 * static_cast<int>(truth.size())) {
      EXPECT_NEAR(host.Output(2), 0.0, tolerance) << n;
    }
  }
  host.Terminate();
  std::vector<double> got;
  for (int c = 0; c < C; ++c) {
    const std::vector<double> block = Coefficients(ReadFileText(FileOfChannel("fir", C, c)));
    EXPECT_EQ(block.size(), static_cast<size_t>(lengths[c]));
    got.insert(got.end(), block.begin(), block.end());
  }
  return got;
}
