// A run whose filter blows up still exits 0 (the library did what it was
// asked), but the user hears of it: the first sample at which an output is
// not finite, or exceeds a million times the RMS of the input so far.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class DivergenceWatch {
 public:
  static constexpr double kRatio = 1e6;

  // `outputNames` name the watched output values in order; `advice` ends the
  // warning (what to change).
  DivergenceWatch(std::vector<std::string> outputNames, std::string advice)
      : names(std::move(outputNames)), advice(std::move(advice)) {}

  // Looks at one sample's inputs and outputs; returns the warning the first
  // time an output runs away, else "". Outputs that are not finite only
  // count while every input so far was finite (NaN in, NaN out is no fault).
  std::string check(int64_t sample, const double* inputs, size_t inputCount, const double* outputs);

 private:
  std::vector<std::string> names;
  std::string advice;
  double inputSquares = 0.0;
  double inputValues = 0.0;
  bool inputsFinite = true;
  bool warned = false;
};
