#include "adaptive/name_match.h"

#include <cctype>

#include "adaptive/error.h"

namespace adaptive {

namespace {

std::string Loose(const std::string& name) {
  std::string text;
  for (char c : name) {
    if (c == ' ') {
      if (!text.empty() && text.back() != ' ') text += ' ';
    } else {
      text += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

int MatchName(const std::vector<std::string>& names, const std::string& typed, std::vector<std::string>* candidates) {
  for (size_t k = 0; k < names.size(); ++k) {
    if (names[k] == typed) return static_cast<int>(k);
  }
  const std::string loose = Loose(typed);
  int found = -1;
  candidates->clear();
  for (size_t k = 0; k < names.size(); ++k) {
    if (Loose(names[k]) != loose) continue;
    candidates->push_back(names[k]);
    found = static_cast<int>(k);
  }
  return candidates->size() > 1 ? -2 : found;
}

std::string Shown(const std::string& typed) {
  if (typed.size() <= kShownTextLength) return typed;
  size_t cut = kShownTextLength - 3;
  while (cut > 0 && (static_cast<unsigned char>(typed[cut]) & 0xC0) == 0x80) --cut;  // inside a character
  return typed.substr(0, cut) + "...";
}

std::string QuotedNames(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "\"" : ", \"") + name + "\"";
  return list;
}

size_t MatchNameOrThrow(const std::vector<std::string>& names, const std::string& typed, const std::string& what,
                        const std::string& unknown) {
  std::vector<std::string> candidates;
  const int index = MatchName(names, typed, &candidates);
  if (index == -2) {
    throw Error(Error::kBadParameter,
                what + " \"" + Shown(typed) + "\" could be any of " + QuotedNames(candidates) + ": give one exactly");
  }
  if (index < 0) throw Error(Error::kBadParameter, unknown);
  return static_cast<size_t>(index);
}

}  // namespace adaptive
