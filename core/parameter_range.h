// The accepted values of a parameter, as the checks test them and as the
// manual, `describe` and the interfaces' refusals state them; and the ranges
// that several families share. A family's own ranges sit in its descriptor.
#pragma once

#include <cstdint>

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
// P starts as I/Init. The Newton tokens take a negative Init, whose P stays
// finite; the RLS and random-walk tokens only a positive one.
inline constexpr ParameterRange kInit{"Improper initialisation factor of Adaptive Filter.\n",
                                      "Must be between bigger than 0", 0.0, Edge::kOpen, kNone, Edge::kNone, false,
                                      false};
// Initial tap values: taken as they are.
inline constexpr ParameterRange kAnyValue{nullptr, nullptr, kNone, Edge::kNone, kNone, Edge::kNone, false, false};

}  // namespace ranges

}  // namespace adaptive
