// Long runs: each token runs millions of samples of bounded random input from
// one creation to its terminate call, and its memory must not grow: the heap in
// use is the same at every checkpoint, and the resident size stays put.
//
//   long_run [--library PATH] [--samples N] [TOKEN...]   (default: every token)
//   long_run [--library PATH] --list                     (the exported tokens)
//
// Prints one line per token (time per sample, heap, resident size); exits 1 if
// any token grew, failed a call or could not be run.
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "adaptive/filter.h"

namespace adaptive {

namespace {

constexpr int kCheckpoints = 10;
constexpr long kResidentSlackKiB = 1024;

size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// xorshift64*: cheap, so that the tokens' steps dominate the time measured.
struct Random {
  uint64_t state = 0x9E3779B97F4A7C15ull;
  double next() {
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    const uint64_t bits = state * 0x2545F4914F6CDD1Dull;
    return static_cast<double>(bits >> 11) * (2.0 / 9007199254740992.0) - 1.0;  // [-1, 1)
  }
};

struct Result {
  bool ok = true;
  std::string note;
};

// Samples go through the filter in blocks of this many rows.
constexpr int64_t kBlock = 256;

Result RunToken(const adaptive::Library& library, const adaptive::TokenInfo& token, int64_t samples) {
  const size_t in = token.inputNames.size();
  const size_t out = token.outputNames.size();
  std::vector<double> inputs(static_cast<size_t>(kBlock) * in);
  std::vector<double> outputs(static_cast<size_t>(kBlock) * out);
  std::unique_ptr<adaptive::Filter> filter;
  try {
    filter.reset(new adaptive::Filter(library, token.name, {}, token.name + ".txt"));
  } catch (const adaptive::Error& e) {
    return {false, "creation failed with " + std::to_string(e.status()) + ": " + e.what()};
  }

  Result result;
  Random random;
  int64_t nonFinite = 0;
  size_t heap[kCheckpoints + 1];
  long resident[kCheckpoints + 1];
  heap[0] = HeapInUse();
  resident[0] = ResidentKiB();
  const auto start = std::chrono::steady_clock::now();
  for (int k = 1; k <= kCheckpoints; ++k) {
    const int64_t end = samples * k / kCheckpoints;
    for (int64_t n = samples * (k - 1) / kCheckpoints; n < end; n += kBlock) {
      const size_t rows = static_cast<size_t>(std::min(kBlock, end - n));
      for (size_t v = 0; v < rows * in; ++v) inputs[v] = random.next();
      filter->processUnchecked(inputs.data(), rows, outputs.data());
      for (size_t r = 0; r < rows; ++r) nonFinite += std::isfinite(outputs[r * out]) ? 0 : 1;
    }
    heap[k] = HeapInUse();
    resident[k] = ResidentKiB();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  try {
    filter->close();
  } catch (const adaptive::Error& e) {
    result = {false, "terminate failed with " + std::to_string(e.status()) + ": " + e.what()};
  }

  // The first stretch may still settle the allocator; from then on nothing grows.
  for (int k = 2; k <= kCheckpoints; ++k) {
    if (heap[k] != heap[1]) result = {false, "heap in use changed from " + std::to_string(heap[1]) + " to " + std::to_string(heap[k]) + " bytes"};
    if (resident[k] > resident[1] + kResidentSlackKiB)
      result = {false, "resident size grew from " + std::to_string(resident[1]) + " to " + std::to_string(resident[k]) + " KiB"};
  }
  std::printf("%-9s %11lld samples %8.2f s %8.1f ns/sample  heap %9zu B  rss %7ld KiB  non-finite outputs %lld  %s%s\n",
              token.name.c_str(), static_cast<long long>(samples), seconds, seconds * 1e9 / static_cast<double>(samples),
              heap[kCheckpoints], resident[kCheckpoints], static_cast<long long>(nonFinite), result.ok ? "ok" : "FAIL: ",
              result.note.c_str());
  std::fflush(stdout);
  return result;
}

}  // namespace

}  // namespace adaptive

using namespace adaptive;

int main(int argc, char** argv) {
  std::string library = ADAPTIVE_PLUGIN_PATH;
  int64_t samples = 10000000;
  std::vector<std::string> wanted;
  bool list = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--library" && i + 1 < argc) {
      library = argv[++i];
    } else if (arg == "--samples" && i + 1 < argc) {
      samples = std::atoll(argv[++i]);
    } else if (arg == "--list") {
      list = true;
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "usage: long_run [--library PATH] [--samples N] [TOKEN...] | --list\n");
      return 2;
    } else {
      wanted.push_back(arg);
    }
  }
  if (samples < kCheckpoints) samples = kCheckpoints;
  std::unique_ptr<adaptive::Library> plugin;
  try {
    plugin.reset(new adaptive::Library(adaptive::Library::load(library)));
  } catch (const adaptive::Error& e) {
    std::fprintf(stderr, "long_run: %s\n", e.what());
    return 1;
  }
  if (list) {
    for (const adaptive::TokenInfo& token : plugin->tokens())
      if (plugin->exports(token.name)) std::printf("%s\n", token.name.c_str());
    return 0;
  }
  int failures = 0;
  int ran = 0;
  for (const adaptive::TokenInfo& token : plugin->tokens()) {
    if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), token.name) == wanted.end()) continue;
    if (!plugin->exports(token.name)) {
      if (!wanted.empty()) {
        std::printf("%-9s not exported by %s: FAIL\n", token.name.c_str(), library.c_str());
        ++failures;
      }
      continue;
    }
    ++ran;
    if (!RunToken(*plugin, token, samples).ok) ++failures;
  }
  std::printf("long run: %d tokens, %d failed\n", ran, failures);
  return failures == 0 && ran > 0 ? 0 : 1;
}
