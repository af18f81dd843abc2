// The "IPNLMS" token: see proportionate.h for the maths and the summation
// order.
#pragma once

#include <cstdint>

#include "families/proportionate/proportionate_descriptor.h"
#include "families/transversal_token.h"
#include "numerics/delay_line.h"
#include "numerics/vector.h"

namespace adaptive {

class ProportionateToken : public TransversalFamilyToken {
 public:
  static constexpr const CatalogueEntry& kRow = kProportionateRows[0];
  static constexpr int kLength = ParameterIndex(kRow, "Numerator Coeffs");
  static constexpr int kMu = ParameterIndex(kRow, "Mu");
  static constexpr int kAlpha = ParameterIndex(kRow, "Alpha");
  static constexpr int kDelta = ParameterIndex(kRow, "Delta");
  static constexpr int kEpsilon = ParameterIndex(kRow, "Epsilon");

  explicit ProportionateToken(TokenSetup& setup);

 protected:
  void step(const double* in, double* out) override;

 private:
  DelayLine line;        // x(n) … x(n−N+1)
  Vector directions;     // scratch: k(n) ⊙ x(n), [N]
  double mu = 0.0;
  double delta = 0.0;
  double epsilon = 0.0;
  double uniformGain = 0.0;  // (1 − α)/(2N)
  double onePlusAlpha = 0.0;
};

}  // namespace adaptive
