#include "families/beyond_catalogue.h"

#include "families/block_lms/block_lms_descriptor.h"
#ifdef ADAPTIVE_FREQUENCY_DOMAIN
#include "families/frequency_domain/frequency_domain_descriptor.h"
#endif

namespace adaptive {

const std::vector<const FamilyDescriptor*>& FamiliesBeyondCatalogue() {
  static const std::vector<const FamilyDescriptor*> families = {
      &kBlockLmsFamily,
#ifdef ADAPTIVE_FREQUENCY_DOMAIN
      &kFrequencyDomainFamily,
#endif
  };
  return families;
}

}  // namespace adaptive
