// Deterministic inputs for any token, the same on every machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "adaptive/filter.h"
#include "adaptive/token_info.h"

namespace adaptive {

// Short filters for tests over every token: every filter length at 3, a
// block (which must divide the length) of 3 and a projection order (which may
// not exceed it) of 2.
inline Filter::Parameters ShortFilter(const TokenInfo& token) {
  Filter::Parameters parameters;
  for (size_t k : token.lengthParameters()) parameters.emplace_back(token.parameterNames[k], 3);
  for (size_t k : token.parametersWithRole(ParameterRole::kBlockLength)) parameters.emplace_back(token.parameterNames[k], 3);
  for (size_t k : token.parametersWithRole(ParameterRole::kProjectionOrder))
    parameters.emplace_back(token.parameterNames[k], 2);
  return parameters;
}

// `samples` rows of every input port, uniform in [-amplitude, amplitude)
// from a fixed generator, the "Error" ports 20 times smaller.
inline std::vector<double> TokenInputs(const TokenInfo& token, size_t samples, double amplitude = 1.0) {
  std::vector<double> values(samples * token.inputNames.size());
  uint32_t state = 12345;
  for (size_t k = 0; k < values.size(); ++k) {
    state = state * 1664525u + 1013904223u;
    values[k] = amplitude * (static_cast<double>(state >> 8) / 8388608.0 - 1.0);
    if (token.inputNames[k % token.inputNames.size()] == "Error") values[k] *= 0.05;
  }
  return values;
}

}  // namespace adaptive
