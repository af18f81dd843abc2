// How the final-weights files of a token are named from the instance's file
// name: leading white space skipped, the rest split at a dot into a base name
// and an extension ("txt" when there is no dot), and, for a token with several
// channels, the channel number put at the end of the base name.
//
// A one-file token splits at the first dot, wherever it stands, so its file
// is the name as given. A multi-channel token splits at the first dot of the
// file's own name (after the last '/' or '\'), so that the channel number
// never lands in a directory: "./w.txt" gives "./w1.txt", "v1.2/w" gives
// "v1.2/w1.txt".
//
// The library's writer and every reader of the files use these functions.
#pragma once

#include <cstddef>

namespace adaptive {

constexpr int kMaxFinalWeightsName = 255;

// The dot where the name splits for a token with `channels` files (the
// library replaces it by a NUL in the host's string), or null when there is
// none.
const char* FinalWeightsNameDot(const char* fileName, int channels);
inline char* FinalWeightsNameDot(char* fileName, int channels) {
  return const_cast<char*>(FinalWeightsNameDot(static_cast<const char*>(fileName), channels));
}

// Composes the name of file `channel` (0 for the first) of a token with
// `channels` files into `out`. False when it would have more than
// kMaxFinalWeightsName characters: `out` then holds it cut to that many.
bool ComposeFinalWeightsName(const char* fileName, int channels, int channel, char (&out)[kMaxFinalWeightsName + 1]);

}  // namespace adaptive
