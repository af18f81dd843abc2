// A filter that blows up still runs (the library did what it was asked), but
// its user hears of it once: the first sample at which an output is not
// finite, or exceeds a million times the RMS of the input so far. adaptsim
// and the Python package watch their filters with this one detector.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "adaptive/token_info.h"

namespace adaptive {

class DivergenceWatch {
 public:
  static constexpr double kRatio = 1e6;

  // `outputNames` name the watched output values in order; `advice` ends the
  // warning (what to change).
  DivergenceWatch(std::vector<std::string> outputNames, std::string advice)
      : names(std::move(outputNames)), advice(std::move(advice)) {}

  // Looks at one sample's inputs and outputs; returns the warning the first
  // time an output runs away (without a "warning:" label: the caller shows it
  // as its kind of warning), else "". Outputs that are not finite only count
  // while every input so far was finite (NaN in, NaN out is no fault).
  std::string check(int64_t sample, const double* inputs, size_t inputCount, const double* outputs);

 private:
  std::vector<std::string> names;
  std::string advice;
  double inputSquares = 0.0;
  double inputValues = 0.0;
  bool inputsFinite = true;
  bool warned = false;
};

// What to change when `token` runs away: its step sizes, or for the tokens
// without one, "Init" and "Lambda".
std::string StepSizeAdvice(const TokenInfo& token);

}  // namespace adaptive
