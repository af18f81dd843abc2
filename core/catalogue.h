// The catalogue of the library's tokens: the rows the plug-in reports to its
// host (plugin/catalogue_records.h copies them into the host's records). The
// host builds every instance's record from these rows, so the order of ports
// and parameters here is the order the tokens read them.
#pragma once

#include <cstdint>

#include "core/catalogue_limits.h"

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

// The label of every token's file-name field.
extern const char kFinalWeightsFileLabel[];

// The kCatalogueSize entries in catalogue order, for code inside the library.
const CatalogueEntry* CatalogueEntries();

}  // namespace adaptive
