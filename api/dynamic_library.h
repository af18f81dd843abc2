// The few services of the operating system that a host of the library needs: loading
// a shared library at run time, finding its exports by name, and finding the
// directory of the running executable. Each platform has one source file.
#pragma once

#include <memory>
#include <string>

namespace adaptive {

class DynamicLibrary {
 public:
  // Null on failure, with the system's reason in *error.
  static std::unique_ptr<DynamicLibrary> open(const std::string& path, std::string* error);
  ~DynamicLibrary();

  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // Address of the exported function `name`, or null when there is none.
  void* symbol(const char* name) const;

 private:
  explicit DynamicLibrary(void* handle) : handle(handle) {}
  void* handle;
};

// Directory holding the running executable, without a trailing separator;
// empty when the system cannot tell.
std::string ExecutableDirectory();

// True when `path` names an existing regular file.
bool IsRegularFile(const std::string& path);

}  // namespace adaptive
