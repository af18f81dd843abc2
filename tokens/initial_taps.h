// The starting coefficients of the general tokens, given by three tap values.
#pragma once

#include <cstdint>

#include "numerics/vector.h"

namespace adaptive {

// What a tap value of zero does to the zeroed coefficients.
enum class ZeroTapValue {
  KeepZero,  // leave the +0.0 in place (a −0.0 value writes nothing either)
  Assign,    // write the value as given
};

// Writes the first tap value into w(0), then the last into w(n−1) when n > 1,
// then the middle one into w((n−1)/2) when n > 2, in that order, so a short
// filter keeps the first and last values.
inline void SetInitialTaps(Vector& w, int32_t n, double first, double middle, double last, ZeroTapValue zero) {
  const bool assignZeros = zero == ZeroTapValue::Assign;
  if (assignZeros || first != 0.0) w(0) = first;
  if (n > 1 && (assignZeros || last != 0.0)) w(n - 1) = last;
  if (n > 2 && (assignZeros || middle != 0.0)) w((n - 1) / 2) = middle;
}

}  // namespace adaptive
