#include "core/catalogue.h"

#include "core/catalogue_table.h"

namespace adaptive {

const char kFinalWeightsFileLabel[] = "Filename for Final Weights";

const CatalogueEntry* CatalogueEntries() { return kCatalogue; }

}  // namespace adaptive
