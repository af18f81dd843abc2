// The benchmark groups, registered at run time once the plug-in's catalogue is
// known: tokens that are not in the plug-in are left out.
#pragma once

#include <string>

#include "bench/plugin_host.h"

namespace adaptive {

// Total filter lengths of the scaling and comparison benchmarks.
constexpr int kLengths[] = {4, 8, 16, 30, 64};
// The tokens timed at every length of kLengths.
constexpr const char* kLengthTokens[] = {"LMS", "NLMS", "NLMS2", "RLS1", "RLS3", "NEW3", "QR1"};

// "Length/RLS1/30" and friends.
inline std::string LengthBenchmarkName(const std::string& token, int length) {
  return "Length/" + token + "/" + std::to_string(length);
}

// Defaults/TOKEN for every token, Length/TOKEN/N for the scaled tokens, and
// Entry/... for the cost of the entry protocol itself.
void RegisterTokenBenchmarks(const Plugin& plugin);
// Expression/TOKEN/N: the matrix tokens' plain expression form.
void RegisterExpressionBenchmarks(const Plugin& plugin);
// Peak/...: the no-FMA vector peak of this machine, for the kernels' fraction.
void RegisterPeakBenchmarks();
// Peer/...: the peer library's equalisers, when the build found it.
void RegisterPeerBenchmarks();

}  // namespace adaptive
