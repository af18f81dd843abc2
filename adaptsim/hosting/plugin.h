// A token library loaded at run time the way the host loads it: the catalogue
// obtained through USERCODE into host-allocated records, and the token entry
// points resolved by name.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/records.h"
#include "adaptsim/hosting/dynamic_library.h"

// One catalogue entry, copied out of the host records.
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

  // The number of filter channels: the "Input" ports.
  int filterChannels() const;
  // Index of the parameter called exactly `name`, or -1.
  int parameterIndex(const std::string& parameterName) const;
};

class Plugin {
 public:
  // Loads the library, calls its USERCODE and checks what it reported.
  // Null on failure, with a message naming the library in *error.
  static std::unique_ptr<Plugin> Load(const std::string& path, std::string* error);

  const std::string& path() const { return libraryPath; }
  int32_t version() const { return libraryVersion; }
  const std::vector<TokenInfo>& catalogue() const { return tokens; }

  // The catalogue entry called `name`, or null.
  const TokenInfo* find(const std::string& name) const;

  // The exported entry point of a token, or null when the library lacks it.
  // Sessions using it must end before the Plugin is destroyed.
  TokenEntryPoint entryPoint(const std::string& name) const;

 private:
  Plugin() = default;
  std::string libraryPath;
  std::unique_ptr<DynamicLibrary> library;
  int32_t libraryVersion = 0;
  std::vector<TokenInfo> tokens;
};

// The library that sits beside the executable in the build tree (or, failing
// that, where the build put it).
std::string DefaultPluginPath();
