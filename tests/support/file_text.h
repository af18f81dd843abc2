// Reading back the files that tests make.
#pragma once

#include <string>

namespace adaptive {

// Whole contents of a file ("" when it does not exist).
std::string ReadFileText(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace adaptive
