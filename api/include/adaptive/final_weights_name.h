// The names of the final-weights files a filter writes when it closes, as the
// library itself composes them from the instance's file name: leading blanks
// skipped, the rest split at a dot into a base name and an extension ("txt"
// when there is none), and for a token of several channels the channel number
// (from 1) put at the end of the base name of the file's own name, never in
// a directory: "w.txt" gives w1.txt, w2.txt..., "./w.txt" ./w1.txt and
// "v1.2/w" v1.2/w1.txt. A token of one channel writes the name as given.
#pragma once

#include <string>
#include <vector>

namespace adaptive {

// The files, in channel order, of a token with `channels` filter channels
// (TokenInfo::filterChannels(); below 1 counts as 1) given the file name
// `fileName`; none for an empty name, which writes no file. A name longer
// than the library's 255 characters is cut there, as the library cuts it.
std::vector<std::string> FinalWeightsPaths(const std::string& fileName, int channels);

}  // namespace adaptive
