// adaptsim run refuses, before it writes anything, a command line whose
// input, output, final-weights files and report name one file twice, however
// the names are spelled; devices may be shared.
#if defined(ADAPTSIM_PATH)

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "tests/support/adaptsim_process.h"

namespace adaptive {

namespace {

const char kSignal[] = "x,d\n1,1\n0.5,-1\n-0.25,0.5\n";

void WriteSignal(const std::string& path) {
  std::remove(path.c_str());
  std::ofstream(path) << kSignal;
}

// `arguments` refused with a message that names the clash, and no file
// written: `intact` still holds the signal and every name in `absent`, given
// only here, is still not there.
void ExpectClash(const std::string& tag, const std::string& arguments, const std::string& clash,
                 const std::string& intact, const std::vector<std::string>& absent = {}) {
  for (const std::string& path : absent) std::remove(path.c_str());
  const Outcome outcome = Adaptsim(tag, arguments, kSignal);
  EXPECT_EQ(outcome.status, 2) << arguments;
  EXPECT_EQ(outcome.err, "adaptsim run: " + clash + " are the same file; nothing was run\nTry 'adaptsim run --help'.\n")
      << arguments;
  EXPECT_EQ(outcome.out, "") << arguments;
  if (!intact.empty()) {
    EXPECT_EQ(ReadFileText(intact), kSignal) << arguments;
  }
  for (const std::string& path : absent) EXPECT_FALSE(FileExists(path)) << arguments << ": " << path;
}

TEST(FileCollisions, TheInputIsNeverAnOutput) {
  WriteSignal("sig.csv");
  ExpectClash("clash_in_out", "run LMS --in sig.csv --out sig.csv --weights ''", "--in sig.csv and --out sig.csv",
              "sig.csv");
  ExpectClash("clash_in_weights", "run LMS --in sig.csv --weights sig.csv",
              "--in sig.csv and --weights's file sig.csv", "sig.csv");
  // Other spellings of one file: a dot, a detour, a symbolic and a hard link.
  ExpectClash("clash_dot", "run LMS --in sig.csv --out ./sig.csv --weights ''", "--in sig.csv and --out ./sig.csv",
              "sig.csv");
  ::mkdir("clash_dir", 0777);
  ExpectClash("clash_detour", "run LMS --in clash_dir/../sig.csv --weights ''  --out sig.csv",
              "--in clash_dir/../sig.csv and --out sig.csv", "sig.csv");
  std::remove("sig_link.csv");
  ASSERT_EQ(::symlink("sig.csv", "sig_link.csv"), 0);
  ExpectClash("clash_symlink", "run LMS --in sig_link.csv --weights sig.csv",
              "--in sig_link.csv and --weights's file sig.csv", "sig.csv");
  std::remove("sig_hard.csv");
  ASSERT_EQ(::link("sig.csv", "sig_hard.csv"), 0);
  ExpectClash("clash_hard", "run LMS --in sig.csv --weights '' --out sig_hard.csv",
              "--in sig.csv and --out sig_hard.csv", "sig.csv");
  // The catalogue's default final-weights name counts too.
  WriteSignal("lms.txt");
  ExpectClash("clash_default", "run LMS --in lms.txt",
              "--in lms.txt and the final-weights file lms.txt (LMS's default; --weights names another)", "lms.txt");
}

TEST(FileCollisions, TwoOutputsAreNeverOneFile) {
  WriteSignal("sig.csv");
  // Files yet to be made clash by their paths, and none is made.
  ExpectClash("clash_out_weights", "run LMS --in sig.csv --out res.csv --weights res.csv",
              "--out res.csv and --weights's file res.csv", "sig.csv", {"res.csv"});
  ExpectClash("clash_new_spellings", "run LMS --in sig.csv --out new.csv --weights ./new.csv",
              "--out new.csv and --weights's file ./new.csv", "sig.csv", {"new.csv"});
  // One of a three-channel token's files.
  ExpectClash("clash_channel", "run NLMS3 --in sig3.csv --out w2.txt --weights w.txt",
              "--out w2.txt and --weights's file w2.txt", "", {"w1.txt", "w2.txt", "w3.txt"});
  // A report's page or figure.
  ::mkdir("clash_report", 0777);
  ExpectClash("clash_report", "run LMS --in sig.csv --weights '' --report clash_report --out clash_report/index.html",
              "--out clash_report/index.html and --report's file clash_report/index.html", "sig.csv",
              {"clash_report/index.html"});
  ExpectClash("clash_figure", "run LMS --in sig.csv --weights clash_report/weights-1.svg --report clash_report",
              "--weights's file clash_report/weights-1.svg and --report's file clash_report/weights-1.svg", "sig.csv",
              {"clash_report/weights-1.svg"});
}

TEST(FileCollisions, DevicesAndStandardStreamsMayBeShared) {
  WriteSignal("sig.csv");
  std::remove("null.txt");
  ASSERT_EQ(::symlink("/dev/null", "null.txt"), 0);
  const Outcome discarded = Succeeds("shared_null", "run LMS --in sig.csv --out /dev/null --weights null.txt");
  EXPECT_EQ(discarded.out, "");
  EXPECT_EQ(ReadFileText("sig.csv"), kSignal);
  EXPECT_EQ(Succeeds("shared_streams", "run LMS --in - --out - --weights ''", kSignal).out.substr(0, 26),
            "Output,PriError,PostError\n");
}

}  // namespace

}  // namespace adaptive

#endif
