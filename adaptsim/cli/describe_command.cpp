#include <ostream>

#include "adaptsim/cli/commands.h"
#include "api/number_text.h"

namespace {

void PrintPorts(std::ostream& out, const char* title, const std::vector<std::string>& names) {
  out << title << ":\n";
  for (size_t i = 0; i < names.size(); ++i) out << "  " << i << "  " << names[i] << '\n';
}

int RunDescribe(const CommandContext& context) {
  std::unique_ptr<Plugin> plugin;
  int exitCode = 0;
  const TokenInfo* token = context.loadTokenArgument(&plugin, &exitCode);
  if (token == nullptr) return exitCode;

  std::ostream& out = context.io.out;
  out << token->name << ": " << token->description << '\n';
  if (token->displayName != token->name) out << "Shown as: " << token->displayName << '\n';
  out << "Icon: " << token->iconFile << '\n';
  if (plugin->entryPoint(token->name) == nullptr) out << "Entry point: missing from this build\n";
  PrintPorts(out, "Inputs", token->inputNames);
  PrintPorts(out, "Outputs", token->outputNames);
  out << "Parameters:\n";
  // Quoted, so that the two blanks of "Numerator Coeffs  1" show.
  for (size_t k = 0; k < token->parameterNames.size(); ++k) {
    out << "  " << k << "  \"" << token->parameterNames[k]
        << "\" = " << FormatShortest(token->parameterDefaults[k]) << '\n';
  }
  out << token->fileLabel << ": " << token->defaultFileName << '\n';
  return kExitOk;
}

}  // namespace

const Command& DescribeCommand() {
  static const Command command{
      "describe", "show a token's ports, parameters and final-weights file", "TOKEN",
      "Shows the catalogue entry of TOKEN: its input and output ports in order, its\n"
      "parameters with their indices and defaults, and the default name of its\n"
      "final-weights file.",
      {}, &RunDescribe};
  return command;
}
