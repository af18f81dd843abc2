// The parts of adaptsim's reports that every build has (the Windows
// adaptsim.exe too): final-weights parsing, learning-curve figures, plots,
// pages and the progress bar.
#if defined(ADAPTSIM_PATH)

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cfloat>
#include <cmath>
#include <fstream>
#include <sstream>
#include <thread>

#include "adaptsim/io/final_weights_reader.h"
#include "adaptsim/report/html_report.h"
#include "adaptsim/report/learning_curve.h"
#include "adaptsim/report/progress_bar.h"
#include "adaptsim/report/svg_plot.h"
#include "tests/support/svg_check.h"
#include "api/token_session.h"
#include "tests/support/file_text.h"

namespace adaptive {

namespace {

// Every start tag closed in order, every attribute quoted: enough of XML's
// well-formedness to catch a broken writer.
bool WellFormed(const std::string& xml, std::string* why) {
  std::vector<std::string> open;
  for (size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1)) {
    const size_t end = xml.find('>', at);
    if (end == std::string::npos) return *why = "unterminated tag", false;
    std::string tag = xml.substr(at + 1, end - at - 1);
    if (tag.rfind("!", 0) == 0 || tag.rfind("?", 0) == 0) continue;
    if (std::count(tag.begin(), tag.end(), '"') % 2 != 0) return *why = "odd quotes in <" + tag + ">", false;
    const bool closing = tag[0] == '/';
    const bool empty = tag.back() == '/';
    const std::string name = tag.substr(closing ? 1 : 0, tag.find_first_of(" /", closing ? 1 : 0) - (closing ? 1 : 0));
    if (closing) {
      if (open.empty() || open.back() != name) return *why = "</" + name + "> closes nothing open", false;
      open.pop_back();
    } else if (!empty && name != "meta" && name != "img") {
      open.push_back(name);
    }
  }
  if (!open.empty()) return *why = "<" + open.back() + "> never closed", false;
  return true;
}

TEST(FinalWeightsReader, ReadsEveryLayoutTheTokensWrite) {
  std::ofstream("fwr_rec.txt") << "Numerator Coefficients =2\n5.000000000000000E-01\n-2.500000000000000E-01\n\n"
                                  "Denominator Coefficients =2\n1\n-1.250000000000000E-01\n";
  std::ofstream("fwr_gen.txt") << "Numerator Coefficients =1\n2.000000000000000E+000\nDenominator Coefficients =1\n1\n";
  std::ofstream("fwr_sing.txt") << "Matrix close to singular...\n";
  std::ofstream("fwr_short.txt") << "Numerator Coefficients =3\n1.0E+00\n";
  std::ofstream("fwr_den.txt") << "Numerator Coefficients =1\n1.0E+00\n\nDenominator Coefficients =1\n2\n";

  FinalWeights w;
  std::string error;
  ASSERT_TRUE(ReadFinalWeights("fwr_rec.txt", &w, &error)) << error;
  EXPECT_EQ(w.numerator, (std::vector<double>{0.5, -0.25}));
  EXPECT_EQ(w.denominator, (std::vector<double>{1.0, -0.125}));
  std::vector<double> stacked;
  bool singular = true;
  ASSERT_TRUE(ReadStackedCoefficients({"fwr_rec.txt", "fwr_gen.txt"}, &stacked, &singular, &error)) << error;
  EXPECT_FALSE(singular);
  EXPECT_EQ(stacked, (std::vector<double>{0.5, -0.25, 2.0, 0.125}));  // numerators, then feedback negated back
  ASSERT_TRUE(ReadStackedCoefficients({"fwr_gen.txt", "fwr_sing.txt"}, &stacked, &singular, &error));
  EXPECT_TRUE(singular);
  EXPECT_TRUE(stacked.empty());

  EXPECT_FALSE(ReadFinalWeights("fwr_short.txt", &w, &error));
  EXPECT_NE(error.find("value 2 of 3"), std::string::npos) << error;
  EXPECT_FALSE(ReadFinalWeights("fwr_den.txt", &w, &error));
  EXPECT_NE(error.find("does not start with 1"), std::string::npos) << error;
  EXPECT_FALSE(ReadFinalWeights("fwr_absent.txt", &w, &error));
  EXPECT_FALSE(ReadStackedCoefficients({"fwr_gen.txt", "fwr_absent.txt"}, &stacked, &singular, &error));

  EXPECT_EQ(FinalWeightsPaths("  a.b.c", 1), (std::vector<std::string>{"a.b.c"}));
  EXPECT_EQ(FinalWeightsPaths("a.b.c", 2), (std::vector<std::string>{"a1.b.c", "a2.b.c"}));
  EXPECT_EQ(FinalWeightsPaths("dir/w", 3), (std::vector<std::string>{"dir/w1.txt", "dir/w2.txt", "dir/w3.txt"}));
  EXPECT_TRUE(FinalWeightsPaths("", 1).empty());
}

TEST(LearningCurve, FiguresComeFromTheCurve) {
  // Zero until the desired signal starts, a jump, a decay to 0.01, then flat.
  std::vector<double> power(200, 0.01);
  for (size_t n = 0; n < 10; ++n) power[n] = 0.0;
  for (size_t n = 10; n < 60; ++n) power[n] = std::pow(0.9, static_cast<double>(n - 10));
  EXPECT_DOUBLE_EQ(SteadyStatePower(power), 0.01);
  // 0.9^k <= 0.02 from k = 38, sample 49 (1-based); the low start is ignored.
  EXPECT_EQ(SamplesToReach(power, 0.01, 10 * std::log10(2.0), 0), 49);
  EXPECT_EQ(SamplesToReach(power, 1.0, 3.0, 0), 1);
  power.back() = 5.0;
  EXPECT_EQ(SamplesToReach(power, 0.01, 3.0, 0), -1);
  EXPECT_EQ(AveragedCurve({2.0, 4.0}, 2), (std::vector<double>{1.0, 2.0}));
  EXPECT_TRUE(std::isnan(SteadyStatePower({})));
  EXPECT_EQ(Decibels(0.0), -INFINITY);
  EXPECT_DOUBLE_EQ(Decibels(100.0), 20.0);

  std::vector<double> x, y;
  DecimateForPlot(std::vector<double>(1000, 0.1), 100, &x, &y);
  ASSERT_EQ(x.size(), 100u);
  EXPECT_DOUBLE_EQ(x[0], 5.5);
  EXPECT_DOUBLE_EQ(y[99], -10.0);
}

TEST(Reports, PlotsAndPagesAreWellFormedAndSelfContained) {
  const PlotSeries broken{"a<b & \"c\"", {1, 2, 3, 4, 5}, {-10, -20, NAN, -40, -INFINITY}};
  const PlotSeries dots{"dots", {1, 2}, {0.5, 0.25}, false, true};
  PlotFrame frame;
  frame.title = "T";
  frame.yFloor = -30;
  const std::string svg = RenderSvgPlot(frame, {broken, dots});
  std::string why;
  EXPECT_TRUE(WellFormed(svg, &why)) << why;
  EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
  EXPECT_NE(svg.find("a&lt;b &amp; &quot;c&quot;"), std::string::npos);
  size_t lines = 0, circles = 0;
  for (size_t at = svg.find("<polyline"); at != std::string::npos; at = svg.find("<polyline", at + 1)) ++lines;
  for (size_t at = svg.find("<circle"); at != std::string::npos; at = svg.find("<circle", at + 1)) ++circles;
  EXPECT_EQ(lines, 2u);    // the NaN breaks the line; -inf is drawn at the floor
  EXPECT_EQ(circles, 2u);  // markers only for the second series
  EXPECT_EQ(svg.find("http://", svg.find("xmlns") + 40), std::string::npos);  // nothing to fetch
  EXPECT_TRUE(WellFormed(RenderSvgPlot(frame, {}), &why)) << why;

  HtmlReport report("Report <1>");
  report.heading("Results");
  report.paragraph("½ & more");
  report.table({{"token", "dB"}, {"LMS", "-40.0"}, {"Numerator Coeffs  1", "8"}});
  report.figures({{"curve.svg", svg}});
  std::string error;
  ASSERT_TRUE(report.write("report_test/nested", &error)) << error;
  const std::string page = ReadFileText("report_test/nested/index.html");
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_TRUE(WellFormed(page, &why)) << why;
  EXPECT_NE(page.find("<img src=\"curve.svg\""), std::string::npos);
  EXPECT_NE(page.find("<th>token</th><th>dB</th>"), std::string::npos);
  EXPECT_NE(page.find("Report &lt;1&gt;"), std::string::npos);
  // Both blanks of the catalogue's name stay, and the page keeps them on screen.
  EXPECT_NE(page.find("<td>Numerator Coeffs  1</td>"), std::string::npos);
  EXPECT_NE(page.find("p,th,td{white-space:pre-wrap}"), std::string::npos);
  EXPECT_EQ(page.find("http"), std::string::npos);
  EXPECT_EQ(ReadFileText("report_test/nested/curve.svg"), svg);
  EXPECT_FALSE(report.write("/proc/no/such/place", &error));
}

// Curves that fall to zero power (-inf dB), blow up or hold one huge value
// still give a figure with finite axes; what cannot be drawn is a gap that
// the figure mentions.
TEST(Reports, PlotsOfNonFiniteOrExtremeValuesHaveFiniteCoordinatesAndSayWhatIsLeftOut) {
  const PlotSeries startsAtZeroPower{"zero", {1, 2, 3, 4}, {-INFINITY, -INFINITY, -20, -25}};
  const PlotSeries diverged{"diverged", {1, 2, 3, 4}, {-10, 200, INFINITY, NAN}};
  const PlotSeries huge{"huge", {0, 1, 2}, {1e308, -1e308, DBL_MIN}};
  const PlotSeries constant{"constant", {0, 1}, {1e20, 1e20}, false, true};
  const PlotSeries nothing{"nothing", {1, 2}, {NAN, INFINITY}};
  const PlotFrame frame;  // no floor: -inf dB cannot be drawn
  struct Case {
    std::vector<PlotSeries> series;
    const char* caption;  // nullptr: everything is drawn
  } cases[] = {{{startsAtZeroPower}, "2 values not finite (nan or inf), left as gaps"},
               {{startsAtZeroPower, diverged}, "4 values not finite"},
               {{huge}, nullptr},
               {{constant}, nullptr},
               {{nothing}, "2 values not finite"}};
  for (const Case& c : cases) {
    const std::string svg = RenderSvgPlot(frame, c.series);
    const std::string label = c.series[0].label + (c.series.size() > 1 ? "+" : "");
    EXPECT_EQ(BadSvgCoordinate(svg), "") << label;
    std::string why;
    EXPECT_TRUE(WellFormed(svg, &why)) << label << ": " << why;
    if (c.caption != nullptr) {
      EXPECT_NE(svg.find(c.caption), std::string::npos) << label;
    } else {
      EXPECT_EQ(svg.find("left as gaps"), std::string::npos) << label;
    }
  }
  // The zero-power samples leave the axis to the finite part of the curve.
  const std::string svg = RenderSvgPlot(frame, {startsAtZeroPower});
  EXPECT_NE(svg.find(">-20</text>"), std::string::npos) << svg;
  EXPECT_EQ(svg.find(">-100</text>"), std::string::npos);
  // A single line from the two finite points.
  EXPECT_NE(svg.find("<polyline"), std::string::npos);
}

TEST(ProgressBar, DrawsOnlyWhenEnabledAndLongRunningOverwritingItsLineWithoutEscapes) {
  EXPECT_EQ(ProgressLine("demo", 5, 10, 2.0), "demo [###############---------------]  50%  2.0 s left");
  EXPECT_EQ(ProgressLine("demo", 10, 10, 2.0), "demo [##############################] 100%");
  std::ostringstream quiet, quick, drawn;
  {
    ProgressBar off(quiet, false, "x", 10), on(quick, true, "x", 10), bar(drawn, true, "x", 10);
    off.update(5);
    on.update(5);  // well within the first second
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // past the quiet first second
    bar.update(5);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    bar.update(10);  // a shorter line: padded over the longer one
  }
  EXPECT_EQ(quiet.str(), "");
  EXPECT_EQ(quick.str(), "");
  const std::string text = drawn.str();
  EXPECT_EQ(text.find('\033'), std::string::npos);
  const size_t second = text.find('\r', 1);
  ASSERT_EQ(text[0], '\r');
  ASSERT_NE(second, std::string::npos);
  const std::string first = text.substr(1, second - 1);
  EXPECT_EQ(first.rfind("x [###############---------------]  50%", 0), 0u) << first;
  const std::string last = "x [##############################] 100%";
  const std::string expected = "\r" + last + std::string(first.size() - last.size(), ' ') + "\r" +
                               std::string(first.size(), ' ') + "\r";
  EXPECT_EQ(text.substr(second), expected);
}

}  // namespace

#endif

}  // namespace adaptive
