// The reusable parts of adaptsim: CSV sample files, number text, option and
// parameter parsing.
#if defined(ADAPTSIM_PATH)

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <sstream>

#include "adaptsim/cli/arguments.h"
#include "adaptsim/io/csv.h"
#include "adaptsim/io/number_text.h"
#include "adaptsim/cli/parameter_settings.h"

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

TEST(NumberText, ParsesWholeFieldsAndPrintsShortestExactText) {
  double value = 0;
  EXPECT_TRUE(ParseDouble(" -INF ", &value));
  EXPECT_EQ(value, -INFINITY);
  EXPECT_TRUE(ParseDouble("1e999", &value));
  EXPECT_EQ(value, INFINITY);
  for (const char* wrong : {"", "  ", "1 2"}) EXPECT_FALSE(ParseDouble(wrong, &value)) << wrong;
  EXPECT_EQ(FormatShortest(0.00001), "1e-05");
  EXPECT_EQ(FormatShortest(1.0 / 3.0), "0.3333333333333333");
  EXPECT_EQ(FormatShortest(0.1 + 0.2), "0.30000000000000004");
}

TEST(Arguments, AcceptsEveryFormOfOptionAndRejectsUnknownOnesAndMisplacedValues) {
  const std::vector<OptionSpec> specs = {
      {"parameter", 'p', "NAME=VALUE", ""}, {"in", 0, "FILE", ""}, {"help", 'h', nullptr, ""}};
  ParsedArguments parsed;
  std::string error;
  ASSERT_TRUE(ParseArguments({"LMS", "-p", "Mu Forward=0.5", "-p2=1", "--in=a.csv", "--parameter", "0=3", "--in",
                              "b.csv", "-h", "-", "--", "--in"},
                             specs, &parsed, &error))
      << error;
  EXPECT_EQ(parsed.positionals, (std::vector<std::string>{"LMS", "-", "--in"}));
  EXPECT_EQ(parsed.all("parameter"), (std::vector<std::string>{"Mu Forward=0.5", "2=1", "0=3"}));
  EXPECT_EQ(parsed.last("in", "-"), "b.csv");
  EXPECT_EQ(parsed.last("out", "fallback"), "fallback");
  EXPECT_TRUE(parsed.has("help"));

  const struct {
    std::vector<std::string> words;
    const char* message;
  } bad[] = {{{"--out", "x"}, "unknown option --out"},
             {{"-x"}, "unknown option -x"},
             {{"LMS", "-p"}, "option -p needs a value (NAME=VALUE)"},
             {{"--help=yes"}, "option --help=yes takes no value"}};
  for (const auto& c : bad) {
    EXPECT_FALSE(ParseArguments(c.words, specs, &parsed, &error));
    EXPECT_EQ(error, c.message);
  }
}

TEST(ParameterSettings, SetsByExactNameOrIndexAndRejectsAnythingElse) {
  TokenInfo token;
  token.name = "LMS2";
  token.parameterNames = {"Numerator Coeffs  1", "Mu 1", "Leakage 1", "Numerator Coeffs  2", "Mu 2", "Leakage 2"};
  token.parameterDefaults = {10, 0.01, 1, 10, 0.01, 1};
  std::vector<double> values = token.parameterDefaults;
  std::string error;
  // One blank is not the catalogue's name: the error lists the real ones.
  EXPECT_FALSE(ApplyParameterSetting(token, "Numerator Coeffs 1=4", &values, &error));
  for (const char* part : {"no parameter \"Numerator Coeffs 1\"", "0  \"Numerator Coeffs  1\"", "5  \"Leakage 2\""}) {
    EXPECT_NE(error.find(part), std::string::npos) << error;
  }
  EXPECT_FALSE(ApplyParameterSetting(token, "Mu 1=fast", &values, &error));
  EXPECT_NE(error.find("\"fast\""), std::string::npos) << error;
  for (const char* wrong : {"6=1", "99999999999999999999=1", "Mu 1=", "Mu 1"}) {
    EXPECT_FALSE(ApplyParameterSetting(token, wrong, &values, &error)) << wrong;
  }
  EXPECT_EQ(values, token.parameterDefaults);

  for (const char* setting : {"Numerator Coeffs  2=4", "1=0.5", "Mu 2=nan", "5=-inf"}) {
    ASSERT_TRUE(ApplyParameterSetting(token, setting, &values, &error)) << error;
  }
  EXPECT_EQ(std::vector<double>(values.begin(), values.begin() + 4), (std::vector<double>{10, 0.5, 1, 4}));
  EXPECT_TRUE(std::isnan(values[4]));
  EXPECT_EQ(values[5], -INFINITY);
}

}  // namespace

#endif  // ADAPTSIM_PATH
