// The matrix text format: exact bytes of the writer, the reader on good,
// foreign and hostile input, and the two listings.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "numerics/text_format.h"

namespace adaptive {

namespace {

Matrix Sequence(int32_t rows, int32_t cols, const char* name) {
  Matrix m(rows, cols, name);
  for (std::ptrdiff_t k = 0; k < m.size(); ++k) m.data()[k] = static_cast<double>(k + 1);
  return m;
}

// Reads `text` into a matrix that starts out named "old" with storage. Built
// in place: copying a Matrix would not carry its name along.
struct Reading {
  explicit Reading(const std::string& text) {
    std::istringstream in(text);
    testing::internal::CaptureStderr();
    in >> m;
    diagnostics = testing::internal::GetCapturedStderr();
    failed = in.fail();
    eof = in.eof();
  }
  Matrix m{2, 2, "old"};
  bool failed = false;
  bool eof = false;
  std::string diagnostics;
};

void ExpectNoStorage(const Reading& r) {
  EXPECT_FALSE(r.m.hasstorage());
  ASSERT_NE(r.m.getname(), nullptr);
  EXPECT_STREQ(r.m.getname(), "old");
}

TEST(MatrixTextWriter, ExactLines) {
  Matrix a(2, 2, "A");
  a(0, 0) = 1, a(0, 1) = 2, a(1, 0) = 3, a(1, 1) = 4;
  std::ostringstream out, unnamed;
  out << a;
  EXPECT_EQ(out.str(), "# name: A\n# type: matrix\n# rows: 2\n# columns: 2\n 1 2\n 3 4\n");
  unnamed << Matrix(1, 1, nullptr);
  EXPECT_EQ(unnamed.str(), "# name: \n# type: matrix\n# rows: 1\n# columns: 1\n 0\n");
}

// Reads `text` and expects this state of the stream, this name and these
// elements in storage order.
void ExpectReads(const std::string& text, const std::string& name, int32_t rows, int32_t cols,
                 const std::vector<double>& elements, bool failed = false) {
  Reading r(text);
  EXPECT_EQ(r.failed, failed);
  ASSERT_EQ(r.m.rows(), rows);
  ASSERT_EQ(r.m.cols(), cols);
  EXPECT_EQ(std::string(r.m.getname()), name);
  for (std::ptrdiff_t k = 0; k < r.m.size(); ++k) EXPECT_EQ(r.m.data()[k], elements[k]) << k;
}

TEST(MatrixTextReader, RoundTripAndScalar) {
  Matrix a(2, 3, "weights");
  for (int32_t i = 0; i < 2; ++i)
    for (int32_t j = 0; j < 3; ++j) a(i, j) = (i + 1) * 0.1 - j * 1e-300 + j * 3.25e7;
  std::ostringstream out;
  out.precision(17);
  out << a;
  ExpectReads(out.str(), "weights", 2, 3, std::vector<double>(a.data(), a.data() + a.size()));
  ExpectReads("# name: s\n# type: scalar\n2.5\n", "s", 1, 1, {2.5});
  // Comment lines before the name line, as other tools write them.
  ExpectReads("# Created by some tool, today <me@here>\n#\n#comment\n# name: B\n# type: matrix\n"
              "# rows: 1\n# columns: 2\n 7 -8\n\n\n",
              "B", 1, 2, {7, -8});
  // A name of exactly the longest word fits.
  const std::string longest(kMaxWordLength, 'n');
  ExpectReads("# name: " + longest + "\n# type: scalar\n1\n", longest, 1, 1, {1});
}

TEST(MatrixTextReader, MalformedHeadersLeaveNoStorage) {
  // Unknown type: diagnostics only, the stream untouched in its state.
  Reading unknown("# name: c\n# type: complex matrix\n# rows: 1\n");
  ExpectNoStorage(unknown);
  EXPECT_FALSE(unknown.failed);
  EXPECT_EQ(unknown.diagnostics, "Cannot handle that type of matrix.\ncomplex 0 0 c\n");

  // Words longer than the buffers fail the stream wherever they stand.
  const std::string tooLong(kMaxWordLength + 1, 'x');
  for (const std::string& text :
       {"# name: " + tooLong + "\n# type: scalar\n1\n", "# name: a\n# " + tooLong + " scalar\n1\n",
        "# name: a\n# type: " + tooLong + "\n1\n", tooLong + tooLong + " name: a\n",
        "# name: a\n# type: matrix\n# rows: 1\n# " + tooLong + " 1\n 5\n"}) {
    Reading r(text);
    EXPECT_TRUE(r.failed) << text;
    ExpectNoStorage(r);
    EXPECT_EQ(r.diagnostics, "");
  }

  // Counts that no block may be made of; the huge ones would take many GiB,
  // so returning at all shows that nothing was allocated and filled.
  for (const char* counts : {"-1\n# columns: 2", "2\n# columns: -3", "2147483648\n# columns: 1",
                             "99999999999999999999\n# columns: 1", "2147483647\n# columns: 2147483647",
                             "100000\n# columns: 100000", "three\n# columns: 1"}) {
    Reading r(std::string("# name: a\n# type: matrix\n# rows: ") + counts + "\n 1 2 3\n");
    EXPECT_TRUE(r.failed) << counts;
    ExpectNoStorage(r);
  }

  // Input that ends before the elements or the scalar's number.
  for (const char* text : {"# name: a\n# type: matrix\n# rows: 1\n# columns: 1", "# name: s\n# type: scalar",
                           "# name: a\n# type:", ""}) {
    Reading r(text);
    EXPECT_TRUE(r.eof) << text;
    ExpectNoStorage(r);
  }
}

TEST(MatrixTextReader, UnreadableNumberIsStoredAndReadingGoesOn) {
  Reading r("# name: a\n# type: matrix\n# rows: 1\n# columns: 3\n 1 oops 3\n");
  EXPECT_TRUE(r.failed);
  ASSERT_EQ(r.m.cols(), 3);
  EXPECT_EQ(r.m(0, 0), 1.0);
  EXPECT_EQ(r.m(0, 1), 0.0);
  EXPECT_EQ(r.m(0, 2), 0.0);  // stays 0.0 although "3" follows
  EXPECT_STREQ(r.m.getname(), "a");
  // Failing inside a row: what was read stays, in every column.
  ExpectReads("# name: b\n# type: matrix\n# rows: 3\n# columns: 3\n 1 2 3\n 4 5 oops\n 7 8 9\n", "b", 3, 3,
              {1, 4, 0, 2, 5, 0, 3, 0, 0}, true);
}

// Texts of 59 to 84 bytes the fuzzer made, whose headers (any two words before
// each count, a count ended by its first non-digit) declare 41 to 63 million
// elements: above the cap, so refused before anything is allocated. With the
// huge count made small, the same text shows what its header gave: the shape,
// the name, the element that could be read and 0.0 in all after it.
TEST(MatrixTextReader, TinyTextsDeclaringMillionsOfElements) {
  using namespace std::string_literals;
  struct Case {
    std::string text;
    const char* count;
    const char* small;
    int32_t rows, cols;
    const char* name;
    double first;
  };
  const Case cases[] = {
      {"# name: h\n# \x93\x86\x9a\xc5 matrix\n# rowz# 62583A60[2\x1e" "32\x86\xff\n# 1000\x9f" "0000000\n"s,
       "62583", "2", 2, 1000, "h", 0.0},
      {"# name: A\n# t matrix\n# :7\f\f0000000012307777+\f\f00000\v5t m3P\x00"s, "12307777", "3", 3, 5, "A", 0.0},
      {"# name: A\n# type: matrix\n# : 6\n 1 2\x04" "3\n 6888888\x9b\x9b\x9b\x9b\x9b\x9b\x9b\x9b\x9b\x9b\x9b\x9b"
       "88888888885 4\n"s,
       "6888888", "3", 6, 3, "A", 0.0},
      {"# name: A\n# t matrix\n# :5554+\f\f0000000012307777+\f\f00000\v5\f0000000012307777+\f\f060 3\n0"s, "12307777",
       "2", 2, 5, "A", 12307777.0},
  };
  for (const Case& c : cases) {
    Reading huge(c.text);
    EXPECT_TRUE(huge.failed) << c.count;
    ExpectNoStorage(huge);

    std::string text = c.text;
    text.replace(text.find(c.count), std::strlen(c.count), c.small);
    Reading r(text);
    EXPECT_TRUE(r.failed) << c.count;
    ASSERT_EQ(r.m.rows(), c.rows);
    ASSERT_EQ(r.m.cols(), c.cols);
    EXPECT_STREQ(r.m.getname(), c.name);
    EXPECT_EQ(r.m(0, 0), c.first) << c.count;
    for (std::ptrdiff_t k = 1; k < r.m.size(); ++k) ASSERT_EQ(r.m.data()[k], 0.0) << c.count << ' ' << k;
  }
  // The cap itself: one row more than a 4096 x 4096 matrix is refused.
  Reading above("# name: a\n# type: matrix\n# rows: 4097\n# columns: 4096\n 1\n");
  EXPECT_TRUE(above.failed);
  ExpectNoStorage(above);
}

// The titled listing, four elements a line in storage order.
std::string Titled(int32_t rows, int32_t cols, const char* name) {
  std::ostringstream out;
  writetitled(out, Sequence(rows, cols, name));
  return out.str();
}

TEST(MatrixListings, TableAndTitled) {
  std::ostringstream table;
  testing::internal::CaptureStdout();
  writetable(table, Sequence(2, 2, "t"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "\n");
  // Storage is column by column: row 0 holds elements 1 and 3.
  EXPECT_EQ(table.str(), "1\t3\t\n2\t4\t\n");
  EXPECT_EQ(Titled(3, 3, "M"), "****** M:\n1 2 3 4\n5 6 7 8\n9\n");
  EXPECT_EQ(Titled(1, 4, "r"), "****** r:\n1 2 3 4\n");
  EXPECT_EQ(Titled(2, 1, nullptr), "****** :\n1 2\n");
}

}  // namespace

}  // namespace adaptive
