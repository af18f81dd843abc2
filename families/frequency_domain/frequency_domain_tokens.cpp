#include "families/frequency_domain/frequency_domain_tokens.h"

#include <new>

#include "tokens/parameters.h"

namespace adaptive {

namespace {

// Whether n has no prime factor above 5: the transforms of other lengths
// cost up to n times more.
bool HasSmallFactors(int32_t n) {
  for (int32_t p : {2, 3, 5})
    while (n % p == 0) n /= p;
  return n == 1;
}

}  // namespace

FrequencyDomainToken::FrequencyDomainToken(TokenSetup& setup, const CatalogueEntry& row,
                                           const FrequencyDomainLayout& layout)
    : AdaptiveToken(2, 2) {
  CallStatus& status = setup.status;
  if (!status.ok()) return;
  PartitionedSettings settings{};
  settings.length = ReadCount(setup, layout.length);
  settings.blockLength = layout.blockLength < 0 ? settings.length : ReadCount(setup, layout.blockLength);
  settings.mu = ReadParameter(setup, layout.mu);
  settings.averaging = ReadParameter(setup, layout.averaging);
  settings.delta = ReadParameter(setup, layout.delta);
  settings.constraint = static_cast<Constraint>(ReadCount(setup, layout.constrained));
  settings.normalised = ReadCount(setup, layout.normalised) != 0;
  if (!CheckParameters(setup, row)) return;
  const char* refusal =
      layout.blockLength < 0 ? ranges::kLength.refusal : ranges::kBlockLength.refusal;
  if (settings.length % settings.blockLength != 0) {
    status.fail(kStatusBadParameter, {refusal, "Numerator Coeffs must be a multiple of Block Length..."});
    return;
  }
  if (!HasSmallFactors(settings.blockLength)) {
    status.fail(kStatusBadParameter, {refusal, "Must have no prime factor above 5..."});
    return;
  }
  if (!filter.allocate(settings)) {
    ReportStorageFailure(status);
    return;
  }
  try {
    reported.assign(static_cast<size_t>(settings.length), 0.0);
  } catch (const std::bad_alloc&) {
    ReportStorageFailure(status);
    return;
  }
  if (!files.open(1, setup)) return;
  markConstructed();
}

bool FrequencyDomainToken::reportCoefficients(CoefficientSink& sink) const {
  filter.coefficients(reported.data());
  sink.addChannel(0, reported.data(), static_cast<int32_t>(reported.size()), DenominatorSection::Transversal);
  return true;
}

}  // namespace adaptive
