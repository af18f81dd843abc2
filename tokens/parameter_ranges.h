// The accepted range of every parameter of every token, in the order the token
// checks them: the checks read their ranges from here (CheckParameters), and
// the manual, `adaptsim describe` and the interfaces' refusals state them from
// here, so that what is said and what is done cannot part.
#pragma once

#include <cstdint>

#include "core/catalogue_table.h"
#include "core/parameter_range.h"

namespace adaptive {

struct CheckedParameter {
  const char* name;  // as the catalogue spells it
  const ParameterRange* range;
};

// One entry per token, in catalogue order; within it every parameter of the
// token once, in the order of its checks (the first failure is reported).
struct TokenRanges {
  const char* token;
  CheckedParameter parameters[kMaxParameters];
};

namespace ranges {

inline constexpr CheckedParameter kFirstTap{"First Tap Value", &kAnyValue};
inline constexpr CheckedParameter kMiddleTap{"Middle Tap Value", &kAnyValue};
inline constexpr CheckedParameter kLastTap{"Last Tap Value", &kAnyValue};

}  // namespace ranges

inline constexpr TokenRanges kTokenRanges[] = {
    {"LMS",
     {{"Numerator Coeffs", &ranges::kLength}, {"Denominator Coeffs", &ranges::kLength},
      {"Mu Forward", &ranges::kStepSize}, {"Mu Backward", &ranges::kStepSize},
      {"Leakage Forward", &ranges::kLeakage}, {"Leakage Backward", &ranges::kLeakage}}},
    {"LMS2",
     {{"Numerator Coeffs  1", &ranges::kLength}, {"Numerator Coeffs  2", &ranges::kLength},
      {"Mu 1", &ranges::kStepSize}, {"Mu 2", &ranges::kStepSize},
      {"Leakage 1", &ranges::kLeakage}, {"Leakage 2", &ranges::kLeakage}}},
    {"LMS3",
     {{"Numerator Coeffs  1", &ranges::kLength}, {"Numerator Coeffs  2", &ranges::kLength},
      {"Numerator Coeffs  3", &ranges::kLength}, {"Mu 1", &ranges::kStepSize}, {"Mu 2", &ranges::kStepSize},
      {"Mu 3", &ranges::kStepSize}, {"Leakage 1", &ranges::kLeakage}, {"Leakage 2", &ranges::kLeakage},
      {"Leakage 3", &ranges::kLeakage}}},
    {"GenLMS_A",
     {{"Numerator Coeffs", &ranges::kLength}, ranges::kFirstTap, ranges::kMiddleTap, ranges::kLastTap}},
    {"GenLMS_B",
     {{"Numerator Coeffs", &ranges::kLength}, {"Mu", &ranges::kStepSize}, {"Leakage Factor", &ranges::kLeakage},
      ranges::kFirstTap, ranges::kMiddleTap, ranges::kLastTap}},
    {"GenNLMS",
     {{"Numerator Coeffs", &ranges::kLength}, {"Mu", &ranges::kStepSize}, {"Leakage Factor", &ranges::kLeakage},
      ranges::kFirstTap, ranges::kMiddleTap, ranges::kLastTap}},
    {"NLMS",
     {{"Numerator Coeffs", &ranges::kLength}, {"Denominator Coeffs", &ranges::kLength},
      {"Mu Forward", &ranges::kStepSize}, {"Mu Backward", &ranges::kStepSize},
      {"Leakage Forward", &ranges::kLeakage}, {"Leakage Backward", &ranges::kLeakage}}},
    {"NLMS2",
     {{"Numerator Coeffs  1", &ranges::kLength}, {"Numerator Coeffs  2", &ranges::kLength},
      {"Mu 1", &ranges::kStepSize}, {"Mu 2", &ranges::kStepSize},
      {"Leakage 1", &ranges::kLeakage}, {"Leakage 2", &ranges::kLeakage}}},
    {"NLMS3",
     {{"Numerator Coeffs  1", &ranges::kLength}, {"Numerator Coeffs  2", &ranges::kLength},
      {"Numerator Coeffs  3", &ranges::kLength}, {"Mu 1", &ranges::kStepSize}, {"Mu 2", &ranges::kStepSize},
      {"Mu 3", &ranges::kStepSize}, {"Leakage 1", &ranges::kLeakage}, {"Leakage 2", &ranges::kLeakage},
      {"Leakage 3", &ranges::kLeakage}}},
    {"GenNEW",
     {{"Numerator Coeffs", &ranges::kLength}, {"Mu", &ranges::kStepSize}, {"Leakage", &ranges::kLeakage},
      {"Lambda", &ranges::kForgettingFactor}, {"Init", &ranges::kNewtonInit}, ranges::kFirstTap,
      ranges::kMiddleTap, ranges::kLastTap}},
    {"NEW",
     {{"Numerator Coeffs", &ranges::kLength}, {"Denominator Coeffs", &ranges::kLength}, {"Mu", &ranges::kStepSize},
      {"Leakage", &ranges::kLeakage}, {"Lambda", &ranges::kForgettingFactor}, {"Init", &ranges::kNewtonInit}}},
    {"NEW2",
     {{"Numerator Coeffs  1", &ranges::kLength}, {"Numerator Coeffs  2", &ranges::kLength},
      {"Mu", &ranges::kStepSize}, {"Leakage", &ranges::kLeakage}, {"Lambda", &ranges::kForgettingFactor},
      {"Init", &ranges::kNewtonInit}}},
    {"NEW3",
     {{"Numerator Coeffs  1", &ranges::kLength}, {"Numerator Coeffs  2", &ranges::kLength},
      {"Numerator Coeffs  3", &ranges::kLength}, {"Mu", &ranges::kStepSize}, {"Leakage", &ranges::kLeakage},
      {"Lambda", &ranges::kForgettingFactor}, {"Init", &ranges::kNewtonInit}}},
    {"QR1", {{"Numerator Coeffs", &ranges::kLength}, {"Lambda", &ranges::kScalingForgettingFactor}}},
    {"QR2",
     {{"Numerator Coeffs  1", &ranges::kLength}, {"Numerator Coeffs  2", &ranges::kLength},
      {"Lambda", &ranges::kScalingForgettingFactor}}},
    {"QR3",
     {{"Numerator Coeffs  1", &ranges::kLength}, {"Numerator Coeffs  2", &ranges::kLength},
      {"Numerator Coeffs  3", &ranges::kLength}, {"Lambda", &ranges::kScalingForgettingFactor}}},
    {"GenRLS",
     {{"Numerator Coeffs", &ranges::kLength}, {"Lambda", &ranges::kForgettingFactor}, {"Init", &ranges::kInit},
      ranges::kFirstTap, ranges::kMiddleTap, ranges::kLastTap}},
    {"RLS1", {{"Numerator Coeffs", &ranges::kLength}, {"Lambda", &ranges::kForgettingFactor}, {"Init", &ranges::kInit}}},
    {"RLS2",
     {{"Numerator Coeffs  1", &ranges::kLength}, {"Numerator Coeffs  2", &ranges::kLength},
      {"Lambda", &ranges::kForgettingFactor}, {"Init", &ranges::kInit}}},
    {"RLS3",
     {{"Numerator Coeffs  1", &ranges::kLength}, {"Numerator Coeffs  2", &ranges::kLength},
      {"Numerator Coeffs  3", &ranges::kLength}, {"Lambda", &ranges::kForgettingFactor}, {"Init", &ranges::kInit}}},
    {"GenRW",
     {{"Numerator Coeffs", &ranges::kLength}, {"Lambda", &ranges::kForgettingFactor}, {"Init", &ranges::kInit},
      {"Random Walk Variance", &ranges::kGeneralRandomWalk}, ranges::kFirstTap, ranges::kMiddleTap,
      ranges::kLastTap}},
    {"RW1",
     {{"Numerator Coeffs", &ranges::kLength}, {"Lambda", &ranges::kForgettingFactor}, {"Init", &ranges::kInit},
      {"Random Walk Variance", &ranges::kRandomWalk}}},
    {"RW2",
     {{"Numerator Coeffs  1", &ranges::kLength}, {"Numerator Coeffs  2", &ranges::kLength},
      {"Lambda", &ranges::kForgettingFactor}, {"Init", &ranges::kInit},
      {"Random Walk Variance", &ranges::kRandomWalk}}},
    {"RW3",
     {{"Numerator Coeffs  1", &ranges::kLength}, {"Numerator Coeffs  2", &ranges::kLength},
      {"Numerator Coeffs  3", &ranges::kLength}, {"Lambda", &ranges::kForgettingFactor}, {"Init", &ranges::kInit},
      {"Random Walk Variance", &ranges::kRandomWalk}}},
};

// Each entry names its catalogue entry and every parameter of it exactly once.
constexpr bool RangesCoverTheCatalogue() {
  if (sizeof(kTokenRanges) / sizeof(kTokenRanges[0]) != kCatalogueSize) return false;
  for (int t = 0; t < kCatalogueSize; ++t) {
    if (std::string_view(kTokenRanges[t].token) != kCatalogue[t].name) return false;
    int listed = 0;
    for (const CheckedParameter& p : kTokenRanges[t].parameters) {
      if (p.name == nullptr) continue;
      ++listed;
      int seen = 0;
      for (const CheckedParameter& q : kTokenRanges[t].parameters) seen += q.name != nullptr && std::string_view(q.name) == p.name;
      if (seen != 1 || ParameterIndex(t, p.name) < 0) return false;
    }
    if (listed != kCatalogue[t].parameterCount) return false;
  }
  return true;
}
static_assert(RangesCoverTheCatalogue(), "the ranges name a token or parameter the catalogue does not have");

// The range of parameter `name` of catalogue entry `entry`; null when absent.
constexpr const ParameterRange* FindParameterRange(int entry, std::string_view name) {
  for (const CheckedParameter& p : kTokenRanges[entry].parameters)
    if (p.name != nullptr && name == p.name) return p.range;
  return nullptr;
}

}  // namespace adaptive
