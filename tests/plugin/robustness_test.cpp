// Bad input for every token the plug-in exports: parameter values out of every
// range, samples that are not finite, and counts too large for any memory.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <random>
#include <string>

#include "tests/plugin/plugin_tokens.h"
#include "tests/support/sanitizer_build.h"
#include "api/token_session.h"
#include "tests/support/file_text.h"

namespace adaptive {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class Robustness : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (PluginTokens(&why).empty()) GTEST_SKIP() << why;
  }
};

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

bool AnyFileOf(const PluginToken& token, const std::string& base) {
  if (token.channels() == 1) return FileExists(base + ".txt");
  for (int c = 1; c <= token.channels(); ++c)
    if (FileExists(base + std::to_string(c) + ".txt")) return true;
  return false;
}

void RemoveFilesOf(const std::string& base) {
  std::remove((base + ".txt").c_str());
  for (int c = 1; c <= 3; ++c) std::remove((base + std::to_string(c) + ".txt").c_str());
}

TEST_F(Robustness, BadParameterValuesAreRefusedOrHarmless) {
  const double values[] = {kNaN, kInf, -kInf, -1.0, -0.7, 0.0, 0.5, 1.0000001, 2147483648.0, 1e300, -1e300};
  for (const PluginToken& token : PluginTokens()) {
    for (size_t p = 0; p < token.defaults.size(); ++p) {
      for (double value : values) {
        SCOPED_TRACE(token.name + " \"" + token.parameterNames[p] + "\" = " + std::to_string(value));
        std::vector<double> parameters = token.defaults;
        parameters[p] = value;
        RemoveFilesOf("bad");
        TokenSession host(token.entry, token.inputs, token.outputs, parameters, "bad");
        const int status = host.create();
        const std::string text = host.errorText();
        if (token.isCount(p) && !(value >= 1.0 && value < 2147483648.0)) {
          EXPECT_EQ(status, 1);
          EXPECT_EQ(text, "Improper length of Adaptive Filter.\nMust be greater than 0...");
        }
        // Tap values have no check at all.
        if (std::isnan(value) && token.parameterNames[p].find("Tap Value") == std::string::npos) {
          EXPECT_EQ(status, 1);
        }
        if (status != 0) {
          // Refused: a check's message, nothing computed, no file ever made.
          ASSERT_EQ(status, 1) << text;
          EXPECT_TRUE(StartsWith(text, "Improper ")) << text;
          host.outputRecords()[0].value = 42.0;
          EXPECT_EQ(host.run(std::vector<double>(token.inputs, 1.0)), 0);
          EXPECT_EQ(host.output(0).value, 42.0);
          EXPECT_EQ(host.terminate(), 0);
          EXPECT_FALSE(AnyFileOf(token, "bad"));
          continue;
        }
        for (int n = 0; n < 16; ++n) ASSERT_EQ(host.run(std::vector<double>(token.inputs, 0.5 - (n % 3))), 0);
        EXPECT_EQ(host.terminate(), 0) << host.errorText();
        EXPECT_TRUE(AnyFileOf(token, "bad"));
      }
    }
  }
}

// P starts as (1/"Init")·I and every update of P divides by "Lambda": with
// either at 0 (or "Init" NaN) every output and coefficient would be NaN, so
// every token with an "Init" refuses them and writes nothing. The QR tokens
// only scale by λ and accept 0. Values just off zero still run.
TEST_F(Robustness, ZeroForgettingOrInitialisationFactorIsRefused) {
  const std::pair<int, std::string> badLambda{1, "Improper forgetting factor of Adaptive Filter.\nMust be between 0 and 1..."};
  const std::pair<int, std::string> badInit{1, "Improper initialisation factor of Adaptive Filter.\nMust be between bigger than 0"};
  int tokens = 0;
  for (const PluginToken& token : PluginTokens()) {
    const auto& names = token.parameterNames;
    const size_t lambda = std::find(names.begin(), names.end(), "Lambda") - names.begin();
    const size_t init = std::find(names.begin(), names.end(), "Init") - names.begin();
    if (init == names.size()) continue;
    ++tokens;
    const auto create = [&](size_t p, double value) {
      SCOPED_TRACE(token.name + " \"" + names[p] + "\" = " + std::to_string(value));
      std::vector<double> parameters = token.defaults;
      parameters[p] = value;
      RemoveFilesOf("zero");
      TokenSession host(token.entry, token.inputs, token.outputs, parameters, "zero");
      const int status = host.create();
      const std::pair<int, std::string> result{status, host.errorText()};
      for (int n = 0; n < 16 && result.first == 0; ++n) {
        EXPECT_EQ(host.run(std::vector<double>(token.inputs, 0.5 - (n % 3))), 0);
        for (int o = 0; o < token.outputs; ++o) EXPECT_TRUE(std::isfinite(host.output(o).value)) << n;
      }
      EXPECT_EQ(host.terminate(), 0);
      EXPECT_EQ(AnyFileOf(token, "zero"), result.first == 0);
      return result;
    };
    EXPECT_EQ(create(lambda, 0.0), badLambda);
    EXPECT_EQ(create(init, 0.0), badInit);
    EXPECT_EQ(create(init, kNaN), badInit);
    EXPECT_EQ(create(lambda, 1e-3).first, 0);
    EXPECT_EQ(create(init, 1e-12).first, 0);
  }
  EXPECT_EQ(tokens, 12);
}

TEST_F(Robustness, NonFiniteSamplesPassThrough) {
  const double extremes[] = {kNaN, kInf, -kInf, 1e308, -1e308, std::numeric_limits<double>::denorm_min()};
  std::mt19937 random(11);
  std::uniform_real_distribution<double> bounded(-1.0, 1.0);
  for (const PluginToken& token : PluginTokens()) {
    SCOPED_TRACE(token.name);
    TokenSession host(token.entry, token.inputs, token.outputs, token.defaults, "nonfinite");
    ASSERT_EQ(host.create(), 0) << host.errorText();
    std::vector<double> inputs(token.inputs);
    auto runBounded = [&](int samples) {
      for (int n = 0; n < samples; ++n) {
        for (double& v : inputs) v = bounded(random);
        ASSERT_EQ(host.run(inputs), 0);
      }
    };
    runBounded(100);
    // A NaN on every port reaches the output of every filter.
    ASSERT_EQ(host.run(std::vector<double>(token.inputs, kNaN)), 0);
    EXPECT_TRUE(std::isnan(host.output(0).value));
    for (double extreme : extremes) {
      for (int port = 0; port < token.inputs; ++port) {
        runBounded(5);
        for (double& v : inputs) v = bounded(random);
        inputs[port] = extreme;
        ASSERT_EQ(host.run(inputs), 0);
      }
    }
    runBounded(100);
    EXPECT_EQ(host.terminate(), 0) << host.errorText();
    const std::string first = ReadFileText(token.channels() == 1 ? "nonfinite.txt" : "nonfinite1.txt");
    EXPECT_TRUE(StartsWith(first, "Numerator Coefficients =") || first == "Matrix close to singular...\n") << first;
  }
}

// Run in a child process whose address space is limited to 2 GiB, as the
// simulator's 32-bit process is: the creation fails cleanly with the storage
// message instead of throwing or overcommitting, the half-built instance
// neither steps nor leaves a file, and it goes away quietly. Exits with 0 when
// all went so, else says what went wrong on stderr.
void CreateBeyondMemory(const PluginToken& token, const std::vector<double>& parameters) {
  const rlimit limit{rlim_t{2} << 30, rlim_t{2} << 30};
  setrlimit(RLIMIT_AS, &limit);
  RemoveFilesOf("huge");
  std::string complaint;
  {
    TokenSession host(token.entry, token.inputs, token.outputs, parameters, "huge");
    host.outputRecords()[0].value = 42.0;
    const int status = host.create();
    if (status != 1002 || host.errorText() != "Memory (s_) allocation error.")
      complaint = "status " + std::to_string(status) + ": " + host.errorText();
    else if (host.run(std::vector<double>(token.inputs, 1.0)) != 0 || host.output(0).value != 42.0 || host.terminate() != 0)
      complaint = "it ran, or its run or terminate call failed";
  }
  if (complaint.empty() && AnyFileOf(token, "huge")) complaint = "a file was made";
  std::fputs(complaint.c_str(), stderr);
  std::exit(complaint.empty() ? 0 : 1);
}

TEST_F(Robustness, CountsBeyondMemoryGiveTheStorageFailure) {
  if (kAddressSanitizerBuild) GTEST_SKIP() << "no address-space limit under AddressSanitizer";
  for (const PluginToken& token : PluginTokens()) {
    std::vector<double> allHuge = token.defaults;
    for (size_t p = 0; p < token.defaults.size(); ++p) {
      if (!token.isCount(p)) continue;
      std::vector<double> parameters = token.defaults;
      parameters[p] = 2147483647.0;
      EXPECT_EXIT(CreateBeyondMemory(token, parameters), ::testing::ExitedWithCode(0), "^$")
          << token.name << " " << token.parameterNames[p];
      allHuge[p] = 1073741824.0;
    }
    // 2^30 in every count: the totals of two and three channels overflow 32 bits.
    EXPECT_EXIT(CreateBeyondMemory(token, allHuge), ::testing::ExitedWithCode(0), "^$") << token.name << " all 2^30";
  }
}

// Run in a child process allowed only a few more open files than it has: the
// creations fail with "Problems opening" once no handle is left, and every
// instance, the half-opened one too, is destroyed with status 0, the others
// leaving complete files although no handle is left to look at them by name
// again. Exits as
// CreateBeyondMemory does.
void RunOutOfFileHandles(const PluginToken& token) {
  const int lowestFree = dup(0);
  close(lowestFree);
  const rlimit limit{static_cast<rlim_t>(lowestFree + 7), static_cast<rlim_t>(lowestFree + 7)};
  setrlimit(RLIMIT_NOFILE, &limit);
  std::string complaint;
  std::vector<std::unique_ptr<TokenSession>> instances;
  for (int k = 0; k < 20 && complaint.empty(); ++k) {
    const std::string name = "many" + std::to_string(k);
    RemoveFilesOf(name);
    instances.push_back(std::make_unique<TokenSession>(token.entry, token.inputs, token.outputs, token.defaults, name));
    const int status = instances.back()->create();
    if (status == 0) continue;
    if (status != 1 || !StartsWith(instances.back()->errorText(), "Problems opening " + name))
      complaint = "creation status " + std::to_string(status) + ": " + instances.back()->errorText();
    break;
  }
  if (complaint.empty() && instances.size() == 20) complaint = "never ran out of file handles";
  for (size_t k = 0; k < instances.size() && complaint.empty(); ++k) {
    if (instances[k]->terminate() != 0) complaint = "terminate: " + instances[k]->errorText();
    if (k + 1 == instances.size()) break;  // the one that could not open its files
    const std::string first = ReadFileText(token.file("many" + std::to_string(k), 0));
    if (!StartsWith(first, "Numerator Coefficients =")) complaint = "file of instance " + std::to_string(k) + ": " + first;
  }
  std::fputs(complaint.c_str(), stderr);
  std::exit(complaint.empty() ? 0 : 1);
}

TEST_F(Robustness, RunningOutOfFileHandlesFailsTheCreationOnly) {
  // The sanitizers' runtime opens pipes of its own to inspect memory.
  if (kAddressSanitizerBuild) GTEST_SKIP() << "no file-handle limit under the sanitizers";
  for (const PluginToken& token : PluginTokens()) {
    if (token.name == "LMS3" || token.name == "RW1") {
      EXPECT_EXIT(RunOutOfFileHandles(token), ::testing::ExitedWithCode(0), "^$") << token.name;
    }
  }
}

}  // namespace

}  // namespace adaptive
