// The block LMS token (block_lms_descriptor.h).
#pragma once

#include <cstdint>

#include "families/block_lms/block_lms_descriptor.h"
#include "families/transversal_token.h"
#include "numerics/delay_line.h"
#include "numerics/vector.h"

namespace adaptive {

// Ports: "Input", "Desired" in; "Output", "PriError" out.
class BlockLmsToken : public TransversalFamilyToken {
 public:
  static constexpr const CatalogueEntry& kRow = kBlockLmsRows[0];
  static constexpr int kLength = ParameterIndex(kRow, "Numerator Coeffs");
  static constexpr int kBlockLength = ParameterIndex(kRow, "Block Length");
  static constexpr int kMu = ParameterIndex(kRow, "Mu");

  explicit BlockLmsToken(TokenSetup& setup);

 protected:
  void step(const double* in, double* out) override;

 private:
  DelayLine delayLine;
  Vector gradient;  // Σ (2μ·e(n))·x(n) over the block so far
  int32_t blockLength = 0;
  int32_t inBlock = 0;  // samples of the current block taken
  double mu = 0.0;
};

}  // namespace adaptive
