#include "families/beyond_catalogue.h"

#include "families/affine_projection/affine_projection.h"
#include "families/proportionate/proportionate.h"
#include "families/sign_lms/sign_lms.h"

namespace adaptive {

const std::vector<const FamilyDescriptor*>& FamiliesBeyondCatalogue() {
  static const std::vector<const FamilyDescriptor*> families = {
      &kAffineProjectionFamily,
      &kProportionateFamily,
      &kSignLmsFamily,
  };
  return families;
}

}  // namespace adaptive
