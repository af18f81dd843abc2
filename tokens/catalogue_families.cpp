#include "tokens/catalogue_families.h"

namespace adaptive {

const char kFinalWeightsFileLabel[] = "Filename for Final Weights";

const CatalogueEntry* CatalogueEntries() { return kCatalogue.data(); }

const FamilyDescriptor* const* CatalogueFamilies() {
#define ADAPTIVE_DESCRIPTOR_OF_FAMILY(Name, NAME, X) &k##Name##Family,
  static const FamilyDescriptor* const kFamilies[] = {ADAPTIVE_CATALOGUE_FAMILIES(ADAPTIVE_DESCRIPTOR_OF_FAMILY, )};
#undef ADAPTIVE_DESCRIPTOR_OF_FAMILY
  return kFamilies;
}

TokenFactory CatalogueFactory(int entry) {
  const FamilyDescriptor* const* families = CatalogueFamilies();
  for (int f = 0; f < kCatalogueFamilyCount; ++f) {
    if (entry < families[f]->count) return families[f]->factories[entry];
    entry -= families[f]->count;
  }
  return nullptr;
}

}  // namespace adaptive
