// Bit-for-bit comparison of doubles for the reference models' users.
#pragma once

#include <cstring>

namespace adaptive {

// Identical bit patterns (so 0.0 differs from -0.0), except that any NaN
// matches any NaN: when both operands of an addition or a multiplication are
// NaN, the one the processor returns depends on the operand order that the
// compiler picks for the commutative instruction, which the language leaves
// open. Every other value is reproducible.
inline bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0 || (a != a && b != b); }

}  // namespace adaptive
