// A filter's coefficients between samples: equal to its final-weights files
// for every token, recorded every k samples across calls, and refused with a
// reason for a loaded plug-in.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "adaptive/filter.h"
#include "tests/support/file_text.h"
#include "tests/support/token_inputs.h"
#include "tokens/coefficient_text.h"

namespace adaptive {

namespace {

// Every length at 3 (the recursive tokens with two feedback coefficients).
Filter::Parameters SmallFilter(const TokenInfo& token) {
  Filter::Parameters parameters = ShortFilter(token);
  if (token.parameterIndex("Denominator Coeffs") >= 0) parameters.emplace_back("Denominator Coeffs", 3);
  return parameters;
}

// `value` as the final-weights file writes it, without the line feed.
std::string Line(double value) {
  std::FILE* file = std::tmpfile();
  WriteCoefficientLine(file, value);
  std::rewind(file);
  char text[64] = {};
  const bool read = std::fscanf(file, "%63[^\n]", text) == 1;
  std::fclose(file);
  return read ? text : "";
}

TEST(FilterWeights, EqualTheFinalWeightsFilesOfEveryTokenToTheLastDigit) {
  for (const TokenInfo& token : tokens()) {
    SCOPED_TRACE(token.name);
    Filter filter(token.name, SmallFilter(token), "w.txt");
    filter.process(TokenInputs(token, 200, 0.5));
    const std::vector<ChannelWeights> channels = filter.weights();
    filter.close();
    ASSERT_EQ(channels.size(), static_cast<size_t>(token.filterChannels()));
    for (size_t c = 0; c < channels.size(); ++c) {
      const ChannelWeights& w = channels[c];
      ASSERT_EQ(w.numerator.size(), 3u);
      ASSERT_EQ(w.denominator.size(), token.parameterIndex("Denominator Coeffs") >= 0 ? 3u : 1u);
      std::vector<double> values = w.numerator;
      values.insert(values.end(), w.denominator.begin(), w.denominator.end());
      // The numbers of the file, in order: the file's text is each value
      // formatted, and reads back to it within half a unit of its 16th
      // digit and the parse's rounding.
      std::istringstream file(ReadFileText(channels.size() == 1 ? "w.txt" : "w" + std::to_string(c + 1) + ".txt"));
      size_t k = 0;
      for (std::string line; std::getline(file, line);) {
        if (line.empty() || line.find("Coefficients") != std::string::npos) continue;
        ASSERT_LT(k, values.size());
        EXPECT_EQ(line, k == w.numerator.size() ? "1" : Line(values[k])) << k;
        EXPECT_LE(std::fabs(std::strtod(line.c_str(), nullptr) - values[k]), 6.2e-16 * std::fabs(values[k])) << k;
        ++k;
      }
      EXPECT_EQ(k, values.size());
      EXPECT_NE(w.numerator, std::vector<double>(3, 0.0)) << "the coefficients never adapted";
    }
  }
}

TEST(FilterWeights, QrBeforeItsTriangleFillsIsUndeterminedAsItsFileSays) {
  Filter filter("QR1", {{"Numerator Coeffs", 3}}, "qr.txt");
  filter.step({0.5, 1.0});
  const std::vector<ChannelWeights> channels = filter.weights();
  filter.close();
  ASSERT_EQ(channels.size(), 1u);
  ASSERT_EQ(channels[0].numerator.size(), 3u);
  for (double w : channels[0].numerator) EXPECT_TRUE(std::isnan(w));
  EXPECT_EQ(ReadFileText("qr.txt"), "Matrix close to singular...\n");
}

TEST(FilterWeights, HistoryRecordsEveryKSamplesAcrossCallsAsStepsSeeThem) {
  const TokenInfo& token = Library::linked().token("LMS");
  const std::vector<double> in = TokenInputs(token, 70, 0.5);
  Filter recorded("LMS", SmallFilter(token));
  Filter stepped("LMS", SmallFilter(token));
  WeightsHistory history(16);
  std::vector<double> outputs = recorded.process(std::vector<double>(in.begin(), in.begin() + 2 * 30), history);
  const std::vector<double> rest = recorded.process(std::vector<double>(in.begin() + 2 * 30, in.end()), history);
  outputs.insert(outputs.end(), rest.begin(), rest.end());
  ASSERT_EQ(history.rows(), 4u);     // after samples 16, 32, 48, 64 of 70
  ASSERT_EQ(history.columns(), 5u);  // 3 numerator, 2 feedback
  for (size_t n = 0; n < 70; ++n) {
    EXPECT_EQ(stepped.step({in[2 * n], in[2 * n + 1]}), std::vector<double>(&outputs[3 * n], &outputs[3 * n + 3]));
    if ((n + 1) % 16 != 0) continue;
    const ChannelWeights now = stepped.weights()[0];
    const double* row = &history.data()[((n + 1) / 16 - 1) * 5];
    EXPECT_EQ(std::vector<double>(row, row + 3), now.numerator) << n;
    EXPECT_EQ(std::vector<double>(row + 3, row + 5), std::vector<double>(now.denominator.begin() + 1, now.denominator.end()));
  }
  EXPECT_THROW(WeightsHistory(0), std::invalid_argument);
}

// One history across filters keeps its rows × columns layout: a filter with
// rows of another width is refused before it runs a sample, the rows kept.
TEST(FilterWeights, AHistoryRefusesASecondWidthAndKeepsItsRows) {
  const TokenInfo& token = Library::linked().token("NLMS");
  const std::vector<double> in = TokenInputs(token, 3, 0.5);
  Filter four("NLMS", {{"Numerator Coeffs", 4}});
  Filter seven("NLMS", {{"Numerator Coeffs", 7}});
  Filter alsoFour("NLMS", {{"Numerator Coeffs", 4}});
  WeightsHistory history(1);
  four.process(in, history);
  const std::vector<double> rows = history.data();
  ASSERT_EQ(history.rows(), 3u);
  ASSERT_EQ(history.columns(), 4u);
  try {
    seven.process(in, history);
    FAIL() << "a second width was taken";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "this weights history holds rows of 4 coefficients, but the NLMS filter has 7: give each "
                           "filter a history of its own");
  }
  EXPECT_EQ(history.data(), rows);
  EXPECT_EQ(history.columns(), 4u);
  EXPECT_EQ(seven.weights()[0].numerator, std::vector<double>(7, 0.0));  // no sample ran
  alsoFour.process(in, history);
  EXPECT_EQ(history.rows(), 6u);
}

TEST(FilterWeights, ALoadedPluginSaysWhyItHasNoneAndRunsNothing) {
  Filter loaded(Library::load(ADAPTIVE_PLUGIN_PATH), "NLMS", {}, "");
  try {
    loaded.weights();
    FAIL() << "read";
  } catch (const std::logic_error& e) {
    EXPECT_NE(std::string(e.what()).find("loaded from a file shows them only in its final-weights files"),
              std::string::npos) << e.what();
  }
  WeightsHistory history(1);
  std::vector<double> out(3, 7.0);
  const std::vector<double> in{1.0, 1.0};
  EXPECT_THROW(loaded.processUnchecked(in.data(), 1, out.data(), history), std::logic_error);
  EXPECT_EQ(out, std::vector<double>(3, 7.0));
}

}  // namespace

}  // namespace adaptive
