#include "api/parameter_refusal.h"

#include <cmath>
#include <cstdio>

#include "adaptive/number_text.h"
#include "api/families.h"
#include "api/parameter_notes.h"
#include "core/token_call.h"

namespace adaptive {

namespace {

std::string Bytes(double bytes) {
  const char* units[] = {"bytes", "kB", "MB", "GB", "TB", "PB", "EB"};
  size_t unit = 0;
  while (bytes >= 1000.0 && unit + 1 < std::size(units)) {
    bytes /= 1000.0;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.3g %s", bytes, units[unit]);
  return text;
}

// A count parameter the library reads as 0 because its value is not a
// 32-bit integer, as adaptive::ReadCount does.
bool BeyondCount(double value) { return !(value > -2147483649.0 && value < 2147483648.0); }

}  // namespace

std::string RefusalReason(const TokenInfo& token, const std::vector<double>& values, int32_t status) {
  for (size_t k = 0; k < values.size(); ++k) {
    if (token.isCount(k) && BeyondCount(values[k])) {
      return "\"" + token.parameterNames[k] + "\" = " + FormatShortest(values[k]) + " does not fit a 32-bit count";
    }
  }
  if (status == kStatusBadParameter) {
    const int k = FirstRefusedParameter(token.name, values.data(), values.size());
    if (k < 0) return "";
    const std::string& name = token.parameterNames[static_cast<size_t>(k)];
    return "\"" + name + "\" = " + FormatShortest(values[static_cast<size_t>(k)]) + " is refused; it takes " +
           RangePhrase(*ParameterRangeOf(token.name, name));
  }
  if (status != kStatusNoStorage) return "";
  // An affine projection's K × K matrices outgrow 32-bit sizes long before
  // its coefficients do.
  for (size_t k : token.parametersWithRole(ParameterRole::kProjectionOrder)) {
    const double order = std::trunc(values[k]);
    if (order * order > 2147483647.0) {
      char elements[32];
      std::snprintf(elements, sizeof elements, "%.0f", order * order);
      return "\"" + token.parameterNames[k] + "\" = " + FormatShortest(order) + " makes K × K matrices of " +
             elements + " elements, beyond a 32-bit count";
    }
  }
  const KnownToken* known = token.familyName.empty() ? nullptr : FindKnownToken(token.name);
  if (known == nullptr) return "";
  const StorageNeed& need = known->family->storage;
  double taps = 0.0;
  for (size_t k : token.lengthParameters()) taps += std::trunc(values[k]);
  if (need.countsFeedback) {
    for (size_t k : token.parametersWithRole(ParameterRole::kFeedbackLength)) taps += std::trunc(values[k]) - 1;
  }
  char count[32];
  std::snprintf(count, sizeof count, "%.0f", taps);
  const std::string lengths = token.name + " with " + count + " taps";
  if (taps > 2147483647.0) return "the lengths of " + lengths + " in all do not fit a 32-bit count";
  const double doubles = need.copies * (taps + need.rowsBeyondN) * (need.square ? taps : 1.0);
  return lengths + " needs " + Bytes(8.0 * doubles) + " for " + need.array;
}

}  // namespace adaptive
