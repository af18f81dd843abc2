// Loading a shared library at run time and finding its exports by name. Each
// platform has one source file.
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

}  // namespace adaptive
