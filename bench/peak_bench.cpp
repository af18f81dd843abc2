// The vector peak without fused multiply-add that the kernels' fraction in
// bench/README.md refers to, measured on the machine at hand instead of taken
// from a data sheet (its clock under load is not known): independent chains
// of a vector multiplication followed by a vector addition, as many in flight
// as the registers hold, so that the multipliers and adders are both kept
// busy. Two flops per lane per step.
#include <benchmark/benchmark.h>

#include "bench/registration.h"

namespace adaptive {

namespace {

constexpr int kChains = 12;  // fills the latency of both pipes on current cores
constexpr int kSteps = 1024;

template <int W>
struct Vec {
  typedef double Type __attribute__((vector_size(W * sizeof(double))));
};

template <int W>
inline __attribute__((always_inline)) void RunChains(benchmark::State& state) {
  using V = typename Vec<W>::Type;
  V acc[kChains];
  for (int c = 0; c < kChains; ++c) acc[c] = V{} + 1.0 + c;
  V half = V{} + 0.5;
  V one = V{} + 1.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(half);
    for (int s = 0; s < kSteps; ++s)
      for (int c = 0; c < kChains; ++c) acc[c] = acc[c] * half + one;  // stays near 2: no denormals
  }
  for (int c = 0; c < kChains; ++c) benchmark::DoNotOptimize(acc[c]);
  state.counters["flop"] =
      benchmark::Counter(2.0 * W * kChains * kSteps, benchmark::Counter::kIsIterationInvariantRate);
}

void Peak128(benchmark::State& state) { RunChains<2>(state); }

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) void Peak256(benchmark::State& state) { RunChains<4>(state); }
__attribute__((target("avx2,avx512f"))) void Peak512(benchmark::State& state) { RunChains<8>(state); }
#endif

// One chain of dependent scalar additions: the latency of an addition, the
// unit of the lower bound that a fixed summation order sets. The "add"
// counter is additions per second (1/latency).
void AddLatency(benchmark::State& state) {
  double sum = 0.0;
  double one = 1.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(one);
    for (int s = 0; s < kSteps; ++s) {
      sum = sum + one;
      asm volatile("" : "+x"(sum));  // kept in its vector register, no move between additions
    }
  }
  benchmark::DoNotOptimize(sum);
  state.counters["add"] = benchmark::Counter(kSteps, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

void RegisterPeakBenchmarks() {
  benchmark::RegisterBenchmark("Peak/add-latency", AddLatency);
  benchmark::RegisterBenchmark("Peak/mul-add-128", Peak128);
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) benchmark::RegisterBenchmark("Peak/mul-add-256", Peak256);
  if (__builtin_cpu_supports("avx512f")) benchmark::RegisterBenchmark("Peak/mul-add-512", Peak512);
#endif
}

}  // namespace adaptive
