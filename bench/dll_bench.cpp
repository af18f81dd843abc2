// The Windows benchmark host: per-sample time of the tokens in adaptive.dll,
// the build that the simulator loads, measured the way token_bench.cpp does
// it natively (create once with the catalogue defaults or a total length,
// then one run call per sample through the exported entry point). Google
// Benchmark is not built for MinGW, so this host times with a steady clock:
// each case runs in batches of about 50 ms, and the median, lowest and
// highest time per sample of the batches are printed.
//   adaptive_dll_bench [--repetitions R] [--filter TEXT] [--library PATH]
// Runs on Windows and under Wine (bench/run.sh starts it there).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/registration.h"

namespace adaptive {

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  int repetitions = 5;
  std::string filter;
  std::string library;
};

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int k = 1; k < argc; ++k) {
    const bool hasValue = k + 1 < argc;
    if (std::strcmp(argv[k], "--repetitions") == 0 && hasValue) {
      options->repetitions = std::atoi(argv[++k]);
      if (options->repetitions < 1) return false;
    } else if (std::strcmp(argv[k], "--filter") == 0 && hasValue) {
      options->filter = argv[++k];
    } else if (std::strcmp(argv[k], "--library") == 0 && hasValue) {
      options->library = argv[++k];
    } else {
      return false;
    }
  }
  return true;
}

double SecondsOf(SignalFedToken& token, int64_t samples) {
  const Clock::time_point start = Clock::now();
  for (int64_t n = 0; n < samples; ++n) token.runSample();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Times one case and prints its line; false when the token cannot be created.
bool TimeCase(const std::string& name, const Library& library, const TokenInfo& token,
              const std::vector<double>& parameters, int repetitions) {
  SignalFedToken hosted(library, token, parameters);
  if (hosted.Create() != 0) {
    std::printf("%-24s creation failed: %s\n", name.c_str(), hosted.createError().c_str());
    return false;
  }
  // Warm-up, then a batch size that takes about 50 ms.
  int64_t batch = 256;
  while (SecondsOf(hosted, batch) < 0.005) batch *= 2;
  batch = std::max<int64_t>(batch, static_cast<int64_t>(batch * 0.05 / SecondsOf(hosted, batch)));
  std::vector<double> nanoseconds;
  for (int r = 0; r < repetitions; ++r) nanoseconds.push_back(SecondsOf(hosted, batch) * 1e9 / batch);
  std::sort(nanoseconds.begin(), nanoseconds.end());
  std::printf("%-24s %10.1f %10.1f %10.1f %10lld\n", name.c_str(), nanoseconds[nanoseconds.size() / 2],
              nanoseconds.front(), nanoseconds.back(), static_cast<long long>(batch));
  std::fflush(stdout);
  return true;
}

}  // namespace

}  // namespace adaptive

using namespace adaptive;

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr, "usage: adaptive_dll_bench [--repetitions R] [--filter TEXT] [--library PATH]\n");
    return 2;
  }
  std::string error;
  const std::unique_ptr<Plugin> plugin =
      Plugin::load(options.library.empty() ? DefaultPluginPath() : options.library, &error);
  if (!plugin) {
    std::fprintf(stderr, "cannot use the plug-in: %s\n", error.c_str());
    return 1;
  }
  std::printf("%-24s %10s %10s %10s %10s\n", "ns per sample", "median", "lowest", "highest", "batch");
  bool allCreated = true;
  auto run = [&](const std::string& name, const TokenInfo& token, const std::vector<double>& parameters) {
    if (name.find(options.filter) == std::string::npos) return;
    if (plugin->exports(token.name)) {
      allCreated = TimeCase(name, plugin->tokenLibrary(), token, parameters, options.repetitions) && allCreated;
    }
  };
  for (const TokenInfo& token : plugin->catalogue()) run("Defaults/" + token.name, token, token.parameterDefaults);
  for (const char* name : kLengthTokens) {
    const TokenInfo* token = plugin->find(name);
    if (token == nullptr) continue;
    for (int n : kLengths) run(LengthBenchmarkName(name, n), *token, ParametersWithTotalLength(*token, n));
  }
  return allCreated ? 0 : 1;
}
