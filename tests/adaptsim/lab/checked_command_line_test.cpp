// adaptsim's commands checked only, as the parsing fuzzer drives them: a line
// that a run refuses is refused alike, and a line that is right runs, reads and
// writes nothing.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "adaptsim/cli/cli.h"
#include "tests/support/file_text.h"

namespace {

struct Result {
  int status;
  std::string out;
  std::string err;
};

Result Reach(std::vector<std::string> words, CommandReach reach) {
  words.insert(words.begin(), {"--library", ADAPTIVE_PLUGIN_PATH});
  std::istringstream in("Input,Desired\n1,2\n");
  std::ostringstream out, err;
  CommandIo io{in, out, err};
  const int status = RunCommandLine(words, io, reach);
  return {status, out.str(), err.str()};
}

TEST(CheckedCommandLine, RefusesWhatARunRefusesAndRunsNothingElse) {
  for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
           {"demo", "--samples", "0"},
           {"demo", "--scenario", "equalizer", "--tokens", "LMS2"},
           {"examples"},
           {"run", "LMS", "--channels", "2"}}) {
    const Result run = Reach(words, CommandReach::kRun);
    const Result checked = Reach(words, CommandReach::kCheckOnly);
    EXPECT_EQ(run.status, 2) << words[0] << ' ' << words[1];
    EXPECT_EQ(checked.status, run.status) << words[0] << ' ' << words[1];
    EXPECT_EQ(checked.err, run.err);
  }
  for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
           {"demo", "--samples", "100000", "--runs", "50", "--report", "checked-report"},
           {"demo", "--scenario", "equalizer", "--report", "checked-report"},
           {"examples", "checked-examples"},
           {"run", "LMS", "--in", "checked-missing.csv", "--out", "checked-out.csv", "--weights", "checked-w.txt"}}) {
    const Result checked = Reach(words, CommandReach::kCheckOnly);
    EXPECT_EQ(checked.status, 0) << words[0] << ' ' << words[1] << ": " << checked.err;
    EXPECT_EQ(checked.out + checked.err, "");
  }
  for (const char* path : {"checked-report", "checked-examples", "checked-out.csv", "checked-w.txt"})
    EXPECT_FALSE(adaptive::FileExists(path)) << path;
}

}  // namespace
