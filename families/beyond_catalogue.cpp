#include "families/beyond_catalogue.h"

namespace adaptive {

const std::vector<const FamilyDescriptor*>& FamiliesBeyondCatalogue() {
  static const std::vector<const FamilyDescriptor*> families = {
  };
  return families;
}

}  // namespace adaptive
