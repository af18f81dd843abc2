// Names of the final-weights files, their exact bytes, and the failure paths
// of opening them (a failed write is lost_data_test.cpp's).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "plugin/exports.h"
#include "api/token_session.h"
#include "tests/support/file_text.h"
#include "tokens/coefficient_text.h"
#include "tokens/final_weights_name.h"

namespace adaptive {

namespace {

const std::vector<double> kLmsDefaults = {10, 0.01, 1, 1, 0.01, 1};
const std::vector<double> kLms2Defaults = {10, 0.01, 1, 10, 0.01, 1};
const std::vector<double> kLms3Defaults = {10, 0.01, 1, 10, 0.01, 1, 10, 0.01, 1};

// Creates and terminates a token with the given file name; returns the
// creation status and leaves the record's (edited) name in `edited`.
int CreateAndDestroy(TokenEntryPoint entry, int inputs, const std::vector<double>& params, const std::string& name,
                     std::string* edited = nullptr, std::string* text = nullptr) {
  TokenSession host(entry, inputs, 3, params, name);
  const int status = host.create();
  if (edited) *edited = host.fileName();
  if (text) *text = host.errorText();
  host.terminate();
  return status;
}

// Leading blanks and tabs are dropped; a name without an extension gets "txt";
// the channel number goes before the first dot of the file's own name, never
// into a directory, while a one-file token keeps the name as given.
TEST(FinalWeightsNames, CompositionFromTheInstanceName) {
  struct Case {
    TokenEntryPoint entry;
    std::string name;
    std::vector<std::string> files;
    const char* edited;  // the record's name afterwards, when checked
  };
  const Case cases[] = {{&LMS, "  weights", {"weights.txt"}, nullptr},
                        {&LMS2, "\t weights", {"weights1.txt", "weights2.txt"}, nullptr},
                        {&LMS2, "lms2.txt", {"lms21.txt", "lms22.txt"}, nullptr},
                        {&LMS, "a.b.c", {"a.b.c"}, "a"},
                        {&LMS2, "a.b.c", {"a1.b.c", "a2.b.c"}, nullptr},
                        {&LMS, "   ", {".txt"}, nullptr},
                        {&LMS2, "  ", {"1.txt", "2.txt"}, nullptr},
                        {&LMS2, "./w.txt", {"w1.txt", "w2.txt"}, "./w"},
                        {&LMS2, "v1.2/w", {"v1.2/w1.txt", "v1.2/w2.txt"}, "v1.2/w"},
                        {&LMS, "./v1.2/w", {"v1.2/w"}, ""},
                        {&LMS, "", {}, ""}};  // no file, record left alone
  ASSERT_EQ(std::system("mkdir -p v1.2"), 0);
  for (const Case& c : cases) {
    for (const std::string& f : c.files) std::remove(f.c_str());
    const bool two = c.entry == &LMS2;
    std::string edited;
    EXPECT_EQ(CreateAndDestroy(c.entry, two ? 3 : 2, two ? kLms2Defaults : kLmsDefaults, c.name, &edited), 0);
    for (const std::string& f : c.files) EXPECT_TRUE(FileExists(f)) << "'" << c.name << "': " << f;
    if (c.edited != nullptr) {
      EXPECT_EQ(edited, c.edited) << "'" << c.name << "'";
    }
  }
}

TEST(FinalWeightsNames, WindowsDirectoriesKeepTheirDots) {
  char name[kMaxFinalWeightsName + 1];
  ASSERT_TRUE(ComposeFinalWeightsName("C:\\My.Project\\w.txt", 3, 2, name));
  EXPECT_STREQ(name, "C:\\My.Project\\w3.txt");
  ASSERT_TRUE(ComposeFinalWeightsName("C:\\My.Project\\w.txt", 1, 0, name));
  EXPECT_STREQ(name, "C:\\My.Project\\w.txt");
}

// A FIFO would block the creation call until a reader came: it is refused at
// once, with or without a reader; a device is a file like any other.
TEST(FinalWeightsNames, FifosAreRefusedWithoutWaiting) {
  std::remove("fifo.txt");
  ASSERT_EQ(::mkfifo("fifo.txt", 0600), 0);
  std::string text;
  EXPECT_EQ(CreateAndDestroy(&LMS, 2, kLmsDefaults, "fifo.txt", nullptr, &text), 1);
  EXPECT_EQ(text, "Problems opening fifo.txt");
  const int reader = ::open("fifo.txt", O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(CreateAndDestroy(&LMS, 2, kLmsDefaults, "fifo.txt", nullptr, &text), 1);
  EXPECT_EQ(text, "Problems opening fifo.txt");
  ::close(reader);
  std::remove("fifo.txt");
  // A device is written: through a link, since a one-file token names its
  // file "/dev/null.txt" for "/dev/null".
  std::remove("device.txt");
  ASSERT_EQ(::symlink("/dev/null", "device.txt"), 0);
  EXPECT_EQ(CreateAndDestroy(&LMS, 2, kLmsDefaults, "device.txt", nullptr, &text), 0);
}

TEST(FinalWeightsNames, OverlongAndUnopenableNamesAreRefused) {
  std::string text;
  const std::string longName(300, 'n');
  EXPECT_EQ(CreateAndDestroy(&LMS, 2, kLmsDefaults, longName, nullptr, &text), 1);
  EXPECT_EQ(text, "Problems opening " + std::string(255, 'n'));

  // Exactly 255 characters still fit.
  const std::string fits = std::string(251, 'f');
  EXPECT_EQ(CreateAndDestroy(&LMS, 2, kLmsDefaults, fits, nullptr, &text), 0);
  std::remove((fits + ".txt").c_str());

  EXPECT_EQ(CreateAndDestroy(&LMS, 2, kLmsDefaults, "no_such_dir/w.txt", nullptr, &text), 1);
  EXPECT_EQ(text, "Problems opening no_such_dir/w.txt");

  // "dir2" exists as a directory, so the second channel's file cannot open.
  std::remove("dir1.txt");
  std::remove("dir3.txt");
  ASSERT_EQ(std::system("mkdir -p dir2.txt"), 0);
  EXPECT_EQ(CreateAndDestroy(&LMS3, 4, kLms3Defaults, "dir", nullptr, &text), 1);
  EXPECT_EQ(text, "Problems opening dir2.txt");
  EXPECT_FALSE(FileExists("dir3.txt"));
  // The first file was opened and is filled at destruction.
  EXPECT_EQ(ReadFileText("dir1.txt").rfind("Numerator Coefficients =10\n", 0), 0u);
}

TEST(FinalWeightsFile, RecursiveAndTransversalFormBytes) {
  // Drive LMS so that it holds known coefficients: L = 2, M = 1, zero leakage
  // makes each coefficient exactly g × tap after one sample.
  std::remove("recform.txt");
  TokenSession host(&LMS, 2, 3, {2, 0.25, 0.0, 2, 0.25, 0.0}, "recform.txt");
  ASSERT_EQ(host.create(), 0);
  host.run({1.0, 1.0});    // e = 1: a = (0.5, 0), b = (0) since y(-1) = 0
  host.run({-0.5, 0.25});  // y = -0.25, e = 0.5, g = 0.25: a = (-0.125, 0.25), b(0) = 0.25 × 0
  ASSERT_EQ(host.terminate(), 0);
  EXPECT_EQ(ReadFileText("recform.txt"),
            "Numerator Coefficients =2\n"
            "-1.250000000000000E-01\n"
            "2.500000000000000E-01\n"
            "\nDenominator Coefficients =2\n1\n"
            "-0.000000000000000E+00\n");

  std::remove("t1.txt");
  std::remove("t2.txt");
  TokenSession two(&LMS2, 3, 3, {1, 0.5, 1, 2, 0.5, 1}, "t.txt");
  ASSERT_EQ(two.create(), 0);
  two.run({1.0, 2.0, 1.0});  // e = 1, g = 1: w1 = (1), w2 = (2, 0)
  ASSERT_EQ(two.terminate(), 0);
  EXPECT_EQ(ReadFileText("t1.txt"),
            "Numerator Coefficients =1\n1.000000000000000E+00\n\nDenominator Coefficients =1\n1\n");
  EXPECT_EQ(ReadFileText("t2.txt"),
            "Numerator Coefficients =2\n2.000000000000000E+00\n0.000000000000000E+00\n"
            "\nDenominator Coefficients =1\n1\n");
}

// Builds differ in the sign a NaN comes out with, C libraries in the text of
// a NaN: every NaN is written as "NAN" and the infinities in one text, in the
// field of a finite value.
TEST(FinalWeightsFile, NonFiniteCoefficientsAreTheSameTextInEveryBuild) {
  const double inf = INFINITY;
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  for (double value : {std::nan(""), -std::nan(""), std::nan("0x5a5a"), inf - inf, inf, -inf, -0.5})
    WriteCoefficientLine(file, value);
  std::rewind(file);
  std::string text(256, '\0');
  text.resize(std::fread(&text[0], 1, text.size(), file));
  std::fclose(file);
  const std::string nan = "                 NAN\n";
  EXPECT_EQ(text, nan + nan + nan + nan + "                 INF\n                -INF\n-5.000000000000000E-01\n");
}

TEST(FinalWeightsFile, ReCreationEmptiesTheFileOfTheOldInstanceFirst) {
  std::remove("again.txt");
  TokenSession host(&LMS, 2, 3, {1, 0.5, 1, 1, 0.01, 1}, "again.txt");
  ASSERT_EQ(host.create(), 0);
  host.run({1.0, 1.0});
  host.setFileName("again.txt");
  ASSERT_EQ(host.create(), 0);  // old instance writes, new one empties
  EXPECT_EQ(ReadFileText("again.txt"), "");
  ASSERT_EQ(host.terminate(), 0);
  EXPECT_EQ(ReadFileText("again.txt"),
            "Numerator Coefficients =1\n0.000000000000000E+00\n\nDenominator Coefficients =1\n1\n");
}

}  // namespace

}  // namespace adaptive
