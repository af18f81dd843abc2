// The matrix text format against GNU Octave, a real reader and writer of it:
// Octave loads a matrix that the library wrote, and the library reads back a
// matrix and a scalar that Octave saved with its default header. Skipped where
// Octave is not installed (Debian package "octave").
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "numerics/text_format.h"
#include "api/token_session.h"
#include "tests/support/file_text.h"

namespace adaptive {

namespace {

using Values = std::vector<std::vector<double>>;
const Values kLibraryValues = {
    {1.0, -2.5, 0.1, 1e-300}, {4e5, -1.0 / 3.0, 0.0, 6.02214076e23}, {-0.0, 2.0 / 7.0, 1e300, -7.0}};
const Values kOctaveValues = {{1.0, -2.5, 0.1}, {3e-200, 4.0 / 9.0, -5e10}};

// An Octave matrix literal with every value in full precision.
std::string Literal(const Values& values) {
  std::string text = "[";
  char number[40];
  for (const auto& row : values) {
    if (text.size() > 1) text += ";";
    for (double v : row) std::snprintf(number, sizeof number, " %.17g", v), text += number;
  }
  return text + "]";
}

// Reads the one matrix in `file` and expects its name and values exactly.
void ExpectReads(const char* file, const char* name, const Values& want) {
  Matrix m;
  std::ifstream in(file);
  in >> m;
  EXPECT_FALSE(in.fail());
  ASSERT_NE(m.getname(), nullptr);
  EXPECT_STREQ(m.getname(), name);
  ASSERT_EQ(m.rows(), static_cast<int>(want.size()));
  ASSERT_EQ(m.cols(), static_cast<int>(want[0].size()));
  for (size_t i = 0; i < want.size(); ++i)
    for (size_t j = 0; j < want[i].size(); ++j) EXPECT_EQ(m(int(i), int(j)), want[i][j]) << i << "," << j;
}

TEST(OctaveRoundTrip, LibraryAndOctaveReadEachOthersFiles) {
  if (std::system("command -v octave-cli >/dev/null 2>&1") != 0)
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
  std::ofstream("octave_check.m")
      << "load(\"octave_lib.txt\");\nexpected = " << Literal(kLibraryValues) << ";\n"
      << "if !exist(\"fromLibrary\", \"var\") || !isequal(size(fromLibrary), [3 4]) || "
         "!isequal(fromLibrary, expected)\n  disp(\"loaded differently:\"); disp(fromLibrary); exit(2);\nend\n"
      << "B = " << Literal(kOctaveValues) << ";\ns = 0.1;\n"
      << "save(\"-text\", \"octave_B.txt\", \"B\");\nsave(\"-text\", \"octave_s.txt\", \"s\");\nexit(0);\n";
  const int status = std::system("octave-cli --norc --quiet --no-history octave_check.m >octave_log.txt 2>&1");
  ASSERT_EQ(status, 0) << "Octave failed:\n" << ReadFileText("octave_log.txt");
  ExpectReads("octave_B.txt", "B", kOctaveValues);
  ExpectReads("octave_s.txt", "s", {{0.1}});
}

}  // namespace

}  // namespace adaptive
