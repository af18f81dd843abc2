// The block LMS token (block_lms_descriptor.h).
#pragma once

#include <cstdint>

#include "core/adaptive_token.h"
#include "families/block_lms/block_lms_descriptor.h"
#include "numerics/delay_line.h"
#include "numerics/vector.h"
#include "tokens/final_weights.h"

namespace adaptive {

// Ports: "Input", "Desired" in; "Output", "PriError" out.
class BlockLmsToken : public AdaptiveToken {
 public:
  static constexpr const CatalogueEntry& kRow = kBlockLmsRows[0];
  static constexpr int kLength = ParameterIndex(kRow, "Numerator Coeffs");
  static constexpr int kBlockLength = ParameterIndex(kRow, "Block Length");
  static constexpr int kMu = ParameterIndex(kRow, "Mu");

  explicit BlockLmsToken(TokenSetup& setup);

  void finish(CallStatus& status) override { files.writeAndClose(*this, status); }
  bool reportCoefficients(CoefficientSink& sink) const override {
    sink.addChannel(0, &weights(0), length, DenominatorSection::Transversal);
    return true;
  }

 protected:
  void step(const double* in, double* out) override;

 private:
  DelayLine delayLine;
  Vector weights;
  Vector gradient;  // Σ (2μ·e(n))·x(n) over the block so far
  int32_t length = 0;
  int32_t blockLength = 0;
  int32_t inBlock = 0;  // samples of the current block taken
  double mu = 0.0;
  FinalWeightsFiles files;
};

}  // namespace adaptive
