#include "bench/plugin_host.h"

#include <dlfcn.h>

#include <cstring>
#include <memory>

namespace {

// The host allocates every array that USERCODE fills; these hold the largest
// counts of the catalogue.
struct CatalogueBuffers {
  LibraryInfo info{};
  TokenDescriptor descriptors[kCatalogueSize]{};
  const char* inputNames[kCatalogueSize][kMaxInputPorts]{};
  const char* outputNames[kCatalogueSize][kMaxOutputPorts]{};
  const char* parameterNames[kCatalogueSize][kMaxParameters]{};
  double defaults[kCatalogueSize][kMaxParameters]{};

  CatalogueBuffers() {
    info.tokens = descriptors;
    for (int t = 0; t < kCatalogueSize; ++t) {
      descriptors[t].inputNames = inputNames[t];
      descriptors[t].outputNames = outputNames[t];
      descriptors[t].parameterNames = parameterNames[t];
      descriptors[t].parameterDefaults = defaults[t];
    }
  }
};

bool IsLengthParameter(const std::string& name) { return name.rfind("Numerator Coeffs", 0) == 0; }

}  // namespace

Plugin::Plugin() {
  handle = dlopen(ADAPTIVE_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    problem = dlerror();
    return;
  }
  auto userCode = reinterpret_cast<UserCodeEntryPoint>(dlsym(handle, "USERCODE"));
  if (userCode == nullptr) {
    problem = "the plug-in exports no USERCODE";
    return;
  }
  auto buffers = std::make_unique<CatalogueBuffers>();
  userCode(&buffers->info);
  for (int t = 0; t < buffers->info.tokenCount && t < kCatalogueSize; ++t) {
    const TokenDescriptor& d = buffers->descriptors[t];
    TokenDescription token;
    token.name = d.entryName;
    for (int i = 0; i < d.inputCount; ++i) token.inputNames.push_back(d.inputNames[i]);
    token.outputCount = d.outputCount;
    for (int k = 0; k < d.parameterCount; ++k) {
      token.parameterNames.push_back(d.parameterNames[k]);
      token.defaults.push_back(d.parameterDefaults[k]);
    }
    catalogue.push_back(token);
  }
}

Plugin::~Plugin() {
  if (handle != nullptr) dlclose(handle);
}

const TokenDescription* Plugin::find(const std::string& name) const {
  for (const TokenDescription& token : catalogue)
    if (token.name == name) return &token;
  return nullptr;
}

TokenEntryPoint Plugin::entry(const std::string& name) const {
  if (handle == nullptr) return nullptr;
  return reinterpret_cast<TokenEntryPoint>(dlsym(handle, name.c_str()));
}

std::vector<double> ParametersWithTotalLength(const TokenDescription& token, int total) {
  std::vector<double> values = token.defaults;
  int channels = 0;
  for (const std::string& name : token.parameterNames) channels += IsLengthParameter(name) ? 1 : 0;
  int channel = 0;
  for (size_t k = 0; k < values.size(); ++k) {
    if (!IsLengthParameter(token.parameterNames[k])) continue;
    values[k] = total / channels + (channel < total % channels ? 1 : 0);
    ++channel;
  }
  return values;
}

HostedToken::HostedToken(TokenEntryPoint entry, const TokenDescription& token, std::vector<double> values)
    : entry(entry), parameters(std::move(values)) {
  const size_t count = token.inputNames.size();
  inputs.assign(count, PortRecord{});
  outputs.assign(token.outputCount, PortRecord{});
  int channel = 0;
  for (size_t p = 0; p < count; ++p) {
    const std::string& name = token.inputNames[p];
    PortRecord* port = &inputs[p];
    port->sampleRate = 1000.0;
    inputPointers.push_back(port);
    if (name.rfind("Input", 0) == 0) {
      wiring.push_back({port, signals.input[channel++]});
    } else if (name == "- de/dw") {
      wiring.push_back({port, signals.input[0]});
    } else if (name == "Desired") {
      wiring.push_back({port, signals.desired});
    } else if (name == "Error") {
      errorPort = port;
    } else if (name == "Mu") {
      port->value = 0.01;
    } else if (name == "Leakage") {
      port->value = 1.0;
    }
  }
  context.sampleRate = 1000.0;
  context.errorText = errorText;
  record.inputCount = static_cast<int32_t>(count);
  record.inputs = inputPointers.data();
  record.outputs = outputs.data();
  record.parameters = parameters.data();
  record.fileName = fileName;
}

HostedToken::~HostedToken() {
  context.initFlag = 0;
  context.terminateFlag = 1;
  entry(&context, &record);
}

int32_t HostedToken::Create() {
  context.initFlag = 1;
  const int32_t status = entry(&context, &record);
  context.initFlag = 0;
  if (status != 0) errorMessage.assign(errorText, strnlen(errorText, kErrorTextCapacity));
  return status;
}

void HostedToken::SkipReferenceInput(bool skip) {
  for (PortRecord& p : inputs) p.skip = skip ? 1 : 0;
}
