// adaptsim built without its lab part, as for Windows: list, describe and run
// with CSV files only, and a clear refusal of sound files. Built only where
// the lab part is not (a 32-bit Linux build without libsndfile, for one).
#if defined(ADAPTSIM_PATH)

#include "adaptsim/io/sound_file.h"
#include "tests/support/adaptsim_process.h"

namespace adaptive {

namespace {

TEST(AdaptsimWithoutLab, OffersOnlyTheCommandsItHas) {
  const Outcome help = Succeeds("help", "--help");
  for (const char* command : {"  list ", "  describe ", "  run "}) EXPECT_TRUE(Contains(help.out, command)) << command;
  EXPECT_FALSE(Contains(help.out, "demo")) << help.out;
  EXPECT_FALSE(Contains(help.out, "examples")) << help.out;
  ExpectRefused("none", {"", 2, "missing COMMAND (list, describe or run)"});
  ExpectRefused("lab", {"demo", 2, "unknown command"});
  ExpectRefused("lab", {"examples out", 2, "unknown command"});
}

TEST(AdaptsimWithoutLab, RefusesSoundFilesAndRunsNothing) {
  std::ofstream("in.wav") << "RIFF";  // present, so that only the format is refused
  const Outcome wav = Adaptsim("wav", "run LMS --in in.wav --out out.csv --weights w.txt");
  EXPECT_EQ(wav.status, 1);
  EXPECT_EQ(wav.out, "");
  for (const char* part : {"in.wav: sound files need libsndfile, which this build of adaptsim does not have",
                           "nothing was run"}) {
    EXPECT_TRUE(Contains(wav.err, part)) << wav.err;
  }
  EXPECT_FALSE(FileExists("out.csv"));
  EXPECT_FALSE(FileExists("w.txt"));

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
  EXPECT_FALSE(FileExists("out.wav"));
}

}  // namespace

}  // namespace adaptive

#endif
