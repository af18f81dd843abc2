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
    case Family::kOther: return "";
  }
  return "";
}

int TokenInfo::filterChannels() const { return static_cast<int>(signalPorts().size()); }

Family TokenInfo::family() const {
  for (Family f : {Family::kLms, Family::kGeneralGradient, Family::kNlms, Family::kNewton, Family::kQr, Family::kRls,
                   Family::kRandomWalk}) {
    if (familyName == FamilyName(f)) return f;
  }
  return Family::kOther;
}

bool TokenInfo::isGeneral() const { return inputWithRole(PortRole::kDesired) < 0; }

bool TokenInfo::isCount(size_t parameter) const {
  switch (parameterRoles[parameter]) {
    case ParameterRole::kLength:
    case ParameterRole::kFeedbackLength:
    case ParameterRole::kProjectionOrder:
    case ParameterRole::kBlockLength: return true;
    default: return false;
  }
}

std::vector<size_t> TokenInfo::parametersWithRole(ParameterRole role) const {
  std::vector<size_t> found;
  for (size_t k = 0; k < parameterRoles.size(); ++k)
    if (parameterRoles[k] == role) found.push_back(k);
  return found;
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
