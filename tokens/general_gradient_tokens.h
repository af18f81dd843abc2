// The general-gradient tokens: a transversal filter whose error and gradient
// ("- de/dw") are computed elsewhere in the diagram. The token keeps its own
// history of the gradient signal and updates coefficient i with the gradient
// sample taken i samples before the latest stored one. The three tokens differ
// only in where the step size and leakage come from and in the gain, which a
// policy supplies.
#pragma once

#include <cstdint>

#include "core/adaptive_token.h"
#include "tokens/catalogue_families.h"
#include "numerics/arithmetic.h"
#include "numerics/delay_line.h"
#include "numerics/vector.h"
#include "tokens/energy_regularisation.h"
#include "tokens/final_weights.h"
#include "tokens/initial_taps.h"
#include "tokens/parameters.h"

namespace adaptive {

// GenLMS_A: μ and leakage arrive on the inputs "Mu" and "Leakage" every sample,
// unchecked; its parameters are the count and the three tap values.
struct PortStepLmsGain {
  static constexpr int32_t kInputs = 5;
  static constexpr bool kStepFromPorts = true;
  static double compute(double mu, double error, const DelayLine&, int32_t) { return 2.0 * mu * error; }
};

// GenLMS_B: k = 2 × μ × e with "Mu" and "Leakage Factor" as parameters.
struct ParameterStepLmsGain {
  static constexpr int32_t kInputs = 3;
  static constexpr bool kStepFromPorts = false;
  static double compute(double mu, double error, const DelayLine&, int32_t) { return 2.0 * mu * error; }
};

// GenNLMS: k = ((2 × μ) / (L × power(input line) + δ)) × e. Unlike the NLMS
// tokens the step is divided before the error multiplies it, and the energy is
// that of the input line before this sample is pushed. Parameters as GenLMS_B.
struct NormalisedGradientGain {
  static constexpr int32_t kInputs = 3;
  static constexpr bool kStepFromPorts = false;
  static double compute(double mu, double error, const DelayLine& inputLine, int32_t length) {
    return ((2.0 * mu) / (length * power(inputLine) + kEnergyRegularisation)) * error;
  }
};

// Ports: "Input", "- de/dw", "Error" (then "Mu", "Leakage" for GenLMS_A) in;
// "Output" out.
template <class Gain, int Entry>
class GeneralGradientToken : public AdaptiveToken {
 public:
  static constexpr int kEntry = Entry;
  static constexpr int kLength = ParameterIndex(Entry, "Numerator Coeffs");
  static constexpr int kMu = Gain::kStepFromPorts ? -1 : ParameterIndex(Entry, "Mu");
  static constexpr int kLeakage = Gain::kStepFromPorts ? -1 : ParameterIndex(Entry, "Leakage Factor");
  static constexpr int kFirstTap = ParameterIndex(Entry, "First Tap Value");
  static constexpr int kMiddleTap = ParameterIndex(Entry, "Middle Tap Value");
  static constexpr int kLastTap = ParameterIndex(Entry, "Last Tap Value");

  explicit GeneralGradientToken(TokenSetup& setup) : AdaptiveToken(Gain::kInputs, 1) {
    CallStatus& status = setup.status;
    if (!status.ok()) return;
    length = ReadCount(setup, kLength);
    if (!Gain::kStepFromPorts) {
      mu = ReadParameter(setup, kMu);
      leakage = ReadParameter(setup, kLeakage);
    }
    const double firstTapValue = ReadParameter(setup, kFirstTap);
    const double middleTapValue = ReadParameter(setup, kMiddleTap);
    const double lastTapValue = ReadParameter(setup, kLastTap);
    if (!CheckParameters(setup, kCatalogue[Entry])) return;
    if (delayLine.setlength(length)) { ReportStorageFailure(status); return; }
    delayLine.zero();
    if (gradientLine.setlength(length)) { ReportStorageFailure(status); return; }
    gradientLine.zero();
    if (weights.resize(length)) { ReportStorageFailure(status); return; }
    weights.zero();
    SetInitialTaps(weights, length, firstTapValue, middleTapValue, lastTapValue, ZeroTapValue::KeepZero);
    if (!files.open(1, setup)) return;
    markConstructed();
  }

  void finish(CallStatus& status) override { files.writeAndClose(*this, status); }
  bool reportCoefficients(CoefficientSink& sink) const override {
    sink.addChannel(0, &weights(0), length, DenominatorSection::General);
    return true;
  }

 protected:
  void step(const double* in, double* out) override {
    const double x = in[0];
    const double g = in[1];
    const double e = in[2];
    const double stepSize = Gain::kStepFromPorts ? in[3] : mu;
    const double leak = Gain::kStepFromPorts ? in[4] : leakage;
    const double k = Gain::compute(stepSize, e, delayLine, length);
    // Update before the push: the gradient line still ends at g(n−1), so the
    // error of this sample meets the gradient of the previous ones.
    double* w = &weights(0);
    gradientLine.forEachTap([&](int32_t i, double tap) { w[i] = leak * w[i] + k * tap; });
    delayLine.push(x);
    gradientLine.push(g);
    out[0] = dot(delayLine, weights);
  }

 private:
  DelayLine delayLine;
  DelayLine gradientLine;
  Vector weights;
  int32_t length = 0;
  double mu = 0.0;
  double leakage = 0.0;
  FinalWeightsFiles files;
};

}  // namespace adaptive
