// The factories and descriptor of the NLMS tokens: the LMS token templates with a gain that is
// normalised by the energy of the delay line it multiplies.
#include "tokens/energy_regularisation.h"
#include "tokens/lms_tokens.h"

namespace adaptive {

namespace {

// g = (2 × μ × e) / (N × power(line) + δ), formed in exactly that order: the
// energy is the mean square multiplied back by the length, not a separate sum
// of squares. δ keeps an all-zero line (energy δ) from dividing by zero; the
// huge gain it gives then multiplies only zero taps. power(line) is the sum of
// squares divided by the length, the sum coming from the output's pass.
struct NormalisedLmsGain {
  static constexpr bool kUsesEnergy = true;
  static double compute(double mu, double error, double sumOfSquares, int32_t length) {
    const double power = DivideByCount(sumOfSquares, length);
    return (2.0 * mu * error) / (length * power + kEnergyRegularisation);
  }
};

}  // namespace

using NlmsToken = RecursiveLmsToken<NormalisedLmsGain, CatalogueIndex("NLMS")>;
using Nlms2Token = MultiChannelLmsToken<2, NormalisedLmsGain, CatalogueIndex("NLMS2")>;
using Nlms3Token = MultiChannelLmsToken<3, NormalisedLmsGain, CatalogueIndex("NLMS3")>;

static_assert(ReadTheirRows<NlmsToken, Nlms2Token, Nlms3Token>(kNlmsRows), "the factories and the rows disagree");
const TokenFactory kNlmsFactories[] = {&MakeToken<NlmsToken>, &MakeToken<Nlms2Token>, &MakeToken<Nlms3Token>};
const FamilyDescriptor kNlmsFamily = {"NLMS", kNlmsRows, 3, kNlmsFactories,
                                       {"the coefficients", 0, false, false}};

}  // namespace adaptive
