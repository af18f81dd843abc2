// CSV sample files and number text: what a run reads, hostile files
// included, and what it writes.
#if defined(ADAPTSIM_PATH)

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <sstream>

#include "adaptsim/io/csv.h"
#include "adaptive/number_text.h"

namespace {

bool ReadCsv(const std::string& text, size_t columns, SampleTable* table, std::string* error) {
  std::istringstream in(text);
  return ReadSampleCsv(in, columns, table, error);
}

TEST(SampleCsv, ReadsRowsAndRejectsMalformedOnesWithTheirLineNumbers) {
  SampleTable table;
  std::string error;
  ASSERT_TRUE(ReadCsv("Input,Desired\r\n1,2\r\n\n  -2.5 , 1e-3\nnan,inf\n-inf,-0\n", 2, &table, &error)) << error;
  ASSERT_EQ(table.rows(), 4u);
  EXPECT_EQ(std::vector<double>(&table.values[0], &table.values[4]), (std::vector<double>{1, 2, -2.5, 1e-3}));
  EXPECT_TRUE(std::isnan(table.row(2)[0]));
  EXPECT_EQ(table.row(2)[1], INFINITY);
  EXPECT_EQ(table.row(3)[0], -INFINITY);
  EXPECT_TRUE(std::signbit(table.row(3)[1]));
  // Without a header the first line is data; a header alone gives no rows.
  ASSERT_TRUE(ReadCsv("3,4\n", 2, &table, &error));
  EXPECT_EQ(table.values, (std::vector<double>{3, 4}));
  ASSERT_TRUE(ReadCsv("x,d\n", 2, &table, &error));
  EXPECT_EQ(table.rows(), 0u);

  const struct {
    const char* text;
    const char* message;
  } bad[] = {
      {"Input,Desired\n1,2\n1,abc\n4,5\n", "line 3: column 2 is not a number: \"abc\""},
      {"1,2\n\n3\n", "line 3: 1 column, expected 2 columns"},
      {"1,2,3\n", "line 1: 3 columns"},
      {"Input\n1,2\n", "line 1:"},  // a header with the wrong number of names
      {"1,2\nx,d\n", "line 2:"},    // only the first line may be names
      {"1,\n", "line 1:"},          // empty fields and trailing text are no numbers
      {"1,2x\n", "line 1:"},
      {"1;2\n", "line 1:"},
  };
  for (const auto& c : bad) {
    EXPECT_FALSE(ReadCsv(c.text, 2, &table, &error)) << c.text;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.text << ": " << error;
    EXPECT_EQ(table.rows(), 0u) << c.text;
  }
}

TEST(SampleCsv, WrittenRowsReadBackBitForBit) {
  const double values[] = {0.1, 1.0 / 3.0, -0.0, 4.9e-324, DBL_MAX, -1e-310, 0.98, INFINITY, std::nan("")};
  const size_t count = sizeof values / sizeof values[0];
  std::ostringstream out;
  WriteCsvRow(out, values, count);
  SampleTable table;
  std::string error;
  ASSERT_TRUE(ReadCsv(out.str(), count, &table, &error)) << error;
  ASSERT_EQ(table.rows(), 1u);
  for (size_t i = 0; i + 1 < count; ++i) EXPECT_EQ(std::memcmp(&values[i], &table.row(0)[i], sizeof(double)), 0) << i;
  EXPECT_TRUE(std::isnan(table.row(0)[count - 1]));
}

// Bytes made up as they are read: a hostile input of any length without the
// test holding it.
class MadeUpSource : public ByteSource {
 public:
  MadeUpSource(std::string head, char filler, size_t length) : head(std::move(head)), filler(filler), length(length) {}
  long read(char* buffer, size_t size) override {
    size_t n = 0;
    while (n < size && given < length) {
      buffer[n++] = given < head.size() ? head[given] : filler;
      ++given;
    }
    return static_cast<long>(n);
  }
  size_t given = 0;

 private:
  std::string head;
  char filler;
  size_t length;
};

// Files made to break a reader: each gets a clear error or simply works, and
// none makes the reader hold more than its line limit.
TEST(SampleCsv, HostileFilesGetAClearErrorWithBoundedMemoryAndByteOrderMarksAndCrlfJustWork) {
  SampleTable table;
  std::string error;
  // A byte-order mark before the port names or before the first number, and
  // CRLF line ends: read as if they were not there.
  ASSERT_TRUE(ReadCsv("\xEF\xBB\xBFInput,Desired\r\n1,2\r\n3,4\r\n", 2, &table, &error)) << error;
  EXPECT_EQ(table.values, (std::vector<double>{1, 2, 3, 4}));
  ASSERT_TRUE(ReadCsv("\xEF\xBB\xBF" "5,6\r\n", 2, &table, &error)) << error;
  EXPECT_EQ(table.values, (std::vector<double>{5, 6}));
  // Only the first line may carry the mark.
  EXPECT_FALSE(ReadCsv("1,2\n\xEF\xBB\xBF" "3,4\n", 2, &table, &error));
  EXPECT_NE(error.find("line 2: column 1 is not a number"), std::string::npos) << error;
  // An empty file, and one of blank lines: no rows, no error.
  ASSERT_TRUE(ReadCsv("", 2, &table, &error));
  EXPECT_EQ(table.rows(), 0u);
  ASSERT_TRUE(ReadCsv("\n\r\n  \n", 2, &table, &error));
  EXPECT_EQ(table.rows(), 0u);
  // NUL bytes: not text, even where they would pass for a line of names; the
  // message shows control bytes escaped.
  for (const std::string& text : {std::string("1,2\n3,\0" "4\n", 9), std::string("\0,\0\n1,2\n", 8)}) {
    EXPECT_FALSE(ReadCsv(text, 2, &table, &error));
    EXPECT_NE(error.find("holds a NUL byte"), std::string::npos) << error;
  }
  EXPECT_FALSE(ReadCsv("1,\x1b[2J\n", 2, &table, &error));
  EXPECT_NE(error.find("\"\\x1b[2J\""), std::string::npos) << error;
  // A million columns: refused by their count.
  EXPECT_FALSE(ReadCsv(std::string(999999, ',') + "\n", 2, &table, &error));
  EXPECT_NE(error.find("line 1: 1000000 columns, expected 2 columns"), std::string::npos) << error;

  // A line of 100 MB: refused once it passes the limit, without reading (or
  // keeping) the rest.
  MadeUpSource longLine("1,", '1', 100u << 20);
  CsvRowReader reader(longLine, 2);
  double row[2];
  EXPECT_EQ(reader.next(row, &error), CsvRowReader::Status::kError);
  EXPECT_NE(error.find("line 1: longer than 1048576 bytes"), std::string::npos) << error;
  EXPECT_LT(longLine.given, CsvRowReader::kMaxLineBytes + (1u << 17));
  // A row followed by 50 MB of blank lines: one row, then the end.
  MadeUpSource manyLines("7,8\n", '\n', 50u << 20);
  CsvRowReader rows(manyLines, 2);
  EXPECT_EQ(rows.next(row, &error), CsvRowReader::Status::kRow);
  EXPECT_EQ(row[0], 7.0);
  EXPECT_EQ(rows.next(row, &error), CsvRowReader::Status::kEnd);
  EXPECT_EQ(rows.lineNumber(), (50u << 20) - 3);
}

TEST(NumberText, ParsesWholeFieldsAndPrintsShortestExactText) {
  double value = 0;
  EXPECT_TRUE(adaptive::ParseDouble(" -INF ", &value));
  EXPECT_EQ(value, -INFINITY);
  EXPECT_TRUE(adaptive::ParseDouble("1e999", &value));
  EXPECT_EQ(value, INFINITY);
  for (const char* wrong : {"", "  ", "1 2"}) EXPECT_FALSE(adaptive::ParseDouble(wrong, &value)) << wrong;
  EXPECT_EQ(adaptive::FormatShortest(0.00001), "1e-05");
  EXPECT_EQ(adaptive::FormatShortest(1.0 / 3.0), "0.3333333333333333");
  EXPECT_EQ(adaptive::FormatShortest(0.1 + 0.2), "0.30000000000000004");
  // Builds differ in the sign of a NaN and C libraries in its text: every NaN
  // is "nan", and the infinities are the same text in every build.
  const double inf = INFINITY;
  for (double nan : {std::nan(""), -std::nan(""), std::nan("0x5a5a"), inf - inf, -(inf - inf)}) {
    EXPECT_EQ(adaptive::FormatExact(nan), "nan");
    EXPECT_EQ(adaptive::FormatShortest(nan), "nan");
    EXPECT_EQ(adaptive::FormatSignificant(nan, 3), "nan");
  }
  EXPECT_EQ(adaptive::FormatExact(-inf) + adaptive::FormatShortest(inf) + adaptive::FormatSignificant(-inf, 3), "-infinf-inf");
  EXPECT_EQ(adaptive::FormatSignificant(-1234.5, 3), "-1.23e+03");
}

}  // namespace

#endif  // ADAPTSIM_PATH
