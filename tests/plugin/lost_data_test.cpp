// Lost data: a final-weights file that cannot be written out in full (a full
// disk) is reported by the destruction, for every token, whatever its writer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>

#include "tests/plugin/plugin_tokens.h"
#include "tests/support/token_harness.h"

namespace {

// Points `name` at /dev/full: opening works, the data is lost when flushed.
void LinkToFullDisk(const std::string& name) {
  std::remove(name.c_str());
  ASSERT_EQ(symlink("/dev/full", name.c_str()), 0) << name;
}

void RunRandomSamples(TokenHarness& host, int samples) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::vector<double> inputs(host.inputPorts.size());
  for (int n = 0; n < samples; ++n) {
    for (double& v : inputs) v = value(random);
    ASSERT_EQ(host.Run(inputs), 0);
  }
}

// The name of channel c's file for base name `base` and extension "txt".
std::string FileOf(const PluginToken& token, const std::string& base, int c) {
  return token.channels() == 1 ? base + ".txt" : base + std::to_string(c + 1) + ".txt";
}

// A multi-channel final-weights file written out in full: coefficients up to
// the denominator section, or the QR tokens' singular-triangle note.
bool Complete(const std::string& text) {
  const std::string tail = "\nDenominator Coefficients =1\n1\n";
  return text == "Matrix close to singular...\n" ||
         (text.rfind("Numerator Coefficients =", 0) == 0 && text.size() >= tail.size() &&
          text.compare(text.size() - tail.size(), tail.size(), tail) == 0);
}

class LostData : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (PluginTokens(&why).empty()) GTEST_SKIP() << why;
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full here";
  }
};

TEST_F(LostData, EveryTokenReportsAFullDisk) {
  for (const PluginToken& token : PluginTokens()) {
    SCOPED_TRACE(token.name);
    for (int c = 0; c < token.channels(); ++c) LinkToFullDisk(FileOf(token, "full", c));
    const std::string lost = "Problems writing " + FileOf(token, "full", 0);
    // Also when destroyed before any sample: the QR tokens then write their
    // short note instead of coefficients, and that too must not vanish.
    for (int samples : {64, 0}) {
      TokenHarness host(token.entry, token.inputs, token.outputs, token.defaults, "full");
      ASSERT_EQ(host.Create(), 0) << host.ErrorText();
      RunRandomSamples(host, samples);
      EXPECT_EQ(host.Terminate(), 1);
      EXPECT_EQ(host.ErrorText(), lost);
    }
    // A re-creation destroys the old instance inside the creation call; its
    // status stays, so the new instance is left unbuilt and the host hears of
    // the loss. The unbuilt instance computes nothing and leaves no file.
    TokenHarness host(token.entry, token.inputs, token.outputs, token.defaults, "full");
    ASSERT_EQ(host.Create(), 0) << host.ErrorText();
    RunRandomSamples(host, 8);
    host.SetFileName("full");
    EXPECT_EQ(host.Create(), 1);
    EXPECT_EQ(host.ErrorText(), lost);
    ASSERT_NE(host.record.instance, nullptr);
    host.outputPorts[0].value = 12345.0;
    EXPECT_EQ(host.Run(std::vector<double>(token.inputs, 1.0)), 0);
    EXPECT_EQ(host.Output(0), 12345.0);
    host.ClearErrorText();
    EXPECT_EQ(host.Terminate(), 0);
    EXPECT_EQ(host.ErrorText(), "");
  }
}

TEST_F(LostData, OnlyTheLostChannelIsReportedAndTheOthersAreComplete) {
  for (const PluginToken& token : PluginTokens()) {
    if (token.channels() == 1) continue;
    SCOPED_TRACE(token.name);
    const int lost = token.channels() - 1;
    for (int c = 0; c < token.channels(); ++c) std::remove(FileOf(token, "part", c).c_str());
    LinkToFullDisk(FileOf(token, "part", lost));
    TokenHarness host(token.entry, token.inputs, token.outputs, token.defaults, "part");
    ASSERT_EQ(host.Create(), 0) << host.ErrorText();
    RunRandomSamples(host, 64);
    EXPECT_EQ(host.Terminate(), 1);
    EXPECT_EQ(host.ErrorText(), "Problems writing " + FileOf(token, "part", lost));
    for (int c = 0; c < lost; ++c) EXPECT_TRUE(Complete(ReadFileText(FileOf(token, "part", c)))) << c;
  }
}

}  // namespace
