#include "adaptsim/hosting/plugin.h"

#include "adaptive/error.h"
#include "api/dynamic_library.h"
#include "api/library_source.h"

std::unique_ptr<Plugin> Plugin::Load(const std::string& path, std::string* error) {
  try {
    return std::unique_ptr<Plugin>(new Plugin(adaptive::Library::load(path)));
  } catch (const adaptive::Error& e) {
    *error = e.what();
    return nullptr;
  }
}

adaptive::TokenEntryPoint Plugin::entryPoint(const std::string& name) const {
  return adaptive::detail::LibraryAccess::of(library).entryPoint(name);
}

std::string DefaultPluginPath() {
  const std::string directory = adaptive::ExecutableDirectory();
  if (!directory.empty()) {
    // The build puts the library in the top directory and the executable one
    // below it; `cmake --install` and the packages put it in the library
    // directory beside the executable's; a copy may put both side by side.
    const std::string parent = directory.substr(0, directory.rfind('/'));
    for (const std::string& candidate : {parent + "/" ADAPTSIM_PLUGIN_FILE_NAME,
                                         directory + "/" ADAPTSIM_PLUGIN_INSTALL_DIR "/" ADAPTSIM_PLUGIN_FILE_NAME,
                                         directory + "/" ADAPTSIM_PLUGIN_FILE_NAME}) {
      if (adaptive::IsRegularFile(candidate)) return candidate;
    }
  }
  return ADAPTSIM_PLUGIN_BUILD_PATH;
}
