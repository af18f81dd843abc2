#include "adaptsim/lab/scratch_directory.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

ScratchDirectory::ScratchDirectory() {
  const char* tmp = std::getenv("TMPDIR");
  std::string parent = tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp";
  if (parent.find('.') != std::string::npos) parent = "/tmp";
  std::string pattern = parent + "/adaptsim-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) != nullptr) directory = buffer.data();
}

ScratchDirectory::~ScratchDirectory() {
  if (directory.empty()) return;
  if (DIR* dir = opendir(directory.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") unlink((directory + "/" + name).c_str());
    }
    closedir(dir);
  }
  rmdir(directory.c_str());
}
