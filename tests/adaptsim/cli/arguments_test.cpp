// Command-line options and parameter settings of adaptsim's commands.
#if defined(ADAPTSIM_PATH)

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "adaptsim/cli/arguments.h"
#include "adaptsim/cli/cli.h"
#include "adaptive/name_match.h"

using adaptive::MatchName;
#include "adaptsim/cli/parameter_settings.h"

namespace {

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

TEST(ParameterSettings, SetsByNameInAnyCaseWithOneBlankOrIndexAndRejectsAnythingElse) {
  TokenInfo token;
  token.name = "LMS2";
  token.parameterNames = {"Numerator Coeffs  1", "Mu 1", "Leakage 1", "Numerator Coeffs  2", "Mu 2", "Leakage 2"};
  token.parameterDefaults = {10, 0.01, 1, 10, 0.01, 1};
  std::vector<double> values = token.parameterDefaults;
  std::string error;
  // A name that matches nothing: the error lists the real ones.
  EXPECT_FALSE(ApplyParameterSetting(token, "Numerator Coeffs 3=4", &values, &error));
  for (const char* part : {"no parameter \"Numerator Coeffs 3\"", "0  \"Numerator Coeffs  1\"", "5  \"Leakage 2\""}) {
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

  // One blank before the channel number, any letter case.
  values = token.parameterDefaults;
  for (const char* setting : {"Numerator Coeffs 1=3", "numerator coeffs  2=5", "MU 1=0.25", "leakage 2 =0.5"}) {
    ASSERT_TRUE(ApplyParameterSetting(token, setting, &values, &error)) << setting << ": " << error;
  }
  EXPECT_EQ(values, (std::vector<double>{3, 0.25, 1, 5, 0.01, 0.5}));
}

TEST(NameMatch, ExactFirstThenTheOneLooseMatchAndNeverAGuess) {
  const std::vector<std::string> names{"LMS", "NLMS", "Mu 1", "MU  1", "Numerator Coeffs  1"};
  std::vector<std::string> candidates;
  EXPECT_EQ(MatchName(names, "NLMS", &candidates), 1);
  EXPECT_EQ(MatchName(names, "nlms", &candidates), 1);
  EXPECT_EQ(MatchName(names, "Mu 1", &candidates), 2);  // exact wins over the loose pair
  EXPECT_EQ(MatchName(names, "numerator coeffs 1", &candidates), 4);
  EXPECT_EQ(MatchName(names, "mu 1", &candidates), -2);
  EXPECT_EQ(candidates, (std::vector<std::string>{"Mu 1", "MU  1"}));
  for (const char* none : {"LMS2", "NumeratorCoeffs1", "", "Mu"}) EXPECT_EQ(MatchName(names, none, &candidates), -1) << none;
}

// A word pasted by mistake (a whole file) is cut in every message that
// echoes it; before, a name of 10^6 characters came back whole.
TEST(NameMatch, LongWordsAreCutInEveryMessage) {
  const std::string pasted(1000000, 'x');
  const std::string shown = std::string(59, 'x') + "...";  // after "--" too
  const std::vector<std::vector<std::string>> lines{
      {pasted},
      {"run", pasted},
      {"run", "LMS", "--" + pasted},
      {"run", "LMS", "-p", pasted + "=1"},
      {"run", "LMS", "-p", "Mu Forward=" + pasted},
      {"run", "LMS", "--rate", pasted},
      {"run", "LMS", "--outputs", pasted}};
  for (const std::vector<std::string>& words : lines) {
    std::istringstream in;
    std::ostringstream out, err;
    CommandIo io{in, out, err};
    std::vector<std::string> line{"--library", ADAPTIVE_PLUGIN_PATH};
    line.insert(line.end(), words.begin(), words.end());
    EXPECT_EQ(RunCommandLine(line, io, CommandReach::kCheckOnly), 2) << words.size();
    EXPECT_NE(err.str().find(shown), std::string::npos) << err.str();
    EXPECT_LT(err.str().size(), 1000u) << err.str().substr(0, 200);
  }
  EXPECT_EQ(adaptive::Shown(std::string(64, 'y')), std::string(64, 'y'));  // up to the limit, whole
}

}  // namespace

#endif  // ADAPTSIM_PATH
