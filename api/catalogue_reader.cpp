// The host's side of the USERCODE call.
#include <string>

#include "api/families.h"
#include "api/host_catalogue_records.h"
#include "api/library_source.h"

namespace adaptive {

namespace {

bool CopyText(const char* text, const char* what, int index, std::string* out, std::string* error) {
  if (text == nullptr) {
    *error = "catalogue entry " + std::to_string(index) + " has no " + what;
    return false;
  }
  *out = text;
  return true;
}

bool CopyNames(const char* const* names, int32_t count, int32_t limit, const char* what, int index,
               std::vector<std::string>* out, std::string* error) {
  if (count < 0 || count > limit) {
    *error = "catalogue entry " + std::to_string(index) + " reports " + std::to_string(count) + " " +
             what + "; this host holds 0 to " + std::to_string(limit);
    return false;
  }
  out->clear();
  for (int32_t i = 0; i < count; ++i) {
    std::string name;
    if (!CopyText(names[i], what, index, &name, error)) return false;
    out->push_back(name);
  }
  return true;
}

bool CopyDescriptor(const TokenDescriptor& d, int index, TokenInfo* out, std::string* error) {
  if (!CopyText(d.entryName, "entry point name", index, &out->name, error) ||
      !CopyText(d.displayName, "display name", index, &out->displayName, error) ||
      !CopyText(d.description, "description", index, &out->description, error) ||
      !CopyText(d.iconFile, "icon file", index, &out->iconFile, error) ||
      !CopyText(d.fileLabel, "file label", index, &out->fileLabel, error) ||
      !CopyText(d.defaultFileName, "default file name", index, &out->defaultFileName, error) ||
      !CopyNames(d.inputNames, d.inputCount, kMaxInputPorts, "input names", index, &out->inputNames, error) ||
      !CopyNames(d.outputNames, d.outputCount, kMaxOutputPorts, "output names", index, &out->outputNames,
                 error) ||
      !CopyNames(d.parameterNames, d.parameterCount, kMaxParameters, "parameter names", index,
                 &out->parameterNames, error)) {
    return false;
  }
  out->parameterDefaults.assign(d.parameterDefaults, d.parameterDefaults + d.parameterCount);
  for (const std::string& port : out->inputNames) out->inputRoles.push_back(RoleOfInput(port));
  AddKnownFacts(*out);
  return true;
}

}  // namespace

bool ReadCatalogue(UserCodeEntryPoint userCode, detail::LibrarySource* source, std::string* error) {
  std::unique_ptr<HostCatalogueRecords> records(new HostCatalogueRecords());
  userCode(&records->info);
  const int32_t count = records->info.tokenCount;
  if (count < 0 || count > kCatalogueSize) {
    *error = "it reports " + std::to_string(count) + " tokens; this host holds 0 to " +
             std::to_string(kCatalogueSize);
    return false;
  }
  source->tokens.resize(static_cast<size_t>(count));
  for (int32_t k = 0; k < count; ++k) {
    if (!CopyDescriptor(records->tokens[k], k, &source->tokens[static_cast<size_t>(k)], error)) return false;
  }
  source->version = records->info.version;
  return true;
}

}  // namespace adaptive
