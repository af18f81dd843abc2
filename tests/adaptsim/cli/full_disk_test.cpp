// adaptsim run when the final-weights files do not fit: a file-size limit
// (ulimit -f, with SIGXFSZ ignored so that a write fails with EFBIG instead
// of killing the process) stands in for a full disk, deterministically and
// without privileges. The message names every file cut short and every file
// complete, and a file cut short is left empty, never cut mid-number.
#if defined(ADAPTSIM_PATH)

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "adaptsim/io/final_weights_reader.h"
#include "tests/support/adaptsim_process.h"

namespace adaptive {

namespace {

// 8 blocks: 4 KiB where the shell counts 512-byte blocks, 8 KiB where 1024.
// A channel of 500 taps writes about 11 KB, one of 5 taps about 130 bytes.
constexpr const char* kFileSizeLimit = "ulimit -f 8";

Outcome AdaptsimWithFileSizeLimit(const std::string& tag, const std::string& arguments) {
  std::ofstream(tag + ".stdin") << "0.5,1,-0.25,0.5\n-0.5,0.25,1,0.75\n";
  const std::string command = std::string(kFileSizeLimit) + " && trap '' XFSZ && exec '" + ADAPTSIM_PATH + "' " +
                              arguments + " <" + tag + ".stdin >" + tag + ".stdout 2>" + tag + ".stderr";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileText(tag + ".stdout"), ReadFileText(tag + ".stderr")};
}

void ExpectComplete(const std::string& path, size_t taps) {
  FinalWeights weights;
  std::string error;
  ASSERT_TRUE(ReadFinalWeights(path, &weights, &error)) << path << ": " << error;
  EXPECT_EQ(weights.numerator.size(), taps) << path;
}

TEST(RunOnAFullDisk, EveryFileCutShortIsNamedAndLeftEmpty) {
  for (int c = 1; c <= 3; ++c) std::remove(("big" + std::to_string(c) + ".txt").c_str());
  const Outcome all = AdaptsimWithFileSizeLimit(
      "full_all", "run NLMS3 -p 'Numerator Coeffs 1=500' -p 'Numerator Coeffs 2=500' -p 'Numerator Coeffs 3=500' "
                  "--weights big.txt --out /dev/null");
  EXPECT_EQ(all.status, 1) << all.err;
  EXPECT_TRUE(Contains(all.err, "\nProblems writing big1.txt, big2.txt and big3.txt\n")) << all.err;
  for (int c = 1; c <= 3; ++c) {
    const std::string path = "big" + std::to_string(c) + ".txt";
    EXPECT_TRUE(FileExists(path)) << path;
    EXPECT_EQ(ReadFileText(path), "") << path;
  }
}

TEST(RunOnAFullDisk, TheFilesThatFitAreCompleteAndNamedSo) {
  for (int c = 1; c <= 3; ++c) std::remove(("mixed" + std::to_string(c) + ".txt").c_str());
  const Outcome middle = AdaptsimWithFileSizeLimit(
      "full_middle", "run NLMS3 -p 'Numerator Coeffs 1=5' -p 'Numerator Coeffs 2=500' -p 'Numerator Coeffs 3=5' "
                     "--weights mixed.txt --out /dev/null");
  EXPECT_EQ(middle.status, 1) << middle.err;
  EXPECT_TRUE(Contains(middle.err, "\nProblems writing mixed2.txt; mixed1.txt and mixed3.txt are complete\n"))
      << middle.err;
  ExpectComplete("mixed1.txt", 5);
  EXPECT_EQ(ReadFileText("mixed2.txt"), "");
  ExpectComplete("mixed3.txt", 5);
}

}  // namespace

}  // namespace adaptive

#endif
