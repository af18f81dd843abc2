#include "api/divergence_watch.h"

#include <cmath>

#include "adaptive/number_text.h"

namespace adaptive {
namespace {

std::string Short(double value) { return FormatSignificant(value, 3); }

}  // namespace

std::string DivergenceWatch::check(int64_t sample, const double* inputs, size_t inputCount, const double* outputs) {
  if (warned) return "";
  for (size_t i = 0; i < inputCount; ++i) {
    if (!std::isfinite(inputs[i])) inputsFinite = false;
    inputSquares += inputs[i] * inputs[i];
  }
  inputValues += static_cast<double>(inputCount);
  // |value| > kRatio * RMS, compared in squares: no root or division per sample.
  const double bound = kRatio * kRatio * inputSquares;
  for (size_t o = 0; o < names.size(); ++o) {
    const double value = outputs[o];
    std::string what;
    if (!std::isfinite(value)) {
      if (!inputsFinite) continue;
      what = "is " + Short(value);
    } else if (inputsFinite && inputSquares > 0.0 && value * value * inputValues > bound) {
      const double rms = std::sqrt(inputSquares / inputValues);
      what = "is " + Short(value) + ", more than " + Short(kRatio) + " times the input's RMS (" +
             Short(rms) + ")";
    } else {
      continue;
    }
    warned = true;
    return "output \"" + names[o] + "\" " + what + " at sample " + std::to_string(sample) +
           " (counted from 0): the filter diverges; " + advice;
  }
  return "";
}

std::string StepSizeAdvice(const TokenInfo& token) {
  std::string names;
  for (size_t k : token.parametersWithRole(ParameterRole::kStepSize)) {
    names += (names.empty() ? "" : ", ") + ("\"" + token.parameterNames[k] + "\"");
  }
  return names.empty() ? "try other parameters (a larger \"Init\" or a \"Lambda\" closer to 1)"
                       : "try a smaller step size (" + names + ")";
}

}  // namespace adaptive
