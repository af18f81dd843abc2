// The files one run reads and writes, named by its options, checked before
// anything is written: a run that wrote its own input, or two of its outputs
// into one file, would leave neither whole and might report success.
#pragma once

#include <string>
#include <vector>

struct NamedFile {
  std::string path;
  std::string role;  // how the message names it: "--in sig.csv", "--weights's file w1.txt"
};

// The first two of `files` that are one file, as "ROLE and ROLE are the same
// file"; empty when there are none. Files that exist are compared as the
// system knows them (device and inode, or their equivalent), so that
// "w.txt", "./w.txt" and a link to it are one; files yet to be created by
// their paths made absolute, with the links of their existing directories
// resolved and "." and ".." taken out. Standard input and output ("" or
// "-"), devices, FIFOs and other files that are not regular files are never
// in conflict: several writers may share /dev/null.
std::string SameFileConflict(const std::vector<NamedFile>& files);
