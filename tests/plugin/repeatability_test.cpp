// A host re-creates instances on the same record run after run, and expects a
// run to give the same bytes whenever and however often it is made: every
// token is re-created in a loop while its heap and open files are watched,
// and run twice over memory left in different states, in process and as two
// adaptsim processes at once.
#include <gtest/gtest.h>
#include <dirent.h>
#include <malloc.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/plugin/plugin_tokens.h"
#include "tests/support/sanitizer_build.h"
#include "api/token_session.h"
#include "tests/support/file_text.h"
#if defined(ADAPTSIM_PATH)
#include "tests/support/adaptsim_process.h"

namespace adaptive {
#endif

namespace {

class Repeatability : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (PluginTokens(&why).empty()) GTEST_SKIP() << why;
  }
};

int OpenDescriptors() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
  }
  return count;
}

size_t HeapInUse() { return mallinfo2().uordblks; }

std::vector<double> RandomInputs(std::mt19937& random, int ports) {
  std::uniform_real_distribution<double> value(-1.0, 1.0);
  std::vector<double> inputs(ports);
  for (double& v : inputs) v = value(random);
  return inputs;
}

// Creations that succeed, fail at a check, and use no file, in turn, each
// followed by a few samples: what one creation takes, the destruction of the
// instance must give back, file handles included.
TEST_F(Repeatability, ReCreationLoopsHoldHeapAndFilesSteady) {
  for (const PluginToken& token : PluginTokens()) {
    SCOPED_TRACE(token.name);
    TokenSession host(token.entry, token.inputs, token.outputs, token.defaults);
    std::mt19937 random(11);
    auto cycle = [&](int k) {
      for (size_t p = 0; p < token.defaults.size(); ++p) host.setParameter(p, token.defaults[p]);
      if (k % 3 == 1) host.setParameter(0, 0.0);  // every token's first parameter is a count
      host.setFileName(k % 3 == 2 ? "" : "loop");
      EXPECT_EQ(host.create(), k % 3 == 1 ? 1 : 0) << host.errorText();
      for (int n = 0; n < 4; ++n) EXPECT_EQ(host.run(RandomInputs(random, token.inputs)), 0);
    };
    for (int k = 0; k < 30; ++k) cycle(k);
    const size_t heap = HeapInUse();
    const int descriptors = OpenDescriptors();
    for (int k = 30; k < 330; ++k) cycle(k);
    // The heap's count of bytes in use also moves by a few chunk headers when
    // free chunks merge or split; a leak in every cycle would add at least
    // 300 × 8 bytes.
    if (!kAddressSanitizerBuild) {
      EXPECT_LT(HeapInUse(), heap + 1024);
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
  }
}

// Leaves freed blocks of many sizes filled with `fill`, for the next
// allocations to come upon: state that a token failed to set would differ
// between runs made over different fills.
void LitterTheHeap(unsigned char fill) {
  std::vector<void*> blocks;
  for (size_t size = 8; size <= (size_t{1} << 16); size *= 2) {
    for (int k = 0; k < 4; ++k) {
      void* block = std::malloc(size);
      if (block == nullptr) continue;
      std::memset(block, fill, size);
      blocks.push_back(block);
    }
  }
  for (void* block : blocks) std::free(block);
}

struct RunResult {
  std::vector<uint64_t> outputBits;
  std::vector<std::string> files;
};

RunResult RunOnce(const PluginToken& token, unsigned char fill) {
  LitterTheHeap(fill);
  RunResult result;
  TokenSession host(token.entry, token.inputs, token.outputs, token.defaults, "same");
  EXPECT_EQ(host.create(), 0) << host.errorText();
  std::mt19937 random(5);
  for (int n = 0; n < 200; ++n) {
    EXPECT_EQ(host.run(RandomInputs(random, token.inputs)), 0);
    for (int o = 0; o < token.outputs; ++o) {
      uint64_t bits;
      const double value = host.output(o).value;
      std::memcpy(&bits, &value, sizeof bits);
      result.outputBits.push_back(bits);
    }
  }
  EXPECT_EQ(host.terminate(), 0) << host.errorText();
  for (int c = 0; c < token.channels(); ++c) result.files.push_back(ReadFileText(token.file("same", c)));
  return result;
}

TEST_F(Repeatability, TheSameRunTwiceGivesTheSameBits) {
  for (const PluginToken& token : PluginTokens()) {
    SCOPED_TRACE(token.name);
    const RunResult first = RunOnce(token, 0x00);
    const RunResult second = RunOnce(token, 0xA5);
    EXPECT_EQ(first.outputBits, second.outputBits);
    EXPECT_EQ(first.files, second.files);
  }
}

#if defined(ADAPTSIM_PATH)
// Two adaptsim processes running the same token at once, each with its own
// files, write what one process alone writes, byte for byte.
TEST_F(Repeatability, TwoRunsAtOnceWriteWhatOneRunWrites) {
  for (const PluginToken& token : PluginTokens()) {
    SCOPED_TRACE(token.name);
    std::mt19937 random(3);
    std::ofstream csv("in.csv");
    for (int n = 0; n < 300; ++n) {
      const std::vector<double> inputs = RandomInputs(random, token.inputs);
      for (int i = 0; i < token.inputs; ++i) csv << (i ? "," : "") << inputs[i];
      csv << "\n";
    }
    csv.close();
    auto run = [&](const std::string& tag) {
      return std::string("'") + ADAPTSIM_PATH + "' run " + token.name + " --in in.csv --out " + tag +
             ".csv --weights " + tag + ".txt";
    };
    Succeeds("alone", "run " + token.name + " --in in.csv --out alone.csv --weights alone.txt");
    ASSERT_EQ(std::system((run("a") + " & " + run("b") + " & wait").c_str()), 0);
    const std::string alone = ReadFileText("alone.csv");
    EXPECT_NE(alone, "");
    EXPECT_EQ(ReadFileText("a.csv"), alone);
    EXPECT_EQ(ReadFileText("b.csv"), alone);
    for (int c = 0; c < token.channels(); ++c) {
      const std::string weights = ReadFileText(token.file("alone", c));
      EXPECT_NE(weights, "") << c;
      EXPECT_EQ(ReadFileText(token.file("a", c)), weights) << c;
      EXPECT_EQ(ReadFileText(token.file("b", c)), weights) << c;
    }
  }
}
#endif

}  // namespace

}  // namespace adaptive
