#include "plugin/catalogue_records.h"

#include "tokens/catalogue_families.h"

namespace adaptive {

namespace {

void FillDescriptor(const CatalogueEntry& entry, TokenDescriptor& d) {
  d.kind = kDescriptorKind;
  d.entryName = entry.name;
  d.displayName = entry.name;
  d.description = entry.description;
  d.iconFile = entry.iconFile;
  d.inputCount = entry.inputCount;
  d.portKind = kDescriptorPortKind;
  for (int32_t i = 0; i < entry.inputCount; ++i) d.inputNames[i] = entry.inputNames[i];
  d.outputCount = entry.outputCount;
  for (int32_t i = 0; i < entry.outputCount; ++i) d.outputNames[i] = entry.outputNames[i];
  d.parameterCount = entry.parameterCount;
  for (int32_t k = 0; k < entry.parameterCount; ++k) {
    d.parameterNames[k] = entry.parameters[k].name;
    d.parameterDefaults[k] = entry.parameters[k].defaultValue;
  }
  d.fileLabel = kFinalWeightsFileLabel;
  d.defaultFileName = entry.defaultFileName;
}

}  // namespace

void FillCatalogue(LibraryInfo* info) {
  info->version = kLibraryInfoVersion;
  info->tokenCount = kCatalogueSize;
  for (int k = 0; k < kCatalogueSize; ++k) FillDescriptor(kCatalogue[k], info->tokens[k]);
}

}  // namespace adaptive
