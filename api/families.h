// The tokens this library knows, from the descriptors of its families: the
// plug-in's catalogue in catalogue order, then the families beyond it. The
// linked library's list of tokens is made from these; a plug-in loaded from a
// file is matched against them by name, for the facts its records lack.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "adaptive/token_info.h"
#include "core/family_descriptor.h"

namespace adaptive {

struct KnownToken {
  const FamilyDescriptor* family;
  const CatalogueEntry* row;
  TokenFactory factory;
  bool inCatalogue;  // exported by the plug-in
};

const std::vector<KnownToken>& KnownTokens();

// The known token called exactly `name`, or null.
const KnownToken* FindKnownToken(std::string_view name);

// The notes of the known token `name`, or null.
const TokenNotes* FindTokenNotes(std::string_view name);

// The known tokens that share `notes`, blank-separated in their order.
std::string TokensWithNotes(const TokenNotes* notes);

// `token` as the interface describes it: its row, family, roles and place.
TokenInfo DescribeKnownToken(const KnownToken& token);

// Adds to `info` (read from a plug-in's records) what our descriptor of a
// token of that name and those parameters states; a token that is not ours
// keeps an empty family and unknown roles.
void AddKnownFacts(TokenInfo& info);

}  // namespace adaptive
