#include "adaptsim/cli/divergence_watch.h"

#include <cmath>

#include "adaptsim/io/number_text.h"

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
  const double rms = inputValues > 0 ? std::sqrt(inputSquares / inputValues) : 0.0;
  for (size_t o = 0; o < names.size(); ++o) {
    const double value = outputs[o];
    std::string what;
    if (!std::isfinite(value)) {
      if (!inputsFinite) continue;
      what = "is " + Short(value);
    } else if (inputsFinite && rms > 0.0 && std::fabs(value) > kRatio * rms) {
      what = "is " + Short(value) + ", more than " + Short(kRatio) + " times the input's RMS (" +
             Short(rms) + ")";
    } else {
      continue;
    }
    warned = true;
    return "warning: output \"" + names[o] + "\" " + what + " at sample " + std::to_string(sample) +
           " (counted from 0): the filter diverges; " + advice;
  }
  return "";
}
