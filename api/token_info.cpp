#include "adaptive/token_info.h"

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

int TokenInfo::filterChannels() const {
  int count = 0;
  for (const std::string& port : inputNames) count += StartsWith(port, "Input") ? 1 : 0;
  return count;
}

Family TokenInfo::family() const {
  if (inputIndex("- de/dw") >= 0) return Family::kGeneralGradient;
  for (const FamilyIcon& f : kFamilyIcons) {
    if (iconFile == f.iconFile) return f.family;
  }
  return Family::kLms;
}

bool TokenInfo::isGeneral() const { return inputIndex("Desired") < 0; }

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

int TokenInfo::parameterIndex(const std::string& name) const { return IndexOf(parameterNames, name); }
int TokenInfo::inputIndex(const std::string& name) const { return IndexOf(inputNames, name); }
int TokenInfo::outputIndex(const std::string& name) const { return IndexOf(outputNames, name); }

}  // namespace adaptive
