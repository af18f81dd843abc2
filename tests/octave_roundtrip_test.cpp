// The matrix text format against GNU Octave, a real reader and writer of it:
// Octave loads a matrix that the library wrote, and the library reads back a
// matrix and a scalar that Octave saved with its default header. Skipped where
// Octave is not installed (Debian package "octave").
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "numerics/text_format.h"
#include "tests/token_harness.h"

namespace {

const double kLibraryValues[3][4] = {{1.0, -2.5, 0.1, 1e-300}, {4e5, -1.0 / 3.0, 0.0, 6.02214076e23},
                                     {-0.0, 2.0 / 7.0, 1e300, -7.0}};
const double kOctaveValues[2][3] = {{1.0, -2.5, 0.1}, {3e-200, 4.0 / 9.0, -5e10}};

std::string Exact(double v) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

bool OctaveInstalled() { return std::system("command -v octave-cli >/dev/null 2>&1") == 0; }

TEST(OctaveRoundTrip, LibraryAndOctaveReadEachOthersFiles) {
  if (!OctaveInstalled())
    GTEST_SKIP() << "octave-cli not found: install Debian's octave package (apt-get install octave) to run "
                    "the matrix text round trip through GNU Octave";
  for (const char* f : {"octave_lib.txt", "octave_B.txt", "octave_s.txt", "octave_check.m", "octave_log.txt"})
    std::remove(f);

  Matrix a(3, 4, "fromLibrary");
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j) a(i, j) = kLibraryValues[i][j];
  {
    std::ofstream out("octave_lib.txt");
    out.precision(17);
    out << a;
  }

  // Octave checks name, shape and every value exactly, then saves its own.
  std::string script = "load(\"octave_lib.txt\");\nexpected = [";
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 4; ++j) script += " " + Exact(kLibraryValues[i][j]);
    script += i < 2 ? ";" : "];\n";
  }
  script +=
      "if !exist(\"fromLibrary\", \"var\") || !isequal(size(fromLibrary), [3 4]) || "
      "!isequal(fromLibrary, expected)\n  disp(\"loaded differently:\"); disp(fromLibrary); exit(2);\nend\n"
      "B = [";
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 3; ++j) script += " " + Exact(kOctaveValues[i][j]);
    script += i < 1 ? ";" : "];\n";
  }
  script += "s = 0.1;\nsave(\"-text\", \"octave_B.txt\", \"B\");\nsave(\"-text\", \"octave_s.txt\", \"s\");\nexit(0);\n";
  std::ofstream("octave_check.m") << script;

  const int status = std::system("octave-cli --norc --quiet --no-history octave_check.m >octave_log.txt 2>&1");
  ASSERT_EQ(status, 0) << "Octave failed:\n" << ReadFileText("octave_log.txt");

  Matrix b;
  std::ifstream inB("octave_B.txt");
  inB >> b;
  EXPECT_FALSE(inB.fail());
  ASSERT_NE(b.getname(), nullptr);
  EXPECT_STREQ(b.getname(), "B");
  ASSERT_EQ(b.rows(), 2);
  ASSERT_EQ(b.cols(), 3);
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_EQ(b(i, j), kOctaveValues[i][j]) << i << "," << j;

  Matrix s;
  std::ifstream inS("octave_s.txt");
  inS >> s;
  EXPECT_FALSE(inS.fail());
  ASSERT_NE(s.getname(), nullptr);
  EXPECT_STREQ(s.getname(), "s");
  ASSERT_EQ(s.rows(), 1);
  ASSERT_EQ(s.cols(), 1);
  EXPECT_EQ(s(0, 0), 0.1);
}

}  // namespace
