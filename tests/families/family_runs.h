// Runs a family's token straight from its descriptor's factory, as the
// library's driver does, and the random cases the tests share.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/family_descriptor.h"
#include "tests/families/plain_models.h"

namespace adaptive {

struct TokenRun {
  int32_t status = 0;
  std::string message;
  std::vector<plain::Outputs> outputs;
};

// The row's defaults with `changes` applied by name, in the row's order.
inline std::vector<double> RowParameters(const CatalogueEntry& row,
                                         const std::vector<std::pair<std::string, double>>& changes) {
  std::vector<double> values;
  for (int p = 0; p < row.parameterCount; ++p) values.push_back(row.parameters[p].defaultValue);
  for (const auto& [name, value] : changes) values[static_cast<size_t>(ParameterIndex(row, name))] = value;
  return values;
}

// Creates token `index` of `family`, runs it over the inputs and closes it
// (writing `file` when not empty).
inline TokenRun RunToken(const FamilyDescriptor& family, int index, const std::vector<double>& parameters,
                         const std::vector<double>& x, const std::vector<double>& d, std::string file = "") {
  TokenRun run;
  char text[kErrorTextCapacity + 1] = {};
  CallStatus status(text);
  std::vector<char> name(file.begin(), file.end());
  name.resize(name.size() + 80, '\0');
  TokenSetup setup{parameters.data(), name.data(), status};
  AdaptiveToken* token = family.factories[index](setup);
  if (token == nullptr) return {kStatusNoToken, "", {}};
  if (status.ok()) {
    for (size_t n = 0; n < x.size(); ++n) {
      const double in[2] = {x[n], d[n]};
      double out[3];
      token->compute(in, out);
      run.outputs.push_back({out[0], out[1], out[2]});
    }
    CallStatus closing(text);
    token->finish(closing);
    run.status = closing.code();
  } else {
    run.status = status.code();
  }
  run.message = text;
  delete token;
  return run;
}

// An input, and a desired signal from a random plant of `plantLength` taps
// plus noise; with `nonFinite`, a few cells of either replaced by NaN or ±inf.
struct Signals {
  std::vector<double> x, d;
};

inline Signals RandomSignals(std::mt19937_64& rng, size_t samples, size_t plantLength, bool nonFinite) {
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  std::vector<double> plant(plantLength);
  for (double& h : plant) h = uniform(rng);
  Signals s{std::vector<double>(samples), std::vector<double>(samples)};
  for (size_t n = 0; n < samples; ++n) {
    s.x[n] = uniform(rng);
    double y = 0.0;
    for (size_t k = 0; k < plantLength && k <= n; ++k) y += plant[k] * s.x[n - k];
    s.d[n] = y + 0.01 * uniform(rng);
  }
  if (nonFinite) {
    const double specials[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity()};
    std::uniform_int_distribution<size_t> at(samples / 2, samples - 1);
    (rng() % 2 ? s.x : s.d)[at(rng)] = specials[rng() % 3];
  }
  return s;
}

// Equal within `tolerance` relative to max(1, |expected|), or both not finite.
inline bool Agree(double actual, double expected, double tolerance) {
  if (!std::isfinite(actual) || !std::isfinite(expected)) return !std::isfinite(actual) && !std::isfinite(expected);
  return std::fabs(actual - expected) <= tolerance * std::fmax(1.0, std::fabs(expected));
}

// The first sample at which a run and a model disagree, or -1.
inline long FirstDisagreement(const std::vector<plain::Outputs>& actual, const std::vector<plain::Outputs>& model,
                              double tolerance) {
  if (actual.size() != model.size()) return 0;
  for (size_t n = 0; n < actual.size(); ++n) {
    if (!Agree(actual[n].y, model[n].y, tolerance) || !Agree(actual[n].prior, model[n].prior, tolerance) ||
        !Agree(actual[n].posterior, model[n].posterior, tolerance))
      return static_cast<long>(n);
  }
  return -1;
}

}  // namespace adaptive
