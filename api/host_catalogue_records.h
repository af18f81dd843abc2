// The host's side of the USERCODE call: LibraryInfo, the descriptors and every
// array they point to, each allocated to the largest counts a catalogue may
// use, since the host cannot know the counts in advance.
#pragma once

#include <cstring>

#include "plugin/records.h"

namespace adaptive {

struct HostCatalogueRecords {
  LibraryInfo info;
  TokenDescriptor tokens[kCatalogueSize];
  const char* inputNames[kCatalogueSize][kMaxInputPorts];
  const char* outputNames[kCatalogueSize][kMaxOutputPorts];
  const char* parameterNames[kCatalogueSize][kMaxParameters];
  double parameterDefaults[kCatalogueSize][kMaxParameters];

  // Every byte set to `fill` (so that a test can tell the slots USERCODE left
  // alone), then the array pointers placed in the records.
  explicit HostCatalogueRecords(unsigned char fill = 0) {
    std::memset(static_cast<void*>(this), fill, sizeof(*this));
    info.tokens = tokens;
    for (int k = 0; k < kCatalogueSize; ++k) {
      tokens[k].inputNames = inputNames[k];
      tokens[k].outputNames = outputNames[k];
      tokens[k].parameterNames = parameterNames[k];
      tokens[k].parameterDefaults = parameterDefaults[k];
    }
  }
};

}  // namespace adaptive
