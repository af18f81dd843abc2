// The catalogue of the library's tokens and FillCatalogue, which copies it into the
// host's records. The host builds every instance's record from this catalogue,
// so the order of ports and parameters here is the order the tokens read them.
#pragma once

#include <cstdint>

#include "host/records.h"

namespace adaptive {

struct CatalogueParameter {
  const char* name;
  double defaultValue;
};

// One token: its entry point's name doubles as the name shown to the user.
// Array elements beyond a count are null.
struct CatalogueEntry {
  const char* name;
  const char* description;
  const char* iconFile;
  int32_t inputCount;
  const char* inputNames[kMaxInputPorts];
  int32_t outputCount;
  const char* outputNames[kMaxOutputPorts];
  int32_t parameterCount;
  CatalogueParameter parameters[kMaxParameters];
  const char* defaultFileName;
};

// Constants the library reports; what the host makes of them is its own affair.
constexpr int32_t kLibraryInfoVersion = 10;
constexpr int32_t kDescriptorKind = 2;
constexpr int32_t kDescriptorPortKind = 1;
extern const char kFinalWeightsFileLabel[];

// The kCatalogueSize entries in catalogue order, for code inside the library.
const CatalogueEntry* CatalogueEntries();

// Fills the host's LibraryInfo and its kCatalogueSize descriptors (what the
// plug-in's USERCODE does). Writes only the fields and array elements that the
// catalogue gives; the host's reserved descriptor slot and array elements
// beyond a token's counts keep their bytes.
void FillCatalogue(LibraryInfo* info);

}  // namespace adaptive
