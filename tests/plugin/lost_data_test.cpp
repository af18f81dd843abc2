// Lost data: a final-weights file that cannot be written out in full (a full
// disk), that vanished from under its name, or that a live instance shares
// under any spelling of its name, is reported by the destruction, for every
// token, whatever its writer, with the files of the instance that are
// complete.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/plugin/plugin_tokens.h"
#include "api/token_session.h"
#include "tests/support/file_text.h"

namespace adaptive {

namespace {

// Points `name` at /dev/full: opening works, the data is lost when flushed.
void LinkToFullDisk(const std::string& name) {
  std::remove(name.c_str());
  ASSERT_EQ(symlink("/dev/full", name.c_str()), 0) << name;
}

void RunRandomSamples(TokenSession& host, int samples, unsigned seed = 7) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::vector<double> inputs(host.inputRecords().size());
  for (int n = 0; n < samples; ++n) {
    for (double& v : inputs) v = value(random);
    ASSERT_EQ(host.run(inputs), 0);
  }
}

// A multi-channel final-weights file written out in full: coefficients up to
// the denominator section, or the QR tokens' singular-triangle note.
bool Complete(const std::string& text) {
  const std::string tail = "\nDenominator Coefficients =1\n1\n";
  return text == "Matrix close to singular...\n" ||
         (text.rfind("Numerator Coefficients =", 0) == 0 && text.size() >= tail.size() &&
          text.compare(text.size() - tail.size(), tail.size(), tail) == 0);
}

const PluginToken& TokenNamed(const std::string& name) {
  for (const PluginToken& token : PluginTokens())
    if (token.name == name) return token;
  throw std::runtime_error("no token " + name);
}

// An instance named `name` with every count set to `count`, created and run
// through 64 samples drawn from `seed`.
std::unique_ptr<TokenSession> Started(const PluginToken& token, const std::string& name, double count,
                                      unsigned seed) {
  std::vector<double> parameters = token.defaults;
  for (size_t p = 0; p < parameters.size(); ++p)
    if (token.isCount(p)) parameters[p] = count;
  auto host = std::make_unique<TokenSession>(token.entry, token.inputs, token.outputs, parameters, name);
  EXPECT_EQ(host->create(), 0) << token.name << ": " << host->errorText();
  RunRandomSamples(*host, 64, seed);
  return host;
}

// The files that the same instance writes when it has its name to itself.
std::vector<std::string> FilesAlone(const PluginToken& token, double count, unsigned seed) {
  Started(token, "alone", count, seed)->terminate();
  std::vector<std::string> texts;
  for (int c = 0; c < token.channels(); ++c) texts.push_back(ReadFileText(token.file("alone", c)));
  return texts;
}

void ExpectWrittenAlone(const PluginToken& token, const std::string& name, double count, unsigned seed) {
  const std::vector<std::string> alone = FilesAlone(token, count, seed);
  for (int c = 0; c < token.channels(); ++c) EXPECT_EQ(ReadFileText(token.file(name, c)), alone[c]) << c;
}

// "a", "a and b", "a, b and c".
std::string Listed(const std::vector<std::string>& names) {
  std::string text;
  for (size_t k = 0; k < names.size(); ++k) text += (k == 0 ? "" : k + 1 == names.size() ? " and " : ", ") + names[k];
  return text;
}

// The message of an instance named `name` whose files of the channels in
// `lost` are lost, and its others complete.
std::string LossText(const PluginToken& token, const std::string& name, const std::vector<int>& lost) {
  std::vector<std::string> lostNames, completeNames;
  for (int c = 0; c < token.channels(); ++c) {
    const bool isLost = std::find(lost.begin(), lost.end(), c) != lost.end();
    (isLost ? lostNames : completeNames).push_back(token.file(name, c));
  }
  std::string text = "Problems writing " + Listed(lostNames);
  if (!completeNames.empty()) {
    text += "; " + Listed(completeNames) + (completeNames.size() == 1 ? " is complete" : " are complete");
  }
  return text;
}

std::vector<int> EveryChannel(const PluginToken& token) {
  std::vector<int> channels;
  for (int c = 0; c < token.channels(); ++c) channels.push_back(c);
  return channels;
}

void ExpectLost(TokenSession& host, const std::string& message) {
  EXPECT_EQ(host.terminate(), 1);
  EXPECT_EQ(host.errorText(), message);
}

class LostData : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (PluginTokens(&why).empty()) GTEST_SKIP() << why;
  }
};

class FullDisk : public LostData {
 protected:
  void SetUp() override {
    LostData::SetUp();
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full here";
  }
};

TEST_F(FullDisk, EveryTokenReportsAFullDisk) {
  for (const PluginToken& token : PluginTokens()) {
    SCOPED_TRACE(token.name);
    for (int c = 0; c < token.channels(); ++c) LinkToFullDisk(token.file("full", c));
    const std::string lost = LossText(token, "full", EveryChannel(token));
    // Also when destroyed before any sample: the QR tokens then write their
    // short note instead of coefficients, and that too must not vanish.
    for (int samples : {64, 0}) {
      TokenSession host(token.entry, token.inputs, token.outputs, token.defaults, "full");
      ASSERT_EQ(host.create(), 0) << host.errorText();
      RunRandomSamples(host, samples);
      EXPECT_EQ(host.terminate(), 1);
      EXPECT_EQ(host.errorText(), lost);
    }
    // A re-creation destroys the old instance inside the creation call; its
    // status stays, so the new instance is left unbuilt and the host hears of
    // the loss. The unbuilt instance computes nothing and leaves no file.
    TokenSession host(token.entry, token.inputs, token.outputs, token.defaults, "full");
    ASSERT_EQ(host.create(), 0) << host.errorText();
    RunRandomSamples(host, 8);
    host.setFileName("full");
    EXPECT_EQ(host.create(), 1);
    EXPECT_EQ(host.errorText(), lost);
    ASSERT_NE(host.record().instance, nullptr);
    host.outputRecords()[0].value = 12345.0;
    EXPECT_EQ(host.run(std::vector<double>(token.inputs, 1.0)), 0);
    EXPECT_EQ(host.output(0).value, 12345.0);
    host.clearErrorText();
    EXPECT_EQ(host.terminate(), 0);
    EXPECT_EQ(host.errorText(), "");
  }
}

TEST_F(FullDisk, OnlyTheLostChannelIsReportedAndTheOthersAreComplete) {
  for (const PluginToken& token : PluginTokens()) {
    if (token.channels() == 1) continue;
    SCOPED_TRACE(token.name);
    const int lost = token.channels() - 1;
    for (int c = 0; c < token.channels(); ++c) std::remove(token.file("part", c).c_str());
    LinkToFullDisk(token.file("part", lost));
    TokenSession host(token.entry, token.inputs, token.outputs, token.defaults, "part");
    ASSERT_EQ(host.create(), 0) << host.errorText();
    RunRandomSamples(host, 64);
    EXPECT_EQ(host.terminate(), 1);
    EXPECT_EQ(host.errorText(), LossText(token, "part", {lost}));
    for (int c = 0; c < lost; ++c) EXPECT_TRUE(Complete(ReadFileText(token.file("part", c)))) << c;
  }
}

// Two live instances of one token with one name: the first destroyed would
// have its longer file torn by the second's shorter one; instead it reports
// its data lost and the file holds exactly what the last one writes.
TEST_F(LostData, ASharedNameIsWrittenWholeByTheLastInstanceDestroyed) {
  for (const PluginToken& token : PluginTokens()) {
    SCOPED_TRACE(token.name);
    for (bool firstGoesFirst : {true, false}) {
      auto longer = Started(token, "shared", 7, 1);
      auto shorter = Started(token, "shared", 2, 2);
      TokenSession& early = firstGoesFirst ? *longer : *shorter;
      TokenSession& late = firstGoesFirst ? *shorter : *longer;
      ExpectLost(early, LossText(token, "shared", EveryChannel(token)));
      EXPECT_EQ(late.terminate(), 0) << late.errorText();
      if (firstGoesFirst) ExpectWrittenAlone(token, "shared", 2, 2);
      else ExpectWrittenAlone(token, "shared", 7, 1);
    }
  }
}

// One file under two spellings of its name, or through a link, is shared as
// one name is: before, the first destroyed reported success and the second
// tore its file or overwrote it unseen.
TEST_F(LostData, OneFileUnderAnySpellingIsWrittenWholeByTheLastInstanceDestroyed) {
  for (const PluginToken& token : PluginTokens()) {
    SCOPED_TRACE(token.name);
    for (bool firstGoesFirst : {true, false}) {
      auto longer = Started(token, "spelt", 7, 1);
      auto shorter = Started(token, "./spelt.txt", 2, 2);  // a one-file token's name splits at its first dot
      ExpectLost(firstGoesFirst ? *longer : *shorter,
                 LossText(token, firstGoesFirst ? "spelt" : "./spelt", EveryChannel(token)));
      TokenSession& late = firstGoesFirst ? *shorter : *longer;
      EXPECT_EQ(late.terminate(), 0) << late.errorText();
      if (firstGoesFirst) ExpectWrittenAlone(token, "spelt", 2, 2);
      else ExpectWrittenAlone(token, "spelt", 7, 1);
    }
    // A symbolic link for the last channel's file alone.
    const int last = token.channels() - 1;
    for (int c = 0; c <= last; ++c) std::remove(token.file("alias", c).c_str());  // an earlier token's link
    ASSERT_EQ(symlink(token.file("spelt", last).c_str(), token.file("alias", last).c_str()), 0);
    auto target = Started(token, "spelt", 7, 1);
    auto alias = Started(token, "alias", 2, 2);
    ExpectLost(*alias, LossText(token, "alias", {last}));
    EXPECT_EQ(target->terminate(), 0) << target->errorText();
    ExpectWrittenAlone(token, "spelt", 7, 1);
    for (int c = 0; c < last; ++c) EXPECT_EQ(ReadFileText(token.file("alias", c)), FilesAlone(token, 2, 2)[c]) << c;
  }
}

// A device takes any number of writers: instances that name one lose nothing.
TEST_F(LostData, ADeviceIsNeverShared) {
  const PluginToken& lms = TokenNamed("LMS");
  std::remove("discarded.txt");
  ASSERT_EQ(symlink("/dev/null", "discarded.txt"), 0);
  auto first = Started(lms, "discarded", 3, 1);
  auto second = Started(lms, "discarded", 3, 2);
  EXPECT_EQ(first->terminate(), 0) << first->errorText();
  EXPECT_EQ(second->terminate(), 0) << second->errorText();
}

TEST_F(LostData, ThreeInstancesOfThreeFamiliesSharingAName) {
  auto lms = Started(TokenNamed("LMS"), "three", 9, 1);
  auto nlms = Started(TokenNamed("NLMS"), "three", 4, 2);
  auto walk = Started(TokenNamed("GenRW"), "three", 3, 3);
  ExpectLost(*nlms, "Problems writing three.txt");
  ExpectLost(*lms, "Problems writing three.txt");
  EXPECT_EQ(walk->terminate(), 0);
  ExpectWrittenAlone(TokenNamed("GenRW"), "three", 3, 3);
  // Once the last holder is gone the name is free again.
  EXPECT_EQ(Started(TokenNamed("LMS"), "three", 9, 1)->terminate(), 0);
  ExpectWrittenAlone(TokenNamed("LMS"), "three", 9, 1);
  // A re-creation destroys the old instance inside the creation call, which
  // hears of the loss like any other failed write.
  auto again = Started(TokenNamed("RLS1"), "three", 2, 4);
  auto holder = Started(TokenNamed("QR1"), "three", 2, 5);
  again->setFileName("three");
  EXPECT_EQ(again->create(), 1);
  EXPECT_EQ(again->errorText(), "Problems writing three.txt");
  EXPECT_EQ(holder->terminate(), 0);
  ExpectWrittenAlone(TokenNamed("QR1"), "three", 2, 5);
}

// A multi-channel token whose last channel's file is also a one-channel
// token's: only that channel is reported, the other channels are written.
TEST_F(LostData, AChannelSharedWithAnotherFamily) {
  const char* oneChannel[] = {"QR1", "RLS1", "RW1", "GenNEW", "NEW", "GenLMS_A"};
  int partner = 0;
  for (const PluginToken& token : PluginTokens()) {
    if (token.channels() == 1) continue;
    const PluginToken& other = TokenNamed(oneChannel[partner++ % 6]);
    SCOPED_TRACE(token.name + " with " + other.name);
    const std::string sharedName = "mix" + std::to_string(token.channels());
    const std::string shared = sharedName + ".txt";
    for (bool multiGoesFirst : {true, false}) {
      auto multi = Started(token, "mix", 3, 4);
      auto single = Started(other, sharedName, 5, 5);
      if (multiGoesFirst) {
        ExpectLost(*multi, LossText(token, "mix", {token.channels() - 1}));
        for (int c = 0; c + 1 < token.channels(); ++c)
          EXPECT_EQ(ReadFileText(token.file("mix", c)), FilesAlone(token, 3, 4)[c]) << c;
        EXPECT_EQ(single->terminate(), 0);
        ExpectWrittenAlone(other, sharedName, 5, 5);
      } else {
        ExpectLost(*single, "Problems writing " + shared);
        EXPECT_EQ(multi->terminate(), 0);
        ExpectWrittenAlone(token, "mix", 3, 4);
      }
    }
  }
}

// A file deleted, renamed or replaced between creation and destruction holds
// nothing of the instance under its name: reported like a failed write, while
// the other channels are written.
TEST_F(LostData, AVanishedFileIsReported) {
  for (const PluginToken& token : PluginTokens()) {
    SCOPED_TRACE(token.name);
    const int last = token.channels() - 1;
    auto host = Started(token, "gone", 3, 6);
    ASSERT_EQ(std::remove(token.file("gone", last).c_str()), 0);
    ExpectLost(*host, LossText(token, "gone", {last}));
    EXPECT_FALSE(FileExists(token.file("gone", last)));
    for (int c = 0; c < last; ++c) EXPECT_EQ(ReadFileText(token.file("gone", c)), FilesAlone(token, 3, 6)[c]) << c;
  }
  const PluginToken& lms = TokenNamed("LMS");
  auto renamed = Started(lms, "moved", 3, 6);
  ASSERT_EQ(std::rename("moved.txt", "elsewhere.txt"), 0);
  ExpectLost(*renamed, "Problems writing moved.txt");
  auto replaced = Started(lms, "replaced", 3, 6);
  ASSERT_EQ(std::remove("replaced.txt"), 0);
  std::FILE* other = std::fopen("replaced.txt", "w");
  ASSERT_NE(other, nullptr);
  std::fputs("someone else's file\n", other);
  std::fclose(other);
  ExpectLost(*replaced, "Problems writing replaced.txt");
}

}  // namespace

}  // namespace adaptive
