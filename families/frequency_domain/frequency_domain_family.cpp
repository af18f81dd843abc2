// The frequency-domain family's descriptor.
#include "families/frequency_domain/frequency_domain_tokens.h"

namespace adaptive {

namespace {

constexpr TokenFactory kFactories[] = {&MakeToken<FdafToken>, &MakeToken<PbfdafToken>};

}  // namespace

// The spectra of the input and of the coefficients dominate: N + N/L complex
// bins each, about 4N doubles in all.
const FamilyDescriptor kFrequencyDomainFamily = {"frequency-domain", kFrequencyDomainRows, 2, kFactories,
                                                 {"the spectra", 0, false, false, 4}};

}  // namespace adaptive
