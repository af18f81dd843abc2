#include "adaptive/token_info.h"

#include "api/library_source.h"

namespace adaptive {

namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

int IndexOf(const std::vector<std::string>& names, const std::string& name) {
  for (size_t k = 0; k < names.size(); ++k) {
    if (names[k] == name) return static_cast<int>(k);
  }
  return -1;
}

// The catalogue gives each family its own icon; the general-gradient tokens
// share theirs with the LMS and NLMS tokens and alone have a "- de/dw" port.
struct FamilyIcon {
  const char* iconFile;
  Family family;
};
constexpr FamilyIcon kFamilyIcons[] = {{"lmsx.wmf", Family::kLms},  {"nlmsx.wmf", Family::kNlms},
                                       {"newx.wmf", Family::kNewton}, {"rlsx.wmf", Family::kRls},
                                       {"qrx.wmf", Family::kQr},     {"rwx.wmf", Family::kRandomWalk}};

}  // namespace

const char* FamilyName(Family family) {
  switch (family) {
    case Family::kLms: return "LMS";
    case Family::kNlms: return "NLMS";
    case Family::kGeneralGradient: return "general gradient";
    case Family::kNewton: return "Newton";
    case Family::kRls: return "RLS";
    case Family::kQr: return "QR";
    case Family::kRandomWalk: return "random walk";
  }
  return "";
}

int TokenInfo::filterChannels() const { return static_cast<int>(signalPorts().size()); }

Family TokenInfo::family() const {
  if (inputWithRole(PortRole::kGradient) >= 0) return Family::kGeneralGradient;
  for (const FamilyIcon& f : kFamilyIcons) {
    if (iconFile == f.iconFile) return f.family;
  }
  return Family::kLms;
}

bool TokenInfo::isGeneral() const { return inputWithRole(PortRole::kDesired) < 0; }

bool TokenInfo::isCount(size_t parameter) const {
  const std::string& name = parameterNames[parameter];
  return StartsWith(name, "Numerator Coeffs") || StartsWith(name, "Denominator Coeffs");
}

std::vector<size_t> TokenInfo::lengthParameters() const {
  std::vector<size_t> lengths;
  for (size_t k = 0; k < parameterNames.size(); ++k) {
    if (StartsWith(parameterNames[k], "Numerator Coeffs")) lengths.push_back(k);
  }
  return lengths;
}

PortRole RoleOfInput(const std::string& name) {
  if (StartsWith(name, "Input")) return PortRole::kSignal;
  if (name == "Desired") return PortRole::kDesired;
  if (name == "Error") return PortRole::kError;
  if (name == "- de/dw") return PortRole::kGradient;
  if (name == "Mu") return PortRole::kStepSize;
  if (name == "Leakage") return PortRole::kLeakage;
  return PortRole::kOther;
}

int TokenInfo::inputWithRole(PortRole role) const {
  for (size_t p = 0; p < inputRoles.size(); ++p)
    if (inputRoles[p] == role) return static_cast<int>(p);
  return -1;
}

std::vector<int> TokenInfo::signalPorts() const {
  std::vector<int> ports;
  for (size_t p = 0; p < inputRoles.size(); ++p)
    if (inputRoles[p] == PortRole::kSignal) ports.push_back(static_cast<int>(p));
  return ports;
}

int TokenInfo::parameterIndex(const std::string& name) const { return IndexOf(parameterNames, name); }
int TokenInfo::inputIndex(const std::string& name) const { return IndexOf(inputNames, name); }
int TokenInfo::outputIndex(const std::string& name) const { return IndexOf(outputNames, name); }

}  // namespace adaptive
