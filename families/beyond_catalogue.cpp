#include "families/beyond_catalogue.h"

#include "families/block_lms/block_lms_descriptor.h"
#ifdef ADAPTIVE_FREQUENCY_DOMAIN
#include "families/frequency_domain/frequency_domain_descriptor.h"
#endif
#include "families/affine_projection/affine_projection_descriptor.h"
#include "families/proportionate/proportionate_descriptor.h"
#include "families/sign_lms/sign_lms_descriptor.h"

namespace adaptive {

const std::vector<const FamilyDescriptor*>& FamiliesBeyondCatalogue() {
  static const std::vector<const FamilyDescriptor*> families = {
      &kBlockLmsFamily,
#ifdef ADAPTIVE_FREQUENCY_DOMAIN
      &kFrequencyDomainFamily,
#endif
      &kAffineProjectionFamily,
      &kProportionateFamily,
      &kSignLmsFamily,
  };
  return families;
}

}  // namespace adaptive
