// A private temporary directory for the final-weights files of experiments,
// removed with its files when the object goes.
#pragma once

#include <string>

class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  // Empty when the directory could not be made. The path holds no dot: the
  // tokens cut their file name at the first dot, a directory's included.
  const std::string& path() const { return directory; }

 private:
  std::string directory;
};
