// The reusable parts of adaptsim: CSV sample files, number text, option and
// parameter parsing.
#if defined(ADAPTSIM_PATH)

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>

#include "sim/arguments.h"
#include "sim/csv.h"
#include "sim/number_text.h"
#include "sim/parameter_settings.h"

namespace {

bool ReadCsv(const std::string& text, size_t columns, SampleTable* table, std::string* error) {
  std::istringstream in(text);
  return ReadSampleCsv(in, columns, table, error);
}

TEST(SampleCsv, ReadsRowsSkippingHeaderAndBlankLines) {
  SampleTable table;
  std::string error;
  ASSERT_TRUE(ReadCsv("Input,Desired\r\n1,2\r\n\n  -2.5 , 1e-3\nnan,inf\n-inf,-0\n", 2, &table, &error)) << error;
  ASSERT_EQ(table.rows(), 4u);
  EXPECT_EQ(table.row(0)[0], 1.0);
  EXPECT_EQ(table.row(0)[1], 2.0);
  EXPECT_EQ(table.row(1)[0], -2.5);
  EXPECT_EQ(table.row(1)[1], 1e-3);
  EXPECT_TRUE(std::isnan(table.row(2)[0]));
  EXPECT_EQ(table.row(2)[1], std::numeric_limits<double>::infinity());
  EXPECT_EQ(table.row(3)[0], -std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::signbit(table.row(3)[1]));

  // Without a header the first line is data; a header alone gives no rows.
  ASSERT_TRUE(ReadCsv("3,4\n", 2, &table, &error));
  ASSERT_EQ(table.rows(), 1u);
  EXPECT_EQ(table.row(0)[0], 3.0);
  ASSERT_TRUE(ReadCsv("x,d\n", 2, &table, &error));
  EXPECT_EQ(table.rows(), 0u);
}

TEST(SampleCsv, RejectsMalformedRowsWithTheirLineNumbers) {
  SampleTable table;
  std::string error;
  EXPECT_FALSE(ReadCsv("Input,Desired\n1,2\n1,abc\n4,5\n", 2, &table, &error));
  EXPECT_NE(error.find("line 3:"), std::string::npos) << error;
  EXPECT_NE(error.find("\"abc\""), std::string::npos) << error;
  EXPECT_EQ(table.rows(), 0u);

  EXPECT_FALSE(ReadCsv("1,2\n\n3\n", 2, &table, &error));
  EXPECT_NE(error.find("line 3: 1 column, expected 2 columns"), std::string::npos) << error;
  EXPECT_FALSE(ReadCsv("1,2,3\n", 2, &table, &error));
  EXPECT_NE(error.find("line 1: 3 columns"), std::string::npos) << error;
  // A header with the wrong number of names is as wrong as a short row.
  EXPECT_FALSE(ReadCsv("Input\n1,2\n", 2, &table, &error));
  EXPECT_NE(error.find("line 1:"), std::string::npos) << error;
  // Only the first line may be names; empty fields and trailing text are no numbers.
  EXPECT_FALSE(ReadCsv("1,2\nx,d\n", 2, &table, &error));
  EXPECT_NE(error.find("line 2:"), std::string::npos) << error;
  EXPECT_FALSE(ReadCsv("1,\n", 2, &table, &error));
  EXPECT_FALSE(ReadCsv("1,2x\n", 2, &table, &error));
  EXPECT_FALSE(ReadCsv("1;2\n", 2, &table, &error));
}

TEST(SampleCsv, WrittenRowsReadBackBitForBit) {
  const double values[] = {0.1, 1.0 / 3.0, -0.0, 4.9e-324, DBL_MAX, -1e-310, 0.98,
                           std::numeric_limits<double>::infinity(), std::nan("")};
  const size_t count = sizeof values / sizeof values[0];
  std::ostringstream out;
  WriteCsvHeader(out, {"a", "b", "c", "d", "e", "f", "g", "h", "i"});
  WriteCsvRow(out, values, count);
  EXPECT_EQ(out.str().substr(0, 18), "a,b,c,d,e,f,g,h,i\n");

  SampleTable table;
  std::string error;
  ASSERT_TRUE(ReadCsv(out.str(), count, &table, &error)) << error;
  ASSERT_EQ(table.rows(), 1u);
  for (size_t i = 0; i + 1 < count; ++i) {
    EXPECT_EQ(std::memcmp(&values[i], &table.row(0)[i], sizeof(double)), 0) << i;
  }
  EXPECT_TRUE(std::isnan(table.row(0)[count - 1]));
}

TEST(NumberText, ParsesWholeFieldsAndPrintsShortestExactText) {
  double value = 0;
  EXPECT_TRUE(ParseDouble(" -INF ", &value));
  EXPECT_EQ(value, -std::numeric_limits<double>::infinity());
  EXPECT_TRUE(ParseDouble("1e999", &value));
  EXPECT_EQ(value, std::numeric_limits<double>::infinity());
  EXPECT_FALSE(ParseDouble("", &value));
  EXPECT_FALSE(ParseDouble("  ", &value));
  EXPECT_FALSE(ParseDouble("1 2", &value));

  EXPECT_EQ(FormatShortest(10), "10");
  EXPECT_EQ(FormatShortest(0.01), "0.01");
  EXPECT_EQ(FormatShortest(0.00001), "1e-05");
  EXPECT_EQ(FormatShortest(1.0 / 3.0), "0.3333333333333333");
  EXPECT_EQ(FormatShortest(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(FormatExact(0.98), "0.97999999999999998");
}

const std::vector<OptionSpec> kSpecs = {
    {"parameter", 'p', "NAME=VALUE", ""}, {"in", 0, "FILE", ""}, {"help", 'h', nullptr, ""}};

TEST(Arguments, AcceptsEveryFormOfOptionAndValue) {
  ParsedArguments parsed;
  std::string error;
  ASSERT_TRUE(ParseArguments({"LMS", "-p", "Mu Forward=0.5", "-p2=1", "--in=a.csv", "--parameter",
                              "0=3", "--in", "b.csv", "-h", "-", "--", "--in"},
                             kSpecs, &parsed, &error))
      << error;
  EXPECT_EQ(parsed.positionals, (std::vector<std::string>{"LMS", "-", "--in"}));
  EXPECT_EQ(parsed.all("parameter"), (std::vector<std::string>{"Mu Forward=0.5", "2=1", "0=3"}));
  EXPECT_EQ(parsed.last("in", "-"), "b.csv");
  EXPECT_EQ(parsed.last("out", "fallback"), "fallback");
  EXPECT_TRUE(parsed.has("help"));
}

TEST(Arguments, RejectsUnknownOptionsAndMisplacedValues) {
  ParsedArguments parsed;
  std::string error;
  EXPECT_FALSE(ParseArguments({"--out", "x"}, kSpecs, &parsed, &error));
  EXPECT_EQ(error, "unknown option --out");
  EXPECT_FALSE(ParseArguments({"-x"}, kSpecs, &parsed, &error));
  EXPECT_EQ(error, "unknown option -x");
  EXPECT_FALSE(ParseArguments({"LMS", "-p"}, kSpecs, &parsed, &error));
  EXPECT_EQ(error, "option -p needs a value (NAME=VALUE)");
  EXPECT_FALSE(ParseArguments({"--help=yes"}, kSpecs, &parsed, &error));
  EXPECT_EQ(error, "option --help=yes takes no value");
}

TokenInfo TwoChannelToken() {
  TokenInfo token;
  token.name = "LMS2";
  token.parameterNames = {"Numerator Coeffs  1", "Mu 1", "Leakage 1", "Numerator Coeffs  2", "Mu 2", "Leakage 2"};
  token.parameterDefaults = {10, 0.01, 1, 10, 0.01, 1};
  return token;
}

TEST(ParameterSettings, SetsByExactNameOrIndex) {
  const TokenInfo token = TwoChannelToken();
  std::vector<double> values = token.parameterDefaults;
  std::string error;
  ASSERT_TRUE(ApplyParameterSetting(token, "Numerator Coeffs  2=4", &values, &error)) << error;
  ASSERT_TRUE(ApplyParameterSetting(token, "1=0.5", &values, &error)) << error;
  ASSERT_TRUE(ApplyParameterSetting(token, "Mu 2=nan", &values, &error)) << error;
  ASSERT_TRUE(ApplyParameterSetting(token, "5=-inf", &values, &error)) << error;
  EXPECT_EQ(values[0], 10);
  EXPECT_EQ(values[1], 0.5);
  EXPECT_EQ(values[2], 1);
  EXPECT_EQ(values[3], 4);
  EXPECT_TRUE(std::isnan(values[4]));
  EXPECT_EQ(values[5], -std::numeric_limits<double>::infinity());
}

TEST(ParameterSettings, RejectsUnknownNamesBadIndicesAndValues) {
  const TokenInfo token = TwoChannelToken();
  std::vector<double> values = token.parameterDefaults;
  std::string error;
  // One blank is not the catalogue's name: the error lists the real ones.
  EXPECT_FALSE(ApplyParameterSetting(token, "Numerator Coeffs 1=4", &values, &error));
  EXPECT_NE(error.find("no parameter \"Numerator Coeffs 1\""), std::string::npos) << error;
  EXPECT_NE(error.find("0  \"Numerator Coeffs  1\""), std::string::npos) << error;
  EXPECT_NE(error.find("5  \"Leakage 2\""), std::string::npos) << error;
  EXPECT_FALSE(ApplyParameterSetting(token, "6=1", &values, &error));
  EXPECT_FALSE(ApplyParameterSetting(token, "99999999999999999999=1", &values, &error));
  EXPECT_FALSE(ApplyParameterSetting(token, "Mu 1=fast", &values, &error));
  EXPECT_NE(error.find("\"fast\""), std::string::npos) << error;
  EXPECT_FALSE(ApplyParameterSetting(token, "Mu 1=", &values, &error));
  EXPECT_FALSE(ApplyParameterSetting(token, "Mu 1", &values, &error));
  EXPECT_EQ(values, token.parameterDefaults);
}

}  // namespace

#endif  // ADAPTSIM_PATH
