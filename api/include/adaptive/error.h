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

  Error(int32_t status, const std::string& message) : std::runtime_error(message), code(status), text(message) {}
  // A call the library refused: `reason` says in the interface's words what
  // was wrong (which parameter, and why), `libraryText` is the library's own
  // message, as the simulator shows it; what() is the two joined by ": ", or
  // the message alone when there is no reason.
  Error(int32_t status, const std::string& reason, const std::string& libraryText)
      : std::runtime_error(reason.empty() ? libraryText : reason + ": " + libraryText),
        code(status),
        why(reason),
        text(libraryText) {}

  int32_t status() const { return code; }
  // "" when the message says it all.
  const std::string& reason() const { return why; }
  // The message without the reason.
  const std::string& libraryText() const { return text; }

 private:
  int32_t code;
  std::string why;
  std::string text;
};

}  // namespace adaptive
