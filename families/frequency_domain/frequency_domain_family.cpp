// The frequency-domain family's descriptor.
#include "families/frequency_domain/frequency_domain_tokens.h"

namespace adaptive {

namespace {

constexpr TokenFactory kFactories[] = {&MakeToken<FdafToken>, &MakeToken<PbfdafToken>};

}  // namespace

// The spectra of the input and of the coefficients dominate: 2N + 2N/L
// complex bins each.
const FamilyDescriptor kFrequencyDomainFamily = {"frequency-domain", kFrequencyDomainRows, 2, kFactories,
                                                 {"the spectra", 0, false, false}};

}  // namespace adaptive
