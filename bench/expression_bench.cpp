// What the allocation-free steps buy: the plain expression form of the matrix
// tokens (bench/expression_forms.h) timed on the same signals, after checking
// that it reproduces the token's outputs bit for bit.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/comparison_reporter.h"
#include "bench/expression_forms.h"
#include "bench/registration.h"
#include "tests/reference/same_bits.h"

namespace adaptive {

namespace {

const char* const kTokens[] = {"RLS1", "RW1", "RLS2", "RW2", "RLS3", "RW3", "NEW2", "NEW3"};
const char* const kScaledTokens[] = {"RLS1", "RLS3", "NEW3"};
constexpr int kCheckedSamples = 500;

struct Case {
  Library library;
  const TokenInfo* token;
  std::vector<double> parameters;
};

// Runs the token and its expression form side by side; false at the first
// output that differs in any bit.
bool SameOutputs(const Case& c, const TestSignals& s) {
  SignalFedToken hosted(c.library, *c.token, c.parameters);
  if (hosted.Create() != 0) return false;
  auto plain = MakeExpressionForm(c.token->name, c.parameters);
  for (int n = 0; n < kCheckedSamples; ++n) {
    hosted.runSample();
    const double inputs[3] = {s.input[0][n], s.input[1][n], s.input[2][n]};
    double out[3];
    plain->step(inputs, s.desired[n], out);
    for (int o = 0; o < 3; ++o) {
      if (!SameBits(hosted.output(o), out[o])) return false;
    }
  }
  return true;
}

void TimeExpressionForm(benchmark::State& state, Case c) {
  const auto signals = std::make_unique<TestSignals>();
  if (!SameOutputs(c, *signals)) {
    state.SkipWithError("the expression form does not reproduce the token's outputs");
    return;
  }
  auto plain = MakeExpressionForm(c.token->name, c.parameters);
  int32_t n = 0;
  double out[3];
  for (auto _ : state) {
    const double inputs[3] = {signals->input[0][n], signals->input[1][n], signals->input[2][n]};
    plain->step(inputs, signals->desired[n], out);
    benchmark::DoNotOptimize(out);
    n = (n + 1) & (TestSignals::kLength - 1);
  }
}

void Register(const std::string& name, const std::string& fastName, Case c, const std::string& label) {
  benchmark::RegisterBenchmark(name.c_str(), TimeExpressionForm, c);
  Comparisons().push_back({"Fast step (through the entry point) against the plain expression form", label,
                           fastName, name});
}

}  // namespace

void RegisterExpressionBenchmarks(const Plugin& plugin) {
  for (const char* name : kTokens) {
    const TokenInfo* token = plugin.find(name);
    if (token == nullptr || !plugin.exports(name)) continue;
    Register(std::string("Expression/") + name, std::string("Defaults/") + name,
             {plugin.tokenLibrary(), token, token->parameterDefaults}, std::string(name) + " at its defaults");
  }
  for (const char* name : kScaledTokens) {
    const TokenInfo* token = plugin.find(name);
    if (token == nullptr || !plugin.exports(name)) continue;
    Register(std::string("Expression/") + name + "/64", LengthBenchmarkName(name, 64),
             {plugin.tokenLibrary(), token, ParametersWithTotalLength(*token, 64)}, std::string(name) + ", N = 64");
  }
}

}  // namespace adaptive
