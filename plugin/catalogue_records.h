// The catalogue as the plug-in reports it: USERCODE copies the library's
// catalogue rows into the host's records.
#pragma once

#include <cstdint>

#include "plugin/records.h"

namespace adaptive {

// Constants the library reports; what the host makes of them is its own affair.
constexpr int32_t kLibraryInfoVersion = 10;
constexpr int32_t kDescriptorKind = 2;
constexpr int32_t kDescriptorPortKind = 1;

// Fills the host's LibraryInfo and its kCatalogueSize descriptors (what the
// plug-in's USERCODE does). Writes only the fields and array elements that the
// catalogue gives; the host's reserved descriptor slot and array elements
// beyond a token's counts keep their bytes.
void FillCatalogue(LibraryInfo* info);

}  // namespace adaptive
