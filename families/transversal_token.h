// What the families beyond the catalogue share: one transversal filter of N
// coefficients on the "Input" line, adapted toward "Desired", with the
// outputs "Output" y(n) = w^T(n)·x(n), "PriError" d(n) − y(n) and
// "PostError" d(n) − w^T(n+1)·x(n). The coefficients and the past samples
// start at 0; the final-weights file holds one channel with the transversal
// denominator, in the format of the catalogue's tokens.
#pragma once

#include <cstdint>

#include "core/adaptive_token.h"
#include "numerics/vector.h"
#include "tokens/final_weights.h"

namespace adaptive {

class TransversalFamilyToken : public AdaptiveToken {
 public:
  void finish(CallStatus& status) override { files.writeAndClose(*this, status); }
  bool reportCoefficients(CoefficientSink& sink) const override {
    sink.addChannel(0, &weights(0), length, DenominatorSection::Transversal);
    return true;
  }

 protected:
  // "Input" and "Desired" in; `outputs` out: "Output", "PriError" and, unless
  // the family leaves it out, "PostError".
  explicit TransversalFamilyToken(int32_t outputs = 3) : AdaptiveToken(2, outputs) {}

  // N zero coefficients; false, with the storage failure reported, when
  // they cannot be had.
  bool allocateWeights(int32_t n, CallStatus& status);
  // The final-weights file (tokens/final_weights.h), opened last.
  bool openFile(const TokenSetup& setup) { return files.open(1, setup); }

  Vector weights;  // w(n), [N]
  int32_t length = 0;

 private:
  FinalWeightsFiles files;
};

}  // namespace adaptive
