// adaptsim built without its lab part, as for Windows: list, describe and run
// with CSV files only, and a clear refusal of sound files. Built only where
// the lab part is not (a 32-bit Linux build without libsndfile, for one).
#if defined(ADAPTSIM_PATH)

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "sim/sound_file.h"

namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

Outcome Adaptsim(const std::string& tag, const std::string& arguments) {
  const std::string command = std::string("'") + ADAPTSIM_PATH + "' " + arguments + " </dev/null >" + tag +
                              ".stdout 2>" + tag + ".stderr";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(tag + ".stdout"), Slurp(tag + ".stderr")};
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

TEST(AdaptsimWithoutLab, OffersOnlyTheCommandsItHas) {
  const Outcome help = Adaptsim("help", "--help");
  ASSERT_EQ(help.status, 0) << help.err;
  for (const char* command : {"  list ", "  describe ", "  run "}) EXPECT_TRUE(Contains(help.out, command)) << command;
  EXPECT_FALSE(Contains(help.out, "demo")) << help.out;
  EXPECT_FALSE(Contains(help.out, "examples")) << help.out;

  const Outcome none = Adaptsim("none", "");
  EXPECT_EQ(none.status, 2);
  EXPECT_TRUE(Contains(none.err, "missing COMMAND (list, describe or run)")) << none.err;
  for (const char* lab : {"demo", "examples out"}) {
    const Outcome outcome = Adaptsim("lab", lab);
    EXPECT_EQ(outcome.status, 2) << lab;
    EXPECT_TRUE(Contains(outcome.err, "unknown command")) << outcome.err;
  }
}

TEST(AdaptsimWithoutLab, RefusesSoundFilesAndRunsNothing) {
  std::ofstream("in.wav") << "RIFF";  // present, so that only the format is refused
  const Outcome outcome = Adaptsim("wav", "run LMS --in in.wav --out out.csv --weights w.txt");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_TRUE(Contains(outcome.err, "in.wav: sound files need libsndfile, which this build of adaptsim does not have"))
      << outcome.err;
  EXPECT_TRUE(Contains(outcome.err, "nothing was run")) << outcome.err;
  EXPECT_EQ(outcome.out, "");
  EXPECT_FALSE(Exists("out.csv"));
  EXPECT_FALSE(Exists("w.txt"));

  SampleTable table;
  table.columns = 1;
  table.values = {0.5};
  SoundFormat format;
  std::string error;
  EXPECT_FALSE(ReadSoundFile("in.wav", &table, &format, &error));
  EXPECT_TRUE(Contains(error, "in.wav: sound files need libsndfile")) << error;
  int64_t clipped = -1;
  error.clear();
  EXPECT_FALSE(WriteSoundFile("out.wav", format, table, &clipped, &error));
  EXPECT_TRUE(Contains(error, "out.wav: sound files need libsndfile")) << error;
  EXPECT_EQ(clipped, 0);
  EXPECT_FALSE(Exists("out.wav"));
}

}  // namespace

#endif
