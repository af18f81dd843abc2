// The accepted range of every parameter of every token, in the order the token
// checks them: the checks read their ranges from here (CheckParameters), and
// the manual, `adaptsim describe` and the interfaces' refusals state them from
// here, so that what is said and what is done cannot part.
#pragma once

#include <cstdint>

#include "core/catalogue_table.h"

namespace adaptive {

enum class Edge : uint8_t { kNone, kOpen, kClosed };

struct ParameterRange {
  const char* refusal;  // the first part of the library's message; null: no check
  const char* hint;     // its second part
  double low;
  Edge lowEdge;
  double high;
  Edge highEdge;
  bool count;        // truncated toward zero: a fraction counts as the whole below
  bool zeroRefused;  // every number but 0

  // NaN compares false with everything, so a NaN fails every check.
  constexpr bool accepts(double v) const {
    if (refusal == nullptr) return true;
    if (!(v == v)) return false;
    if (zeroRefused && v == 0.0) return false;
    if ((lowEdge == Edge::kOpen && !(v > low)) || (lowEdge == Edge::kClosed && !(v >= low))) return false;
    if ((highEdge == Edge::kOpen && !(v < high)) || (highEdge == Edge::kClosed && !(v <= high))) return false;
    return true;
  }
};

namespace ranges {

constexpr double kNone = 0.0;

// A count is read as the 32-bit integer toward zero, and a value beyond 32 bits
// reads as 0, so the accepted values are [1, 2^31).
inline constexpr ParameterRange kLength{"Improper length of Adaptive Filter.\n", "Must be greater than 0...", 1.0,
                                        Edge::kClosed, 2147483648.0, Edge::kOpen, true, false};
inline constexpr ParameterRange kStepSize{"Improper step size of Adaptive Filter.\n", "Must be greater than 0...",
                                          0.0, Edge::kClosed, kNone, Edge::kNone, false, false};
inline constexpr ParameterRange kLeakage{"Improper leakage factor of Adaptive Filter.\n", "Must be between 0 and 1...",
                                         0.0, Edge::kClosed, 1.0, Edge::kClosed, false, false};
// Every token but the QR ones divides by λ; those only scale R by it.
inline constexpr ParameterRange kForgettingFactor{"Improper forgetting factor of Adaptive Filter.\n",
                                                  "Must be between 0 and 1...", 0.0, Edge::kOpen, 1.0, Edge::kClosed,
                                                  false, false};
inline constexpr ParameterRange kScalingForgettingFactor{"Improper forgetting factor of Adaptive Filter.\n",
                                                         "Must be between 0 and 1...", 0.0, Edge::kClosed, 1.0,
                                                         Edge::kClosed, false, false};
// P starts as I/Init. The Newton tokens take a negative Init, whose P stays
// finite; the RLS and random-walk tokens only a positive one.
inline constexpr ParameterRange kInit{"Improper initialisation factor of Adaptive Filter.\n",
                                      "Must be between bigger than 0", 0.0, Edge::kOpen, kNone, Edge::kNone, false,
                                      false};
inline constexpr ParameterRange kNewtonInit{"Improper initialisation factor of Adaptive Filter.\n",
                                            "Must be between bigger than 0", kNone, Edge::kNone, kNone, Edge::kNone,
                                            false, true};
// A variance of 0 is plain RLS in RW1–RW3; the general token refuses it.
inline constexpr ParameterRange kRandomWalk{"Improper random walk variance of Adaptive Filter.\n",
                                            "Must be between bigger than 0", 0.0, Edge::kClosed, kNone, Edge::kNone,
                                            false, false};
inline constexpr ParameterRange kGeneralRandomWalk{"Improper random walk variance of Adaptive Filter.\n",
                                                   "Must be between bigger than 0", 0.0, Edge::kOpen, kNone,
                                                   Edge::kNone, false, false};
// Initial tap values: taken as they are.
inline constexpr ParameterRange kAnyValue{nullptr, nullptr, kNone, Edge::kNone, kNone, Edge::kNone, false, false};

}  // namespace ranges

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
