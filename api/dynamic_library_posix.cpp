#include "api/dynamic_library.h"

#include <dlfcn.h>

namespace adaptive {

std::unique_ptr<DynamicLibrary> DynamicLibrary::open(const std::string& path, std::string* error) {
  // A bare file name would make the loader search the system's library path;
  // the user means the file in the current directory.
  const std::string target = path.find('/') == std::string::npos ? "./" + path : path;
  dlerror();
  void* handle = dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    *error = reason != nullptr ? reason : "unknown loader error";
    return nullptr;
  }
  return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

DynamicLibrary::~DynamicLibrary() { dlclose(handle); }

void* DynamicLibrary::symbol(const char* name) const { return dlsym(handle, name); }

}  // namespace adaptive
