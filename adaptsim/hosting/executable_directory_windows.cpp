#include "adaptsim/hosting/executable_directory.h"

#include <windows.h>

#include <vector>

std::string ExecutableDirectory() {
  std::vector<char> buffer(4096);
  const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length == 0 || length >= buffer.size()) return std::string();
  // Forward slashes, which Windows accepts too, so that callers split and
  // join paths the same way on every platform.
  std::string path(buffer.data(), length);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return path.substr(0, slash);
}

bool IsRegularFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}
