// What a token's parameter sets: the facts the interfaces read of a parameter,
// stated by the family that owns the token (never guessed from its name). Part
// of the public interface too (TokenInfo::parameterRoles): the build copies
// this header, which includes nothing of the library, to <adaptive/parameter_role.h>.
// A guard, not #pragma once: the copy and this file must count as one.
#ifndef ADAPTIVE_PARAMETER_ROLE_H
#define ADAPTIVE_PARAMETER_ROLE_H

#include <cstdint>

namespace adaptive {

enum class ParameterRole : uint8_t {
  kLength,            // number of coefficients of a channel ("Numerator Coeffs")
  kFeedbackLength,    // number of denominator coefficients with the leading 1
  kStepSize,          // a step size μ
  kLeakage,           // a leakage factor ℓ
  kForgettingFactor,  // λ
  kInitialisation,    // P(0) = I/Init
  kVariance,          // a random-walk variance
  kInitialTap,        // the initial value of one coefficient
  kProjectionOrder,   // the order K of an affine projection
  kBlockLength,       // the samples adapted together in one block
  kRegularisation,    // a δ added to a denominator or a power estimate
  kProportionality,   // how far the gains follow the coefficients' sizes
  kAveraging,         // the forgetting factor of a power estimate
  kSwitch,            // a small count that chooses a form of the algorithm: 0 or 1, or a few more
  kUnknown,           // a parameter of a token this library does not know
};

}  // namespace adaptive

#endif  // ADAPTIVE_PARAMETER_ROLE_H
