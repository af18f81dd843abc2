// The LMS-type tokens driven by a desired signal: a recursive one-channel form
// (numerator on the input, feedback on the token's own past outputs) and a two-
// or three-channel transversal form with one common error. The gain rule is a
// policy: the plain LMS gain here, the normalised one in the NLMS tokens.
#pragma once

#include <cstdint>

#include "core/adaptive_token.h"
#include "tokens/catalogue_families.h"
#include "numerics/arithmetic.h"
#include "numerics/delay_line.h"
#include "numerics/vector.h"
#include "tokens/final_weights.h"
#include "tokens/leaky_update.h"
#include "tokens/parameters.h"

namespace adaptive {

// g = 2 × μ × e. A gain rule tells whether it needs the energy of the line it
// multiplies (Σ tap(k)², formed with the filter output) and gets it with the
// line's length.
struct PlainLmsGain {
  static constexpr bool kUsesEnergy = false;
  static double compute(double mu, double error, double, int32_t) { return 2.0 * mu * error; }
};

// Ports: "Input", "Desired" in; "Output", "PriError", "PostError" out.
template <class Gain, int Entry>
class RecursiveLmsToken : public AdaptiveToken {
 public:
  static constexpr int kEntry = Entry;
  static constexpr int kLength = ParameterIndex(Entry, "Numerator Coeffs");
  static constexpr int kMuForward = ParameterIndex(Entry, "Mu Forward");
  static constexpr int kLeakageForward = ParameterIndex(Entry, "Leakage Forward");
  static constexpr int kDenominatorCount = ParameterIndex(Entry, "Denominator Coeffs");
  static constexpr int kMuBackward = ParameterIndex(Entry, "Mu Backward");
  static constexpr int kLeakageBackward = ParameterIndex(Entry, "Leakage Backward");

  explicit RecursiveLmsToken(TokenSetup& setup) : AdaptiveToken(2, 3) {
    CallStatus& status = setup.status;
    if (!status.ok()) return;
    const int32_t denominatorCount = ReadCount(setup, kDenominatorCount);
    length = ReadCount(setup, kLength);
    muForward = ReadParameter(setup, kMuForward);
    leakageForward = ReadParameter(setup, kLeakageForward);
    muBackward = ReadParameter(setup, kMuBackward);
    leakageBackward = ReadParameter(setup, kLeakageBackward);
    if (!CheckParameters(setup, kCatalogue[Entry])) return;
    feedbackLength = denominatorCount - 1;
    if (delayLine.setlength(length) || feedbackLine.setlength(feedbackLength)) { ReportStorageFailure(status); return; }
    delayLine.zero();
    feedbackLine.zero();
    if (weights.resize(length) || feedbackWeights.resize(feedbackLength)) { ReportStorageFailure(status); return; }
    weights.zero();
    feedbackWeights.zero();
    previousOutput = 0.0;
    if (!files.open(1, setup)) return;
    markConstructed();
  }

  void finish(CallStatus& status) override { files.writeAndClose(*this, status); }
  bool reportCoefficients(CoefficientSink& sink) const override {
    sink.addChannel(0, &weights(0), length, DenominatorSection::Recursive,
                 feedbackLength > 0 ? &feedbackWeights(0) : nullptr, feedbackLength);
    return true;
  }

 protected:
  void step(const double* in, double* out) override {
    const double x = in[0];
    const double d = in[1];
    delayLine.push(x);
    double energy = 0.0;
    double feedbackEnergy = 0.0;
    double y = DotAndEnergy<Gain::kUsesEnergy>(delayLine, weights, energy);
    if (feedbackLength > 0) {
      feedbackLine.push(previousOutput);
      y = y + DotAndEnergy<Gain::kUsesEnergy>(feedbackLine, feedbackWeights, feedbackEnergy);
    }
    const double e = d - y;
    previousOutput = y;
    out[0] = y;
    out[1] = e;
    double g = Gain::compute(muForward, e, energy, length);
    double posterior = LeakyUpdateAndDot(delayLine, weights, leakageForward, g);
    if (feedbackLength > 0) {
      g = Gain::compute(muBackward, e, feedbackEnergy, feedbackLength);
      posterior = posterior + LeakyUpdateAndDot(feedbackLine, feedbackWeights, leakageBackward, g);
    }
    out[2] = d - posterior;
  }

 private:
  DelayLine delayLine;
  DelayLine feedbackLine;
  Vector weights;
  Vector feedbackWeights;
  int32_t length = 0;
  int32_t feedbackLength = 0;
  double muForward = 0.0;
  double muBackward = 0.0;
  double leakageForward = 0.0;
  double leakageBackward = 0.0;
  FinalWeightsFiles files;
  double previousOutput = 0.0;
};

// Parameters per channel: count, μ and leakage.
// Ports: "Input 1" … "Input C", "Desired" in; "Output", "PriError", "PostError" out.
// Each channel has its own delay line, coefficients, length, μ and leakage:
// arrays indexed by channel.
template <int C, class Gain, int Entry>
class MultiChannelLmsToken : public AdaptiveToken {
 public:
  static constexpr int kEntry = Entry;
  static constexpr std::array<int, C> kLength = NumeratorCountIndices<C>(Entry);
  static constexpr std::array<int, C> kMu = ChannelParameterIndices<C>(Entry, kChannelStepSizes);
  static constexpr std::array<int, C> kLeakage = ChannelParameterIndices<C>(Entry, kChannelLeakages);

  explicit MultiChannelLmsToken(TokenSetup& setup) : AdaptiveToken(C + 1, 3) {
    CallStatus& status = setup.status;
    if (!status.ok()) return;
    for (int c = 0; c < C; ++c) {
      length[c] = ReadCount(setup, kLength[c]);
      mu[c] = ReadParameter(setup, kMu[c]);
      leakage[c] = ReadParameter(setup, kLeakage[c]);
    }
    if (!CheckParameters(setup, kCatalogue[Entry])) return;
    for (int c = 0; c < C; ++c) {
      if (delayLine[c].setlength(length[c])) { ReportStorageFailure(status); return; }
      delayLine[c].zero();
    }
    for (int c = 0; c < C; ++c) {
      if (weights[c].resize(length[c])) { ReportStorageFailure(status); return; }
      weights[c].zero();
    }
    if (!files.open(C, setup)) return;
    markConstructed();
  }

  void finish(CallStatus& status) override { files.writeAndClose(*this, status); }
  bool reportCoefficients(CoefficientSink& sink) const override {
    for (int c = 0; c < C; ++c) sink.addChannel(c, &weights[c](0), length[c], DenominatorSection::Transversal);
    return true;
  }

 protected:
  void step(const double* in, double* out) override {
    for (int c = 0; c < C; ++c) delayLine[c].push(in[c]);
    const double d = in[C];
    double energy[C];
    double y = DotAndEnergy<Gain::kUsesEnergy>(delayLine[0], weights[0], energy[0]);
    for (int c = 1; c < C; ++c) y = y + DotAndEnergy<Gain::kUsesEnergy>(delayLine[c], weights[c], energy[c]);
    const double e = d - y;
    out[0] = y;
    out[1] = e;
    double posterior = d;
    for (int c = 0; c < C; ++c) {
      const double g = Gain::compute(mu[c], e, energy[c], length[c]);
      posterior = posterior - LeakyUpdateAndDot(delayLine[c], weights[c], leakage[c], g);
    }
    out[2] = posterior;
  }

 private:
  DelayLine delayLine[C];
  Vector weights[C];
  int32_t length[C] = {};
  double mu[C] = {};
  double leakage[C] = {};
  FinalWeightsFiles files;
};

}  // namespace adaptive
