// The benchmark groups, registered at run time once the plug-in's catalogue is
// known: tokens that are not in the plug-in are left out.
#pragma once

#include <string>
#include <vector>

#include "bench/plugin_host.h"

// Declared only: adaptive_dll_bench includes this header without Google Benchmark.
namespace benchmark {
class State;
}  // namespace benchmark

namespace adaptive {

// Total filter lengths of the scaling and comparison benchmarks.
constexpr int kLengths[] = {4, 8, 16, 30, 64};
// The tokens timed at every length of kLengths.
constexpr const char* kLengthTokens[] = {"LMS", "NLMS", "NLMS2", "RLS1", "RLS3", "NEW3", "QR1"};

// The tokens timed in the eight-register build of the plug-in, at their
// defaults (RLS1, RLS3 and NEW3 also at N = 30).
constexpr const char* kEightRegisterTokens[] = {"LMS", "NLMS", "RLS1", "RLS3", "NEW3", "QR1", "QR3"};

// "Length/RLS1/30" and friends.
inline std::string LengthBenchmarkName(const std::string& token, int length) {
  return "Length/" + token + "/" + std::to_string(length);
}

// Times one sample per iteration of `token` of `library` created with
// `parameters` (catalogue order), fed as a diagram feeds it (plugin_host.h),
// with the flop rate of the matrix tokens' dominant loop.
void TimeHostedToken(benchmark::State& state, Library library, const TokenInfo* token,
                     std::vector<double> parameters);

// Defaults/TOKEN for every token, Length/TOKEN/N for the scaled tokens, and
// Entry/... for the cost of the entry protocol itself.
void RegisterTokenBenchmarks(const Plugin& plugin);
// EightRegisters/TOKEN[/30]: the same tokens from the plug-in built with the
// tile shapes of 32-bit x86 and eight vector registers, each compared with its
// native counterpart.
void RegisterEightRegisterBenchmarks(const Plugin& proxy);
// Expression/TOKEN/N: the matrix tokens' plain expression form.
void RegisterExpressionBenchmarks(const Plugin& plugin);
// Peak/...: the no-FMA vector peak of this machine, for the kernels' fraction.
void RegisterPeakBenchmarks();
// Family/...: the families beyond the catalogue through the linked library.
void RegisterFamilyBenchmarks();
// Peer/...: the peer library's equalisers, when the build found it.
void RegisterPeerBenchmarks();
// LongPath/... and Echo/...: the frequency-domain families, when the build
// has them (speexdsp's echo canceller beside them when it is installed).
void RegisterFrequencyDomainBenchmarks();

}  // namespace adaptive
