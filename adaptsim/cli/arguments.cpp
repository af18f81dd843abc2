#include "adaptsim/cli/arguments.h"
#include "adaptive/name_match.h"

#include <algorithm>

namespace {

const OptionSpec* FindLong(const std::vector<OptionSpec>& specs, const std::string& name) {
  for (const OptionSpec& spec : specs) {
    if (name == spec.longName) return &spec;
  }
  return nullptr;
}

const OptionSpec* FindShort(const std::vector<OptionSpec>& specs, char name) {
  for (const OptionSpec& spec : specs) {
    if (spec.shortName != 0 && spec.shortName == name) return &spec;
  }
  return nullptr;
}

std::string Synopsis(const OptionSpec& spec) {
  std::string text = spec.shortName != 0 ? std::string("-") + spec.shortName + ", " : "    ";
  text += std::string("--") + spec.longName;
  if (spec.valueName != nullptr) text += std::string(" ") + spec.valueName;
  return text;
}

}  // namespace

bool ParsedArguments::has(const char* longName) const {
  return std::any_of(options.begin(), options.end(),
                     [&](const ParsedOption& o) { return o.longName == longName; });
}

std::string ParsedArguments::last(const char* longName, const std::string& fallback) const {
  std::string value = fallback;
  for (const ParsedOption& o : options) {
    if (o.longName == longName) value = o.value;
  }
  return value;
}

std::vector<std::string> ParsedArguments::all(const char* longName) const {
  std::vector<std::string> values;
  for (const ParsedOption& o : options) {
    if (o.longName == longName) values.push_back(o.value);
  }
  return values;
}

bool ParseArguments(const std::vector<std::string>& words, const std::vector<OptionSpec>& specs,
                    ParsedArguments* parsed, std::string* error) {
  parsed->options.clear();
  parsed->positionals.clear();
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "--") {
      parsed->positionals.insert(parsed->positionals.end(), words.begin() + static_cast<long>(i) + 1,
                                 words.end());
      return true;
    }
    if (word.size() < 2 || word[0] != '-') {
      parsed->positionals.push_back(word);
      continue;
    }
    const OptionSpec* spec = nullptr;
    bool hasInlineValue = false;
    std::string inlineValue;
    if (word[1] == '-') {
      const size_t eq = word.find('=');
      spec = FindLong(specs, word.substr(2, eq == std::string::npos ? std::string::npos : eq - 2));
      if (eq != std::string::npos) {
        hasInlineValue = true;
        inlineValue = word.substr(eq + 1);
      }
    } else {
      spec = FindShort(specs, word[1]);
      if (spec != nullptr && word.size() > 2) {
        hasInlineValue = true;
        inlineValue = word.substr(2);
      }
    }
    if (spec == nullptr) {
      *error = "unknown option " + adaptive::Shown(word);
      return false;
    }
    if (spec->valueName == nullptr) {
      if (hasInlineValue) {
        *error = "option " + adaptive::Shown(word) + " takes no value";
        return false;
      }
      parsed->options.push_back({spec->longName, std::string()});
      continue;
    }
    if (!hasInlineValue) {
      if (i + 1 == words.size()) {
        *error = "option " + word + " needs a value (" + spec->valueName + ")";
        return false;
      }
      inlineValue = words[++i];
    }
    parsed->options.push_back({spec->longName, inlineValue});
  }
  return true;
}

std::string FormatOptionHelp(const std::vector<OptionSpec>& specs) {
  size_t width = 0;
  for (const OptionSpec& spec : specs) width = std::max(width, Synopsis(spec).size());
  std::string text;
  for (const OptionSpec& spec : specs) {
    const std::string synopsis = Synopsis(spec);
    text += "  " + synopsis + std::string(width - synopsis.size() + 2, ' ') + spec.help + "\n";
  }
  return text;
}
