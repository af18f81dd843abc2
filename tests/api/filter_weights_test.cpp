// A filter's coefficients between samples: equal to its final-weights files
// for every token, recorded every k samples across calls, and refused with a
// reason for a loaded plug-in.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
  Filter::Parameters parameters;
  for (size_t k : token.lengthParameters()) parameters.emplace_back(token.parameterNames[k], 3);
  if (token.parameterIndex("Denominator Coeffs") >= 0) parameters.emplace_back("Denominator Coeffs", 3);
  return parameters;
}


std::string Line(double value) {
  std::FILE* file = std::tmpfile();
  WriteCoefficientLine(file, value);
  std::rewind(file);
  char text[64] = {};
  const bool read = std::fgets(text, sizeof text, file) != nullptr;
  std::fclose(file);
  return read ? std::string(text, std::strlen(text) - 1) : "";
}

// The lines of a final-weights file that hold numbers, in order.
std::vector<std::string> NumberLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.find("Coefficients") == std::string::npos) lines.push_back(line);
  }
  return lines;
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
      const std::string name = channels.size() == 1 ? "w.txt" : "w" + std::to_string(c + 1) + ".txt";
      const std::vector<std::string> lines = NumberLines(ReadFileText(name));
      const ChannelWeights& w = channels[c];
      ASSERT_EQ(w.numerator.size(), 3u);
      ASSERT_EQ(w.denominator.size(), token.parameterIndex("Denominator Coeffs") >= 0 ? 3u : 1u);
      ASSERT_EQ(lines.size(), w.numerator.size() + w.denominator.size());
      std::vector<double> values = w.numerator;
      values.insert(values.end(), w.denominator.begin(), w.denominator.end());
      bool moved = false;
      for (size_t k = 0; k < values.size(); ++k) {
        const bool leadingOne = k == w.numerator.size();
        // The file's text is this value formatted, and reads back to it
        // within half a unit of its 16th digit and the parse's rounding.
        EXPECT_EQ(lines[k], leadingOne ? "1" : Line(values[k])) << k;
        const double parsed = std::strtod(lines[k].c_str(), nullptr);
        EXPECT_LE(std::fabs(parsed - values[k]), 6.2e-16 * std::fabs(values[k])) << k;
        moved = moved || (!leadingOne && values[k] != 0.0);
      }
      EXPECT_TRUE(moved) << "the coefficients never adapted";
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
  const std::vector<double> first = recorded.process(std::vector<double>(in.begin(), in.begin() + 2 * 30), history);
  const std::vector<double> second = recorded.process(std::vector<double>(in.begin() + 2 * 30, in.end()), history);
  ASSERT_EQ(history.rows(), 4u);  // after samples 16, 32, 48, 64 of 70
  ASSERT_EQ(history.columns(), 5u);  // 3 numerator, 2 feedback
  std::vector<double> outputs;
  for (size_t n = 0; n < 70; ++n) {
    const std::vector<double> out = stepped.step({in[2 * n], in[2 * n + 1]});
    outputs.insert(outputs.end(), out.begin(), out.end());
    if ((n + 1) % 16 != 0) continue;
    const ChannelWeights now = stepped.weights()[0];
    std::vector<double> row = now.numerator;
    row.insert(row.end(), now.denominator.begin() + 1, now.denominator.end());
    const size_t r = (n + 1) / 16 - 1;
    EXPECT_EQ(row, std::vector<double>(history.data().begin() + r * 5, history.data().begin() + (r + 1) * 5)) << r;
  }
  std::vector<double> joined = first;
  joined.insert(joined.end(), second.begin(), second.end());
  EXPECT_EQ(joined, outputs);
  EXPECT_THROW(WeightsHistory(0), std::invalid_argument);
}

TEST(FilterWeights, ALoadedPluginSaysWhyItHasNoneAndRunsNothing) {
  Filter loaded(Library::load(ADAPTIVE_PLUGIN_PATH), "NLMS", {}, "");
  try {
    loaded.weights();
    FAIL() << "read";
  } catch (const std::logic_error& e) {
    EXPECT_NE(std::string(e.what()).find("loaded from a file shows them only in its final-weights files"),
              std::string::npos)
        << e.what();
  }
  WeightsHistory history(1);
  std::vector<double> out(3, 7.0);
  const std::vector<double> in{1.0, 1.0};
  EXPECT_THROW(loaded.process(in.data(), 1, out.data(), history), std::logic_error);
  EXPECT_EQ(out, std::vector<double>(3, 7.0));
  loaded.close();
  Filter closed("NLMS");
  closed.close();
  EXPECT_THROW(closed.weights(), std::logic_error);
}

}  // namespace

}  // namespace adaptive
