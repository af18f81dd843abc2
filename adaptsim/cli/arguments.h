// Command-line options of the stand-in host's commands: a small declarative
// parser so that every command states its options in one table.
#pragma once

#include <string>
#include <vector>

struct OptionSpec {
  const char* longName;   // without the leading "--"
  char shortName;         // 0 when the option has no one-letter form
  const char* valueName;  // null for a flag that takes no value
  const char* help;
};

struct ParsedOption {
  std::string longName;
  std::string value;
};

struct ParsedArguments {
  std::vector<ParsedOption> options;  // in command-line order
  std::vector<std::string> positionals;

  bool has(const char* longName) const;
  // The value given last, or `fallback` when the option is absent.
  std::string last(const char* longName, const std::string& fallback) const;
  std::vector<std::string> all(const char* longName) const;
};

// Accepts "--name VALUE", "--name=VALUE", "-x VALUE", "-xVALUE" and flags;
// "--" makes every later word a positional, and so does a lone "-". False on an
// unknown option, a missing value or a value given to a flag, with the reason
// in *error.
bool ParseArguments(const std::vector<std::string>& words, const std::vector<OptionSpec>& specs,
                    ParsedArguments* parsed, std::string* error);

// The options' help lines, aligned, one per option.
std::string FormatOptionHelp(const std::vector<OptionSpec>& specs);
