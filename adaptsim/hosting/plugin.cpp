#include "adaptsim/hosting/plugin.h"

#include "adaptive/error.h"
#include "adaptsim/hosting/executable_directory.h"

std::unique_ptr<Plugin> Plugin::load(const std::string& path, std::string* error) {
  try {
    return std::unique_ptr<Plugin>(new Plugin(adaptive::Library::load(path)));
  } catch (const adaptive::Error& e) {
    *error = e.what();
    return nullptr;
  }
}

adaptive::Filter::Parameters NamedValues(const TokenInfo& token, const std::vector<double>& values) {
  adaptive::Filter::Parameters named;
  for (size_t k = 0; k < values.size(); ++k) named.emplace_back(token.parameterNames[k], values[k]);
  return named;
}

std::string DefaultPluginPath() {
  const std::string directory = ExecutableDirectory();
  if (!directory.empty()) {
    // The build puts the library in the top directory and the executable one
    // below it; `cmake --install` and the packages put it in the library
    // directory beside the executable's; a copy may put both side by side.
    const std::string parent = directory.substr(0, directory.rfind('/'));
    for (const std::string& candidate : {parent + "/" ADAPTSIM_PLUGIN_FILE_NAME,
                                         directory + "/" ADAPTSIM_PLUGIN_INSTALL_DIR "/" ADAPTSIM_PLUGIN_FILE_NAME,
                                         directory + "/" ADAPTSIM_PLUGIN_FILE_NAME}) {
      if (IsRegularFile(candidate)) return candidate;
    }
  }
  return ADAPTSIM_PLUGIN_BUILD_PATH;
}
