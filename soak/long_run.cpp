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
#include <string>
#include <vector>

#include "adaptsim/hosting/plugin.h"

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

Result RunToken(const TokenInfo& token, TokenEntryPoint entry, int64_t samples) {
  std::vector<PortRecord> inputs(token.inputNames.size());
  std::vector<PortRecord*> inputPointers;
  for (PortRecord& p : inputs) {
    p.sampleRate = 1.0;
    inputPointers.push_back(&p);
  }
  std::vector<PortRecord> outputs(token.outputNames.size());
  std::vector<double> parameters = token.parameterDefaults;
  std::string fileName = token.name + ".txt";
  fileName.resize(fileName.size() + 16, '\0');
  char errorText[1024] = {};
  SimContext context{};
  context.sampleRate = 1.0;
  context.errorText = errorText;
  TokenRecord record{};
  record.inputCount = static_cast<int32_t>(inputs.size());
  record.inputs = inputPointers.data();
  record.outputs = outputs.data();
  record.parameters = parameters.data();
  record.fileName = &fileName[0];

  Result result;
  context.initFlag = 1;
  if (const int32_t status = entry(&context, &record)) {
    context.initFlag = 0;
    context.terminateFlag = 1;
    entry(&context, &record);
    return {false, "creation failed with " + std::to_string(status) + ": " + errorText};
  }
  context.initFlag = 0;

  Random random;
  int64_t nonFinite = 0;
  size_t heap[kCheckpoints + 1];
  long resident[kCheckpoints + 1];
  heap[0] = HeapInUse();
  resident[0] = ResidentKiB();
  const auto start = std::chrono::steady_clock::now();
  for (int k = 1; k <= kCheckpoints; ++k) {
    const int64_t end = samples * k / kCheckpoints;
    for (int64_t n = samples * (k - 1) / kCheckpoints; n < end; ++n) {
      for (PortRecord& p : inputs) {
        p.value = random.next();
        p.sampleTime = static_cast<double>(n);
      }
      context.sampleTime = static_cast<double>(n);
      if (entry(&context, &record) != 0) result = {false, "run call failed"};
      if (!std::isfinite(outputs[0].value)) ++nonFinite;
    }
    heap[k] = HeapInUse();
    resident[k] = ResidentKiB();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  context.terminateFlag = 1;
  if (const int32_t status = entry(&context, &record))
    result = {false, "terminate failed with " + std::to_string(status) + ": " + errorText};

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
  std::string error;
  const std::unique_ptr<Plugin> plugin = Plugin::Load(library, &error);
  if (!plugin) {
    std::fprintf(stderr, "long_run: %s\n", error.c_str());
    return 1;
  }
  if (list) {
    for (const TokenInfo& token : plugin->catalogue())
      if (plugin->entryPoint(token.name) != nullptr) std::printf("%s\n", token.name.c_str());
    return 0;
  }
  int failures = 0;
  int ran = 0;
  for (const TokenInfo& token : plugin->catalogue()) {
    if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), token.name) == wanted.end()) continue;
    const TokenEntryPoint entry = plugin->entryPoint(token.name);
    if (entry == nullptr) {
      if (!wanted.empty()) {
        std::printf("%-9s not exported by %s: FAIL\n", token.name.c_str(), library.c_str());
        ++failures;
      }
      continue;
    }
    ++ran;
    if (!RunToken(token, entry, samples).ok) ++failures;
  }
  std::printf("long run: %d tokens, %d failed\n", ran, failures);
  return failures == 0 && ran > 0 ? 0 : 1;
}
