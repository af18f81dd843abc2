// The FDAF and PBFDAF tokens (frequency_domain_descriptor.h): the parameters
// of a row read and checked, then the partitioned engine run sample by
// sample. FDAF has no "Block Length": its block is its length.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/adaptive_token.h"
#include "families/frequency_domain/frequency_domain_descriptor.h"
#include "families/frequency_domain/partitioned_filter.h"
#include "tokens/final_weights.h"

namespace adaptive {

// Where a row holds each parameter; FDAF has no "Block Length" (-1).
struct FrequencyDomainLayout {
  int length, blockLength, mu, averaging, delta, constrained, normalised;
};

constexpr FrequencyDomainLayout LayoutOf(const CatalogueEntry& row) {
  int blockLength = -1;
  for (int p = 0; p < row.parameterCount; ++p)
    if (std::string_view(row.parameters[p].name) == "Block Length") blockLength = p;
  return {ParameterIndex(row, "Numerator Coeffs"), blockLength,  ParameterIndex(row, "Mu"),
          ParameterIndex(row, "Averaging"),        ParameterIndex(row, "Delta"),
          ParameterIndex(row, "Constrained"),      ParameterIndex(row, "Normalised")};
}

// Ports: "Input", "Desired" in; "Output", "PriError" out, L samples late.
class FrequencyDomainToken : public AdaptiveToken {
 public:
  void finish(CallStatus& status) override { files.writeAndClose(*this, status); }
  bool reportCoefficients(CoefficientSink& sink) const override;

 protected:
  // Reads row `row`'s parameters from where `layout` says, checks them and
  // allocates the engine.
  FrequencyDomainToken(TokenSetup& setup, const CatalogueEntry& row, const FrequencyDomainLayout& layout);
  void step(const double* in, double* out) override { filter.step(in[0], in[1], out[0], out[1]); }

 private:
  PartitionedFilter filter;
  mutable std::vector<double> reported;  // the coefficients as last reported
  FinalWeightsFiles files;
};

template <int Row>
class FrequencyDomainRowToken : public FrequencyDomainToken {
 public:
  static constexpr const CatalogueEntry& kRow = kFrequencyDomainRows[Row];
  static constexpr FrequencyDomainLayout kLayout = LayoutOf(kRow);
  explicit FrequencyDomainRowToken(TokenSetup& setup) : FrequencyDomainToken(setup, kRow, kLayout) {}
};

using FdafToken = FrequencyDomainRowToken<0>;
using PbfdafToken = FrequencyDomainRowToken<1>;

}  // namespace adaptive
