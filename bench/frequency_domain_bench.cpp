// Long echo paths: ns per sample of block LMS, FDAF and PBFDAF beside NLMS at
// N = 256 to 8192 (LongPath/...), and PBFDAF beside speexdsp's echo canceller
// on 20 ms frames at 16 kHz (Echo/...): time per frame, and the echo return
// loss enhancement after 10 s as the counter ERLE_dB. The families' tokens
// are made by their descriptors' factories and driven sample by sample, as
// the linked library drives them; NLMS through adaptive::Filter.
#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "adaptive/filter.h"
#include "bench/comparison_reporter.h"
#include "bench/echo_signals.h"
#include "bench/registration.h"
#include "families/block_lms/block_lms_descriptor.h"
#include "families/frequency_domain/frequency_domain_descriptor.h"

#ifdef ADAPTIVE_BENCH_SPEEXDSP
#include <speex/speex_echo.h>
#endif

namespace adaptive {

namespace {

using Settings = std::vector<std::pair<std::string, double>>;

constexpr int kFrame = kEchoRate / 50;  // 20 ms
constexpr size_t kTenSeconds = 10 * kEchoRate;
constexpr int kEchoBlock = 256;

// The names of the values of "Constrained".
const char* const kForms[] = {"-unconstrained", "", "-in-turn"};

// PBFDAF on 16-bit samples: μ = 0.3/P for its P partitions, and δ = 1e9,
// about a fifth of the power of a bin of the far end (2L·3000²), so that the
// bins that speech leaves nearly empty, and the blocks after a pause, take no
// outsize steps.
Settings EchoSettings(int length, int constraint) {
  return {{"Numerator Coeffs", length}, {"Block Length", kEchoBlock}, {"Mu", 0.3 * kEchoBlock / length},
          {"Averaging", 0.9},           {"Delta", 1e9},               {"Constrained", constraint}};
}

// A token of `family`'s row `row` at its defaults but `settings`; null when
// it refuses them.
std::unique_ptr<AdaptiveToken> FamilyToken(const FamilyDescriptor& family, int row, const Settings& settings) {
  const CatalogueEntry& entry = family.rows[row];
  std::vector<double> parameters;
  for (int p = 0; p < entry.parameterCount; ++p) parameters.push_back(entry.parameters[p].defaultValue);
  for (const auto& [name, value] : settings) parameters[ParameterIndex(entry, name)] = value;
  char text[kErrorTextCapacity + 1] = {};
  CallStatus status(text);
  char noFile[1] = "";
  TokenSetup setup{parameters.data(), noFile, status};
  std::unique_ptr<AdaptiveToken> token(family.factories[row](setup));
  if (token && !status.ok()) {
    CallStatus ending(nullptr);
    token->finish(ending);
    token.reset();
  }
  return token;
}

struct Ending {
  void operator()(AdaptiveToken* token) const {
    CallStatus ending(nullptr);
    token->finish(ending);
    delete token;
  }
};

// Signals of one echo setting, made once.
struct EchoSignals {
  std::vector<double> x, d;
};

const EchoSignals& Signals(int taps, bool speech) {
  static std::map<std::pair<int, bool>, EchoSignals> made;
  auto found = made.find({taps, speech});
  if (found != made.end()) return found->second;
  EchoSignals& s = made[{taps, speech}];
  s.x = speech ? SpeechLikeFarEnd(kTenSeconds, 36) : WhiteFarEnd(kTenSeconds, 36);
  s.d = Echo(s.x, RoomResponse(taps, 4096));
  return s;
}

// 10·log10 of the echo's power over the error's in the tenth second; the
// errors come out `latency` samples late.
double Erle(const std::vector<double>& d, const std::vector<double>& e, size_t latency) {
  double echo = 0.0, residual = 0.0;
  for (size_t n = kTenSeconds - kEchoRate; n < kTenSeconds; ++n) {
    echo += d[n - latency] * d[n - latency];
    residual += e[n] * e[n];
  }
  return 10.0 * std::log10(echo / residual);
}

void TimeToken(benchmark::State& state, const FamilyDescriptor* family, int row, Settings settings) {
  std::unique_ptr<AdaptiveToken> token = FamilyToken(*family, row, settings);
  if (!token) return state.SkipWithError("refused its settings");
  const EchoSignals& s = Signals(256, false);
  double out[2] = {0.0, 0.0};
  size_t n = 0;
  for (auto _ : state) {
    const double in[2] = {s.x[n], s.d[n]};
    token->compute(in, out);
    if (++n == kTenSeconds) n = 0;
  }
  benchmark::DoNotOptimize(out[1]);
  CallStatus ending(nullptr);
  token->finish(ending);
}

void TimeNlms(benchmark::State& state, int length) {
  Filter nlms("NLMS", {{"Numerator Coeffs", length}, {"Mu Forward", 0.1}});
  const EchoSignals& s = Signals(256, false);
  double out[3] = {0.0, 0.0, 0.0};
  size_t n = 0;
  for (auto _ : state) {
    const double in[2] = {s.x[n], s.d[n]};
    nlms.stepUnchecked(in, out);
    if (++n == kTenSeconds) n = 0;
  }
  benchmark::DoNotOptimize(out[1]);
}

// Echo/PBFDAF...: one frame per iteration; ERLE from a separate 10 s run.
void TimeEchoPbfdaf(benchmark::State& state, int length, bool speech, const Settings& settings) {
  const EchoSignals& s = Signals(length, speech);
  std::vector<double> e(kTenSeconds);
  {
    std::unique_ptr<AdaptiveToken> token = FamilyToken(kFrequencyDomainFamily, 1, settings);
    if (!token) return state.SkipWithError("refused its settings");
    for (size_t n = 0; n < kTenSeconds; ++n) {
      const double in[2] = {s.x[n], s.d[n]};
      double out[2];
      token->compute(in, out);
      e[n] = out[1];
    }
    CallStatus ending(nullptr);
    token->finish(ending);
  }
  std::unique_ptr<AdaptiveToken, Ending> token(FamilyToken(kFrequencyDomainFamily, 1, settings).release());
  double out[2] = {0.0, 0.0};
  size_t n = 0;
  for (auto _ : state) {
    for (int k = 0; k < kFrame; ++k, ++n) {
      const double in[2] = {s.x[n], s.d[n]};
      token->compute(in, out);
    }
    if (n == kTenSeconds) n = 0;
  }
  benchmark::DoNotOptimize(out[1]);
  state.counters["ERLE_dB"] = Erle(s.d, e, kEchoBlock);
}

#ifdef ADAPTIVE_BENCH_SPEEXDSP
void TimeEchoSpeex(benchmark::State& state, int length, bool speech) {
  const EchoSignals& s = Signals(length, speech);
  std::vector<spx_int16_t> play(s.x.begin(), s.x.end()), rec(s.d.begin(), s.d.end()), out(kTenSeconds);
  int rate = kEchoRate;
  SpeexEchoState* echo = speex_echo_state_init(kFrame, length);
  speex_echo_ctl(echo, SPEEX_ECHO_SET_SAMPLING_RATE, &rate);
  for (size_t n = 0; n < kTenSeconds; n += kFrame) speex_echo_cancellation(echo, &rec[n], &play[n], &out[n]);
  speex_echo_state_reset(echo);
  size_t n = 0;
  spx_int16_t frame[kFrame];
  for (auto _ : state) {
    speex_echo_cancellation(echo, &rec[n], &play[n], frame);
    n += kFrame;
    if (n == kTenSeconds) n = 0;
  }
  benchmark::DoNotOptimize(frame[0]);
  speex_echo_state_destroy(echo);
  state.counters["ERLE_dB"] = Erle(s.d, std::vector<double>(out.begin(), out.end()), 0);
}
#endif

}  // namespace

void RegisterFrequencyDomainBenchmarks() {
  const std::string section = "Long paths: the frequency-domain families against NLMS at the same N (time ratio)";
  for (int n : {256, 1024, 4096, 8192}) {
    const std::string at = "/" + std::to_string(n);
    const std::string nlms = "LongPath/NLMS" + at;
    benchmark::RegisterBenchmark(nlms.c_str(), TimeNlms, n);
    benchmark::RegisterBenchmark(("LongPath/BLMS" + at).c_str(), TimeToken, &kBlockLmsFamily, 0,
                                 Settings{{"Numerator Coeffs", n}, {"Block Length", 64}, {"Mu", 0.1 / (64.0 * n * 9e6)}});
    for (int constraint : {1, 0, 2}) {
      const std::string form = kForms[constraint];
      if (constraint != 2) {
        const std::string fdaf = "LongPath/FDAF" + form + at;
        benchmark::RegisterBenchmark(fdaf.c_str(), TimeToken, &kFrequencyDomainFamily, 0,
                                     Settings{{"Numerator Coeffs", n}, {"Mu", 0.3}, {"Constrained", constraint}});
        Comparisons().push_back({section, "FDAF" + form + " / NLMS, N = " + std::to_string(n), fdaf, nlms});
      }
      for (int block : {64, 256}) {
        const std::string name = "LongPath/PBFDAF-L" + std::to_string(block) + form + at;
        benchmark::RegisterBenchmark(name.c_str(), TimeToken, &kFrequencyDomainFamily, 1,
                                     Settings{{"Numerator Coeffs", n}, {"Block Length", block},
                                              {"Mu", 0.3 * block / n}, {"Constrained", constraint}});
        Comparisons().push_back(
            {section, "PBFDAF-L" + std::to_string(block) + form + " / NLMS, N = " + std::to_string(n), name, nlms});
      }
    }
  }
#ifdef ADAPTIVE_BENCH_SPEEXDSP
  const std::string echo = "Echo canceller, 20 ms frames at 16 kHz: PBFDAF (L = 256) against speexdsp (time ratio)";
#endif
  for (int n : {1024, 4096}) {
    for (bool speech : {false, true}) {
      const std::string at = "/" + std::to_string(n) + (speech ? "/speech" : "/noise");
      for (int constraint : {1, 0, 2}) {
        const std::string name = std::string("Echo/PBFDAF") + kForms[constraint] + at;
        benchmark::RegisterBenchmark(name.c_str(), TimeEchoPbfdaf, n, speech, EchoSettings(n, constraint));
#ifdef ADAPTIVE_BENCH_SPEEXDSP
        Comparisons().push_back({echo, name.substr(5) + " / speexdsp", name, "Echo/speexdsp" + at});
#endif
      }
#ifdef ADAPTIVE_BENCH_SPEEXDSP
      benchmark::RegisterBenchmark(("Echo/speexdsp" + at).c_str(), TimeEchoSpeex, n, speech);
#endif
    }
  }
}

}  // namespace adaptive
