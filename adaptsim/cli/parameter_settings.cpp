#include "adaptsim/cli/parameter_settings.h"

#include "adaptive/closest_name.h"
#include "adaptive/name_match.h"
#include "adaptive/number_text.h"

namespace {

bool IsIndex(const std::string& text) {
  return !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos;
}

std::string ParameterList(const TokenInfo& token) {
  std::string text;
  for (size_t k = 0; k < token.parameterNames.size(); ++k) {
    text += "\n  " + std::to_string(k) + "  \"" + token.parameterNames[k] + "\"";
  }
  return text;
}

}  // namespace

bool ApplyParameterSetting(const TokenInfo& token, const std::string& setting,
                           std::vector<double>* values, std::string* error) {
  const size_t eq = setting.rfind('=');
  if (eq == std::string::npos) {
    *error = "parameter setting \"" + adaptive::Shown(setting) + "\" is not NAME=VALUE";
    return false;
  }
  const std::string name = setting.substr(0, eq);
  const std::string valueText = setting.substr(eq + 1);
  std::vector<std::string> candidates;
  int index = adaptive::MatchName(token.parameterNames, name, &candidates);
  if (index == -2) {
    *error = "parameter \"" + adaptive::Shown(name) + "\" of " + token.name + " could be any of:";
    for (const std::string& candidate : candidates) *error += " \"" + candidate + "\"";
    return false;
  }
  if (index < 0 && IsIndex(name) && std::stoul(name) < token.parameterNames.size()) {
    index = static_cast<int>(std::stoul(name));
  }
  if (index < 0) {
    *error = token.name + " has no parameter \"" + adaptive::Shown(name) + "\"" +
             adaptive::DidYouMean(token.parameterNames, name) + "; its parameters are:" + ParameterList(token);
    return false;
  }
  double value;
  if (!adaptive::ParseDouble(valueText, &value)) {
    *error = "value of parameter \"" + token.parameterNames[static_cast<size_t>(index)] +
             "\" is not a number: \"" + adaptive::Shown(valueText) + "\"";
    return false;
  }
  (*values)[static_cast<size_t>(index)] = value;
  return true;
}
