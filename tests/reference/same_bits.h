// Bit-for-bit comparison of doubles for the reference models' users.
#pragma once

#include <cstring>
#include <string>
#include <vector>

namespace adaptive {

// Identical bit patterns (so 0.0 differs from -0.0), except that any NaN
// matches any NaN: when both operands of an addition or a multiplication are
// NaN, the one the processor returns depends on the operand order that the
// compiler picks for the commutative instruction, which the language leaves
// open. Every other value is reproducible.
inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0 || (a != a && b != b); }

// A final-weights text with the sign of every NaN dropped, for comparing files
// as SameBits compares values ("-NAN" becomes " NAN", which keeps the field's
// width).
inline std::string NanSignless(std::string text) {
  for (size_t at = text.find("-NAN"); at != std::string::npos; at = text.find("-NAN", at)) text[at] = ' ';
  return text;
}

inline std::vector<std::string> NanSignless(std::vector<std::string> texts) {
  for (std::string& text : texts) text = NanSignless(text);
  return texts;
}

}  // namespace adaptive
