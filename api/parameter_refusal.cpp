#include "api/parameter_refusal.h"

#include <cmath>
#include <cstdio>

#include "adaptive/number_text.h"
#include "api/parameter_notes.h"
#include "core/token_call.h"

namespace adaptive {

namespace {

// The array that dominates a family's storage, for the total length N (the
// channels' lengths and, in the recursive Newton token, the feedback ones):
// rows × columns doubles. The vector families keep arrays of N: N doubles of
// coefficients are the least they need.
struct StorageNeed {
  Family family;
  const char* array;
  int rowsBeyondN;  // rows = N + this
  bool square;      // columns = N, else 1
};
constexpr StorageNeed kStorageNeeds[] = {
    {Family::kRls, "P", 0, true},        {Family::kRandomWalk, "P", 0, true},
    {Family::kNewton, "P", 0, true},     {Family::kQr, "the triangle R", 1, true},
    {Family::kLms, "the coefficients", 0, false},     {Family::kNlms, "the coefficients", 0, false},
    {Family::kGeneralGradient, "the coefficients", 0, false},
};

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
  double taps = 0.0;
  for (size_t k : token.lengthParameters()) taps += std::trunc(values[k]);
  const int feedback = token.parameterIndex("Denominator Coeffs");
  if (feedback >= 0 && token.family() == Family::kNewton) taps += std::trunc(values[static_cast<size_t>(feedback)]) - 1;
  char count[32];
  std::snprintf(count, sizeof count, "%.0f", taps);
  const std::string lengths = token.name + " with " + count + " taps";
  if (taps > 2147483647.0) return "the lengths of " + lengths + " in all do not fit a 32-bit count";
  for (const StorageNeed& need : kStorageNeeds) {
    if (need.family != token.family()) continue;
    const double doubles = (taps + need.rowsBeyondN) * (need.square ? taps : 1.0);
    return lengths + " needs " + Bytes(8.0 * doubles) + " for " + need.array;
  }
  return "";
}

}  // namespace adaptive
