// No token may touch the heap while it runs: a simulation calls every step
// millions of times. This test binary replaces the C allocation functions with
// counting ones (forwarding to glibc's own), loads the built plug-in as the
// host does and counts the allocations made during a run of steps of every
// token the plug-in exports.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define ADAPTIVE_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ADAPTIVE_SANITIZED 1
#endif

// Sanitizers bring their own allocator, and only glibc offers the __libc_
// entry points to forward to: elsewhere the test reports itself skipped.
#if defined(__GLIBC__) && !defined(ADAPTIVE_SANITIZED) && defined(ADAPTSIM_PATH)
#define ADAPTIVE_COUNT_ALLOCATIONS 1
#include "adaptsim/hosting/plugin.h"
#include "api/token_session.h"
#include "api/library_source.h"
using adaptive::TokenSession;
using adaptive::TokenEntryPoint;
#endif

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

inline void CountAllocation() {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
}

// Counts the allocations made between its construction and count().
class AllocationWindow {
 public:
  AllocationWindow() {
    allocations = 0;
    counting = true;
  }
  ~AllocationWindow() { counting = false; }
  long count() const { return allocations.load(); }
};

}  // namespace

#ifdef ADAPTIVE_COUNT_ALLOCATIONS
// operator new, the numerics' malloc and the plug-in's allocations (it is
// loaded into this process, whose definitions come first) all land here.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);

void* malloc(size_t size) noexcept {
  CountAllocation();
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) noexcept {
  CountAllocation();
  return __libc_calloc(count, size);
}
void* realloc(void* block, size_t size) noexcept {
  CountAllocation();
  return __libc_realloc(block, size);
}
void* aligned_alloc(size_t alignment, size_t size) noexcept {
  CountAllocation();
  return __libc_memalign(alignment, size);
}
int posix_memalign(void** block, size_t alignment, size_t size) noexcept {
  CountAllocation();
  *block = __libc_memalign(alignment, size);
  return *block != nullptr ? 0 : 12;  // ENOMEM
}
void free(void* block) noexcept { __libc_free(block); }
}
#endif

namespace {

#ifdef ADAPTIVE_COUNT_ALLOCATIONS

// Input values by port name: noise on the signal ports, the usual constants
// on GenLMS_A's "Mu" and "Leakage", and now and then a non-finite sample,
// which must not send a step down another, allocating, path.
std::vector<double> NextInputs(const TokenInfo& token, std::mt19937& engine, int n) {
  std::normal_distribution<double> gauss;
  std::vector<double> values;
  for (const std::string& name : token.inputNames)
    values.push_back(name == "Mu" ? 0.01 : name == "Leakage" ? 1.0 : gauss(engine));
  if (n == 150) values[0] = std::numeric_limits<double>::quiet_NaN();
  if (n == 170) values[0] = std::numeric_limits<double>::infinity();
  return values;
}

// Creates the token with these parameters, then counts the allocations of
// 200 run calls. Returns the count; creation must succeed and be seen.
long AllocationsInSteps(const TokenInfo& token, TokenEntryPoint entry, const std::vector<double>& parameters) {
  TokenSession session(token, entry);
  session.setFileName("");
  for (size_t k = 0; k < parameters.size(); ++k) session.setParameter(k, parameters[k]);
  {
    AllocationWindow creation;
    EXPECT_EQ(session.create(), 0) << token.name << ": " << session.errorText();
    // The token's state is on the heap: seeing it proves the counter reaches
    // into the plug-in, so that a zero below means something.
    EXPECT_GT(creation.count(), 0) << token.name;
  }
  std::mt19937 engine(11);
  std::vector<std::vector<double>> samples;
  for (int n = 0; n < 200; ++n) samples.push_back(NextInputs(token, engine, n));
  AllocationWindow steps;
  for (const std::vector<double>& values : samples) session.run(values.data());
  return steps.count();
}

TEST(Allocations, CounterSeesMallocAndOperatorNew) {
  AllocationWindow window;
  void* block = std::malloc(24);
  auto object = std::make_unique<std::vector<int>>(3);
  std::free(block);
  EXPECT_EQ(window.count(), 3);  // malloc, the vector object, its elements
}

TEST(Allocations, NoTokenAllocatesInItsSteps) {
  std::string error;
  std::unique_ptr<Plugin> plugin = Plugin::load(ADAPTIVE_PLUGIN_PATH, &error);
  ASSERT_NE(plugin, nullptr) << error;
  int tokensRun = 0;
  for (const TokenInfo& token : plugin->catalogue()) {
    const TokenEntryPoint entry = adaptive::EntryPointOf(plugin->tokenLibrary(), token.name);
    if (entry == nullptr) continue;  // family not built into the plug-in yet
    ++tokensRun;
    EXPECT_EQ(AllocationsInSteps(token, entry, token.parameterDefaults), 0) << token.name << " at its defaults";
    // The recursive forms add a feedback line and a second update.
    const int feedback = token.parameterIndex("Denominator Coeffs");
    if (feedback >= 0) {
      std::vector<double> recursive = token.parameterDefaults;
      recursive[feedback] = 3;
      EXPECT_EQ(AllocationsInSteps(token, entry, recursive), 0) << token.name << " with feedback";
    }
  }
  EXPECT_GE(tokensRun, 3);
}

#else

TEST(Allocations, NoTokenAllocatesInItsSteps) {
  GTEST_SKIP() << "allocation counting needs glibc without sanitizers, and the stand-in host's loader";
}

#endif

}  // namespace
