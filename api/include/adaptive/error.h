// The one exception of the library's C++ interface: a token that could not be
// created or closed, a token or parameter name the catalogue does not know, or
// a token library that cannot be loaded.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace adaptive {

class Error : public std::runtime_error {
 public:
  // Statuses of the library's entry points: 1 a parameter out of range or a
  // final-weights file that cannot be opened, 1001 and 1002 no memory. A name
  // the catalogue does not know is reported as 1 (a bad parameter) and a
  // library that cannot be loaded as kNoLibrary.
  static constexpr int32_t kBadParameter = 1;
  static constexpr int32_t kNoLibrary = -1;

  Error(int32_t status, const std::string& message) : std::runtime_error(message), code(status) {}
  int32_t status() const { return code; }

 private:
  int32_t code;
};

}  // namespace adaptive
