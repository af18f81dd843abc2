// Per-sample cost of every token through its exported entry point, as the
// simulator calls it: the instance is created once, then each benchmark
// iteration is one run call (one sample).
#include <benchmark/benchmark.h>

#include <vector>

#include "bench/comparison_reporter.h"
#include "bench/registration.h"
#include "api/library_source.h"

namespace adaptive {

namespace {

const char* const kScaledTokens[] = {"LMS", "NLMS", "NLMS2", "RLS1", "RLS3", "NEW3", "QR1"};

// Floating-point operations of a step's dominant loop, for the matrix tokens
// (0 for the others): the N×N by N×N product of the channel RLS, random-walk
// and Newton tokens (one multiplication and one addition per term), the
// quadratic P update of the one-channel RLS and random-walk tokens (x × P,
// then P(i,j) = (P(i,j) − gain(i)·r(j))·(1/λ)), and the Givens sweep of the
// QR tokens (four multiplications and two additions per rotated element).
double DominantFlops(const TokenInfo& token, int n) {
  const double N = n;
  const adaptive::Family family = token.family();
  const bool correlation = family == adaptive::Family::kRls || family == adaptive::Family::kRandomWalk;
  if (family == adaptive::Family::kQr) return 3.0 * N * (N + 1.0);
  if (correlation && token.filterChannels() == 1) return 5.0 * N * N;
  if (correlation || family == adaptive::Family::kNewton) return 2.0 * N * N * N;
  return 0.0;
}

int TotalLength(const TokenInfo& token, const std::vector<double>& parameters) {
  int total = 0;
  for (size_t k : token.lengthParameters()) total += static_cast<int>(parameters[k]);
  // NEW, LMS and NLMS add their feedback taps ("Denominator Coeffs" minus 1).
  const int denominator = token.parameterIndex("Denominator Coeffs");
  if (denominator >= 0) total += static_cast<int>(parameters[static_cast<size_t>(denominator)]) - 1;
  return total;
}

// The run call of an instance whose reference input is marked skipped does
// everything but Step: dispatch, the host's records, port bookkeeping.
void TimeEntryOverhead(benchmark::State& state, TokenEntryPoint entry, const TokenInfo* token) {
  SkippedSampleToken hosted(entry, *token);
  if (hosted.Create() != 0) {
    state.SkipWithError("creation failed");
    return;
  }
  for (auto _ : state) hosted.runSample();
}

}  // namespace

void TimeHostedToken(benchmark::State& state, Library library, const TokenInfo* token,
                     std::vector<double> parameters) {
  const double flops = DominantFlops(*token, TotalLength(*token, parameters));
  SignalFedToken hosted(library, *token, std::move(parameters));
  if (hosted.Create() != 0) {
    state.SkipWithError(("creation failed: " + hosted.createError()).c_str());
    return;
  }
  for (int n = 0; n < 256; ++n) hosted.runSample();
  for (auto _ : state) hosted.runSample();
  benchmark::DoNotOptimize(hosted.output(0));
  // Shown as a rate per second: "4.2G/s" is 4.2 flop/ns.
  if (flops > 0.0) state.counters["flop"] = benchmark::Counter(flops, benchmark::Counter::kIsIterationInvariantRate);
}

void RegisterTokenBenchmarks(const Plugin& plugin) {
  const Library& library = plugin.tokenLibrary();
  for (const TokenInfo& token : plugin.catalogue()) {
    if (!plugin.exports(token.name)) continue;
    benchmark::RegisterBenchmark(("Defaults/" + token.name).c_str(), TimeHostedToken, library, &token,
                                 token.parameterDefaults);
  }
  for (const char* name : kLengthTokens) {
    const TokenInfo* token = plugin.find(name);
    if (token == nullptr || !plugin.exports(name)) continue;
    for (int n : kLengths)
      benchmark::RegisterBenchmark(LengthBenchmarkName(name, n).c_str(), TimeHostedToken, library, token,
                                   ParametersWithTotalLength(*token, n));
  }
  const TokenInfo* lms = plugin.find("LMS");
  if (lms != nullptr && plugin.exports("LMS")) {
    benchmark::RegisterBenchmark("Entry/skipped-sample", TimeEntryOverhead, EntryPointOf(library, "LMS"), lms);
    benchmark::RegisterBenchmark("Entry/LMS-1-tap", TimeHostedToken, library, lms,
                                 ParametersWithTotalLength(*lms, 1));
  }
}

void RegisterEightRegisterBenchmarks(const Plugin& proxy) {
  const std::string section = "The eight-register build (32-bit tile shapes) against the native one";
  const Library& library = proxy.tokenLibrary();
  for (const char* name : kEightRegisterTokens) {
    const TokenInfo* token = proxy.find(name);
    if (token == nullptr || !proxy.exports(name)) continue;
    const std::string defaults = std::string("EightRegisters/") + name;
    benchmark::RegisterBenchmark(defaults.c_str(), TimeHostedToken, library, token, token->parameterDefaults);
    Comparisons().push_back({section, std::string(name) + " at its defaults", defaults, std::string("Defaults/") + name});
  }
  for (const char* name : {"RLS1", "RLS3", "NEW3"}) {
    const TokenInfo* token = proxy.find(name);
    if (token == nullptr || !proxy.exports(name)) continue;
    const std::string scaled = std::string("EightRegisters/") + name + "/30";
    benchmark::RegisterBenchmark(scaled.c_str(), TimeHostedToken, library, token,
                                 ParametersWithTotalLength(*token, 30));
    Comparisons().push_back({section, std::string(name) + ", N = 30", scaled, LengthBenchmarkName(name, 30)});
  }
}

}  // namespace adaptive
