// The Newton tokens: a gradient step of size μ along P·u, with P the running
// inverse correlation estimate of the regressor u updated with forgetting
// factor λ, and a leakage factor on the old coefficients. A general form driven
// by an error computed elsewhere, a recursive one-channel form that feeds its
// own past outputs back, and two- and three-channel transversal forms with one
// joint P over the stacked taps.
#pragma once

#include <cstdint>

#include "core/adaptive_token.h"
#include "tokens/catalogue_families.h"
#include "numerics/delay_line.h"
#include "numerics/matrix.h"
#include "numerics/vector.h"
#include "tokens/channel_lines.h"
#include "tokens/correlation_update.h"
#include "tokens/final_weights.h"
#include "tokens/parameters.h"

namespace adaptive {

// Working storage of the Newton update, allocated with the token's state.
struct NewtonWork {
  Vector product;  // P × u: first with the P before the update, then after it
  OuterProductWork outer;

  bool allocate(int32_t n) { return product.resize(n) || outer.allocate(n); }
};

// The update shared by all Newton tokens, with regressor u and error e:
// π = P × u; gain = (π·(1/λ))/q with q = (u·π)·(1/λ) + 1;
// P = (P − (gain × uᵀ) × P)·(1/λ); g = (P × u)·(μ·e) with the new P;
// weights[k] = leakage·weights[k] + g[k].
inline void NewtonUpdate(Matrix& P, Vector& gain, Vector& weights, const double* u, int32_t n, double mu,
                         double leakage, double lambdaInverse, double e, NewtonWork& work) {
  double* product = &work.product(0);
  MultiplyByVector(&P(0, 0), n, u, product);
  ComputeGain(u, product, n, lambdaInverse, &gain(0));
  OuterProductUpdate(&P(0, 0), n, &gain(0), u, lambdaInverse, work.outer, product);
  const double scale = mu * e;
  double* w = &weights(0);
  for (int32_t k = 0; k < n; ++k) w[k] = leakage * w[k] + product[k] * scale;
}

// Ports: "Input", "Error" in; "Output" out.
class GeneralNewtonToken : public AdaptiveToken {
 public:
  static constexpr int kEntry = CatalogueIndex("GenNEW");
  static constexpr int kLength = ParameterIndex(kEntry, "Numerator Coeffs");
  static constexpr int kLambda = ParameterIndex(kEntry, "Lambda");
  static constexpr int kMu = ParameterIndex(kEntry, "Mu");
  static constexpr int kLeakage = ParameterIndex(kEntry, "Leakage");
  static constexpr int kInit = ParameterIndex(kEntry, "Init");
  static constexpr int kFirstTap = ParameterIndex(kEntry, "First Tap Value");
  static constexpr int kMiddleTap = ParameterIndex(kEntry, "Middle Tap Value");
  static constexpr int kLastTap = ParameterIndex(kEntry, "Last Tap Value");

  explicit GeneralNewtonToken(TokenSetup& setup);
  void finish(CallStatus& status) override { files.writeAndClose(*this, status); }
  bool reportCoefficients(CoefficientSink& sink) const override;

 protected:
  void step(const double* in, double* out) override;

 private:
  DelayLine delayLine;
  Vector weights;
  Vector regressor;
  Matrix P;
  Vector gain;
  int32_t length = 0;
  double mu = 0.0;
  double leakage = 0.0;
  double lambdaInverse = 0.0;
  FinalWeightsFiles files;
  NewtonWork work;
};

// Ports: "Input", "Desired" in; "Output", "PriError", "PostError" out.
// The regressor holds the L input taps, then the M taps of the token's own
// past a-priori outputs; the weights hold the matching a(i), then b(j).
class RecursiveNewtonToken : public AdaptiveToken {
 public:
  static constexpr int kEntry = CatalogueIndex("NEW");
  static constexpr int kLength = ParameterIndex(kEntry, "Numerator Coeffs");
  static constexpr int kDenominatorCount = ParameterIndex(kEntry, "Denominator Coeffs");
  static constexpr int kLambda = ParameterIndex(kEntry, "Lambda");
  static constexpr int kMu = ParameterIndex(kEntry, "Mu");
  static constexpr int kLeakage = ParameterIndex(kEntry, "Leakage");
  static constexpr int kInit = ParameterIndex(kEntry, "Init");

  explicit RecursiveNewtonToken(TokenSetup& setup);
  void finish(CallStatus& status) override { files.writeAndClose(*this, status); }
  bool reportCoefficients(CoefficientSink& sink) const override;

 protected:
  void step(const double* in, double* out) override;

 private:
  DelayLine delayLine;
  DelayLine feedbackLine;
  Vector weights;
  Vector regressor;
  Matrix P;
  Vector gain;
  int32_t length = 0;
  int32_t feedbackLength = 0;
  int32_t totalLength = 0;
  double mu = 0.0;
  double leakage = 0.0;
  double lambdaInverse = 0.0;
  FinalWeightsFiles files;
  double previousOutput = 0.0;
  NewtonWork work;
};

// Ports: "Input 1" … "Input C", "Desired" in; "Output", "PriError",
// "PostError" out.
template <int C, int Entry>
class MultiChannelNewtonToken : public AdaptiveToken {
 public:
  static constexpr int kEntry = Entry;
  static constexpr std::array<int, C> kLength = NumeratorCountIndices<C>(Entry);
  static constexpr int kLambda = ParameterIndex(Entry, "Lambda");
  static constexpr int kMu = ParameterIndex(Entry, "Mu");
  static constexpr int kLeakage = ParameterIndex(Entry, "Leakage");
  static constexpr int kInit = ParameterIndex(Entry, "Init");

  explicit MultiChannelNewtonToken(TokenSetup& setup) : AdaptiveToken(C + 1, 3) {
    CallStatus& status = setup.status;
    if (!status.ok()) return;
    lines.readLengths(setup, kLength);
    const double lambda = ReadParameter(setup, kLambda);
    mu = ReadParameter(setup, kMu);
    leakage = ReadParameter(setup, kLeakage);
    const double init = ReadParameter(setup, kInit);
    if (!CheckParameters(setup, kCatalogue[Entry])) return;
    lambdaInverse = 1.0 / lambda;
    if (!lines.sumLengthsForSquareMatrices(2, status) || !lines.allocate(status)) return;
    const int32_t n = lines.total();
    if (P.resize(n, n) || gain.resize(n) || regressor.resize(n) || weights.resize(n) || work.allocate(n)) {
      ReportStorageFailure(status);
      return;
    }
    lines.zero();
    SetScaledIdentity(P, 1.0 / init);
    gain.zero();
    regressor.zero();
    weights.zero();
    if (!files.open(C, setup)) return;
    markConstructed();
  }

  void finish(CallStatus& status) override { files.writeAndClose(*this, status); }
  bool reportCoefficients(CoefficientSink& sink) const override {
    sink.addChannelBlocks(&weights(0), lines.lengths(), C);
    return true;
  }

 protected:
  void step(const double* in, double* out) override {
    const int32_t n = lines.total();
    double* u = &regressor(0);
    lines.pushAndStack(in, u);
    const double d = in[C];
    const double y = Dot(u, &weights(0), n);
    const double e = d - y;
    out[0] = y;
    out[1] = e;
    NewtonUpdate(P, gain, weights, u, n, mu, leakage, lambdaInverse, e, work);
    out[2] = d - Dot(u, &weights(0), n);
  }

 private:
  ChannelLines<C> lines;
  Vector weights;
  Vector regressor;
  Matrix P;
  Vector gain;
  double mu = 0.0;
  double leakage = 0.0;
  double lambdaInverse = 0.0;
  FinalWeightsFiles files;
  NewtonWork work;
};

}  // namespace adaptive
