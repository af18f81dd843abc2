#include "api/dynamic_library.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

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

std::string ExecutableDirectory() {
  std::vector<char> buffer(4096);
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0 || static_cast<size_t>(length) >= buffer.size() - 1) return std::string();
  const std::string path(buffer.data(), static_cast<size_t>(length));
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return path.substr(0, slash);
}

bool IsRegularFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace adaptive
