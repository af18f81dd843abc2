// One token as a library reports it: its catalogue entry, and the facts about
// it that code outside the library needs (its family, what each parameter
// sets), stated by the descriptor of the family that owns it. A plug-in loaded
// from a file reports only its catalogue: its tokens get those facts where
// their names and parameters are those of a token of this library, and are
// said to be unknown otherwise.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "adaptive/parameter_role.h"

namespace adaptive {

// The families of the plug-in's catalogue; kOther for a family beyond it
// (TokenInfo::familyName names it) and for a token this library does not know.
enum class Family { kLms, kGeneralGradient, kNlms, kNewton, kQr, kRls, kRandomWalk, kOther };

// Name of a family as written in messages and in the Python package: "LMS",
// "NLMS", "general gradient", "Newton", "RLS", "QR", "random walk"; "" for kOther.
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
  // One per parameter, from the family's descriptor; all kUnknown for a token
  // this library does not know.
  std::vector<ParameterRole> parameterRoles;
  // The family's name as its descriptor states it ("LMS", "random walk",
  // "affine projection"...); "" for a token this library does not know.
  std::string familyName;
  // True for a token of the plug-in's catalogue (every token of a loaded
  // plug-in); false for a family of the linked library beyond it.
  bool inCatalogue = true;

  // The number of filter channels: the "Input" ports, one final-weights file each.
  int filterChannels() const;
  // The algorithm family, from familyName.
  Family family() const;
  // True for a general token: its "Error" comes from the diagram, it has no
  // "Desired" port.
  bool isGeneral() const;
  // True for the parameters that are counts (kLength, kFeedbackLength,
  // kProjectionOrder, kBlockLength): the tokens truncate them.
  bool isCount(size_t parameter) const;
  // The parameters with `role`, in catalogue order: kLength gives the filter
  // lengths, one per channel in channel order.
  std::vector<size_t> parametersWithRole(ParameterRole role) const;
  std::vector<size_t> lengthParameters() const { return parametersWithRole(ParameterRole::kLength); }
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
