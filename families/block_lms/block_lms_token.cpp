#include "families/block_lms/block_lms_token.h"

#include "tokens/leaky_update.h"
#include "tokens/parameters.h"

namespace adaptive {

BlockLmsToken::BlockLmsToken(TokenSetup& setup) : TransversalFamilyToken(2) {
  CallStatus& status = setup.status;
  if (!status.ok()) return;
  length = ReadCount(setup, kLength);
  blockLength = ReadCount(setup, kBlockLength);
  mu = ReadParameter(setup, kMu);
  if (!CheckParameters(setup, kRow)) return;
  if (delayLine.setlength(length) || gradient.resize(length)) {
    ReportStorageFailure(status);
    return;
  }
  if (!allocateWeights(length, status)) return;
  delayLine.zero();
  gradient.zero();
  if (!openFile(setup)) return;
  markConstructed();
}

void BlockLmsToken::step(const double* in, double* out) {
  delayLine.push(in[0]);
  double unused = 0.0;
  const double y = DotAndEnergy<false>(delayLine, weights, unused);
  const double e = in[1] - y;
  out[0] = y;
  out[1] = e;
  // The gain as LMS forms it, so that L = 1 repeats LMS bit for bit.
  const double g = 2.0 * mu * e;
  const double* taps = delayLine.taps();
  double* sum = &gradient(0);
  for (int32_t i = 0; i < length; ++i) sum[i] = sum[i] + g * taps[i];
  if (++inBlock < blockLength) return;
  inBlock = 0;
  double* w = &weights(0);
  for (int32_t i = 0; i < length; ++i) {
    w[i] = w[i] + sum[i];
    sum[i] = 0.0;
  }
}

}  // namespace adaptive
