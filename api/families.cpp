#include "api/families.h"

#include "api/library_source.h"
#include "families/beyond_catalogue.h"
#include "plugin/catalogue_records.h"
#include "tokens/catalogue_families.h"

namespace adaptive {

namespace {

void AddFamily(const FamilyDescriptor& family, bool inCatalogue, std::vector<KnownToken>& known) {
  for (int32_t k = 0; k < family.count; ++k) known.push_back({&family, &family.rows[k], family.factories[k], inCatalogue});
}

std::vector<std::string> Names(const char* const* names, int32_t count) { return {names, names + count}; }

void SetRoles(const KnownToken& token, TokenInfo& info) {
  info.parameterRoles.clear();
  for (int32_t k = 0; k < token.row->parameterCount; ++k) info.parameterRoles.push_back(token.row->parameters[k].role);
}

}  // namespace

const std::vector<KnownToken>& KnownTokens() {
  static const std::vector<KnownToken> known = [] {
    std::vector<KnownToken> all;
    const FamilyDescriptor* const* catalogue = CatalogueFamilies();
    for (int f = 0; f < kCatalogueFamilyCount; ++f) AddFamily(*catalogue[f], true, all);
    for (const FamilyDescriptor* family : FamiliesBeyondCatalogue()) AddFamily(*family, false, all);
    return all;
  }();
  return known;
}

const KnownToken* FindKnownToken(std::string_view name) {
  for (const KnownToken& token : KnownTokens())
    if (name == token.row->name) return &token;
  return nullptr;
}

const TokenNotes* FindTokenNotes(std::string_view name) {
  const KnownToken* token = FindKnownToken(name);
  return token == nullptr ? nullptr : token->row->notes;
}

std::string TokensWithNotes(const TokenNotes* notes) {
  std::string names;
  for (const KnownToken& token : KnownTokens())
    if (token.row->notes == notes) names += (names.empty() ? "" : " ") + std::string(token.row->name);
  return names;
}

TokenInfo DescribeKnownToken(const KnownToken& token) {
  const CatalogueEntry& row = *token.row;
  TokenInfo info;
  info.name = row.name;
  info.displayName = row.name;
  info.description = row.description;
  info.iconFile = row.iconFile;
  info.inputNames = Names(row.inputNames, row.inputCount);
  info.outputNames = Names(row.outputNames, row.outputCount);
  for (int32_t k = 0; k < row.parameterCount; ++k) {
    info.parameterNames.push_back(row.parameters[k].name);
    info.parameterDefaults.push_back(row.parameters[k].defaultValue);
  }
  info.fileLabel = kFinalWeightsFileLabel;
  info.defaultFileName = row.defaultFileName;
  for (const std::string& port : info.inputNames) info.inputRoles.push_back(RoleOfInput(port));
  SetRoles(token, info);
  info.familyName = token.family->name;
  info.inCatalogue = token.inCatalogue;
  return info;
}

void AddKnownFacts(TokenInfo& info) {
  info.parameterRoles.assign(info.parameterNames.size(), ParameterRole::kUnknown);
  info.familyName.clear();
  info.inCatalogue = true;  // whatever a plug-in reports is its catalogue
  const KnownToken* token = FindKnownToken(info.name);
  if (token == nullptr || static_cast<int32_t>(info.parameterNames.size()) != token->row->parameterCount) return;
  for (int32_t k = 0; k < token->row->parameterCount; ++k)
    if (info.parameterNames[static_cast<size_t>(k)] != token->row->parameters[k].name) return;
  SetRoles(*token, info);
  info.familyName = token->family->name;
}

}  // namespace adaptive
