#include "tests/support/file_text.h"

#include <fstream>
#include <sstream>

namespace adaptive {

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool FileExists(const std::string& path) { return std::ifstream(path).good(); }

}  // namespace adaptive
