// One catalogue entry as the library reports it through USERCODE, and the facts
// about a token that code outside the library needs, read from that entry in
// this one place rather than from token names.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace adaptive {

enum class Family { kLms, kGeneralGradient, kNlms, kNewton, kQr, kRls, kRandomWalk };

// Name of a family as written in messages and in the Python package: "LMS",
// "NLMS", "general gradient", "Newton", "RLS", "QR", "random walk".
const char* FamilyName(Family family);

// What a diagram connects to an input port, read from the port's catalogue name.
enum class PortRole {
  kSignal,    // "Input", "Input 1" …: the filter input of a channel, in channel order
  kDesired,   // "Desired": the signal the filter learns to reproduce
  kError,     // "Error" of a general token: the error computed in the diagram
  kGradient,  // "- de/dw": the gradient signal, the filter input in a plain loop
  kStepSize,  // "Mu" on a port
  kLeakage,   // "Leakage" on a port
  kOther,     // a port name this interface does not know
};

struct TokenInfo {
  std::string name;
  std::string displayName;
  std::string description;
  std::string iconFile;
  std::vector<std::string> inputNames;
  std::vector<std::string> outputNames;
  std::vector<std::string> parameterNames;
  std::vector<double> parameterDefaults;
  std::string fileLabel;
  std::string defaultFileName;
  // One per input port, worked out from its name when the catalogue is read.
  std::vector<PortRole> inputRoles;

  // The number of filter channels: the "Input" ports, one final-weights file each.
  int filterChannels() const;
  // The algorithm family, from the icon the catalogue gives each family and
  // the "- de/dw" port that only the general-gradient tokens have.
  Family family() const;
  // True for a general token: its "Error" comes from the diagram, it has no
  // "Desired" port.
  bool isGeneral() const;
  // True for the parameters that are counts of coefficients ("Numerator Coeffs",
  // its numbered forms, "Denominator Coeffs"): the tokens truncate them.
  bool isCount(size_t parameter) const;
  // The parameters that set the filter lengths ("Numerator Coeffs" or its
  // numbered forms), one per channel in channel order.
  std::vector<size_t> lengthParameters() const;
  // The first input port with `role`, or -1.
  int inputWithRole(PortRole role) const;
  // The kSignal ports, channel 1 first.
  std::vector<int> signalPorts() const;
  // Index of the port or parameter called exactly `name`, or -1.
  int parameterIndex(const std::string& parameterName) const;
  int inputIndex(const std::string& portName) const;
  int outputIndex(const std::string& portName) const;
};

}  // namespace adaptive
