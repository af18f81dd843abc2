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

  // Log-spaced points after the leading zeros: single samples first, the
  // windows then growing, every sample in exactly one window.
  std::vector<double> curve(1000, 0.25), x, y;  // sums of quarters are exact
  for (size_t n = 0; n < 7; ++n) curve[n] = 0.0;
  EXPECT_EQ(LeadingZeroSamples(curve), 7u);
  const size_t widest = DecimateForPlot(curve, 100, &x, &y);
  ASSERT_GE(x.size(), 2u);
  EXPECT_EQ(std::vector<double>(x.begin(), x.begin() + 2), (std::vector<double>{8.0, 9.0}));
  EXPECT_LE(x.size(), 100u);
  EXPECT_DOUBLE_EQ(x.back(), 1000.0 - (widest - 1) / 2.0);
  EXPECT_EQ(y, std::vector<double>(y.size(), Decibels(0.25)));
}

// The smoothing window widens with the sample number without a step that a
// reader would take for an event in the filter (the windows once jumped from
// 1 to 6 samples near sample 270 of 16000).
TEST(LearningCurves, TheSmoothingWindowGrowsWithoutAStep) {
  for (const size_t samples : {300u, 4000u, 16000u, 250000u}) {
    SCOPED_TRACE(samples);
    std::vector<double> x, y;
    const size_t widest = DecimateForPlot(std::vector<double>(samples, 1.0), kCurvePoints, &x, &y);
    EXPECT_LE(x.size(), kCurvePoints);
    EXPECT_GE(x.size(), std::min<size_t>(samples, kCurvePoints) * 9 / 10);
    // The widths, from the middles: each window starts where the last ended.
    std::vector<double> widths;
    double end = 0.0;
    for (const double middle : x) {
      widths.push_back(2.0 * (middle - end) - 1.0);
      end += widths.back();
    }
    EXPECT_EQ(end, static_cast<double>(samples));
    EXPECT_EQ(widths.front(), 1.0);
    EXPECT_EQ(widths.back(), static_cast<double>(widest));
    for (size_t k = 1; k + 1 < widths.size(); ++k) {
      EXPECT_GE(widths[k], widths[k - 1]) << "window " << k;
      EXPECT_LE(widths[k], std::max(widths[k - 1] + 1.0, std::ceil(1.1 * widths[k - 1]))) << "window " << k;
    }
    // The last window takes a short remainder: at most half again as wide as
    // it would have been, itself at most a tenth wider than the one before.
    if (widths.size() > 1) {
      EXPECT_LE(widths.back(), 1.5 * std::ceil(1.1 * widths[widths.size() - 2]) + 1.0);
    }
  }
}

// A learning curve that falls far below the range it is shown in, as the
// noiseless runs do.
PlotSeries Falling(const std::string& label, double floorDb) {
  PlotSeries s;
  s.label = label;
  for (int n = 1; n <= 4000; n += 10) {
    s.x.push_back(n);
    s.y.push_back(std::max(floorDb, -0.08 * n));
  }
  return s;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(Plots, TicksSitAtTheirValuesAndClippingIsMarked) {
  PlotFrame frame = LearningCurveFrame("learning", "dB", 4000);
  frame.yLow = -160;  // the curves go on to -309 dB
  frame.yHigh = 10;
  PlotSeries spike = Falling("spike", -50);
  spike.y[3] = 210;
  const std::string svg = RenderSvgPlot(frame, {Falling("deep", -309), spike});
  EXPECT_EQ(FigureFault(svg, true), "");
  const TickAxis y = AxisOfTicks(svg, true, false);
  const SvgFrame f = FrameOf(svg);
  // The frame spans the labelled range: its edges are the first and last
  // labels, and the curves are cut there.
  double lowest = INFINITY, highest = -INFINITY;
  for (const SvgText& t : SvgTexts(svg)) {
    if (t.cls == "tick y") lowest = std::min(lowest, TickValue(t.text)), highest = std::max(highest, TickValue(t.text));
  }
  EXPECT_LE(lowest, -160);
  EXPECT_GE(highest, 10);
  EXPECT_NEAR(y.pixel(lowest), f.y + f.height, 0.6);
  EXPECT_NEAR(y.pixel(highest), f.y, 0.6);
  // Where the curves leave the frame, the figure shows it and says how far.
  EXPECT_EQ(Count(svg, "class=\"clip\""), 2u) << svg;
  EXPECT_NE(svg.find("below the frame, down to -309 dB"), std::string::npos);
  EXPECT_NE(svg.find("above the frame, up to 210 dB"), std::string::npos);
  // A log axis from 1 to the last sample.
  EXPECT_NEAR(AxisOfTicks(svg, false, true).pixel(4000), f.x + f.width, 0.6);
  // The same data with ranges from the data: every tick label still on its value.
  EXPECT_EQ(FigureFault(RenderSvgPlot(PlotFrame(), {Falling("deep", -309), spike}), false), "");
}

// Curves on one another stay apart and say so; the legend stands clear of
// the data; markers keep off the tick labels; channels are marked.
TEST(Plots, EveryCurveIsVisibleAndNamed) {
  std::vector<PlotSeries> series;
  for (const char* name : {"GenRLS", "RLS1", "RLS2", "RLS3", "LMS", "LMS2", "LMS3", "NLMS", "NLMS2"}) {
    series.push_back(Falling(name, -40 - static_cast<double>(series.size())));
  }
  series[1].y = series[0].y;
  PlotFrame frame;
  frame.xScale = AxisScale::kLog;
  std::string svg = RenderSvgPlot(frame, series);
  EXPECT_EQ(FigureFault(svg, true), "");
  EXPECT_EQ(Count(svg, "identical to"), 1u);
  EXPECT_NE(svg.find(">identical to GenRLS</text>"), std::string::npos);
  const size_t legend = svg.find("<g class=\"legend\">\n<rect");
  ASSERT_NE(legend, std::string::npos);
  EXPECT_GT(SvgNumber(svg, legend + 20, "x"), FrameOf(svg).x + FrameOf(svg).width);
  EXPECT_EQ(SvgAttribute(svg, legend + 20, "fill"), "white");

  PlotSeries plant{"plant", {}, {}, false, true};
  for (int i = 0; i < 16; ++i) plant.x.push_back(i), plant.y.push_back(i == 0 ? 1.0 : -0.4 + 0.05 * i);
  PlotFrame coefficients = CoefficientFrame("LMS2", 16, 380, 250);
  coefficients.regions = {{0, 7, "channel 1"}, {8, 15, "channel 2"}};
  svg = RenderSvgPlot(coefficients, {plant});
  EXPECT_EQ(FigureFault(svg, false), "");
  const SvgFrame f = FrameOf(svg);
  const std::vector<std::pair<double, double>> points = SeriesOf(svg)["plant"].points;
  ASSERT_EQ(points.size(), 16u);
  for (const auto& p : points) EXPECT_TRUE(p.first > f.x + 3 && p.second > f.y + 3 && p.second < f.y + f.height - 3);
  const size_t boundary = svg.find("class=\"boundary\"");
  EXPECT_NEAR(SvgNumber(svg, boundary, "x1"), AxisOfTicks(svg, false, false).pixel(7.5), 0.6);
  EXPECT_EQ(svg.find("<line", svg.find("<g class=\"legend\">")), std::string::npos);  // dots, no line
}

TEST(Reports, PlotsAndPagesAreWellFormedAndSelfContained) {
  const PlotSeries broken{"a<b & \"c\"", {1, 2, 3, 4, 5}, {-10, -20, NAN, -40, -INFINITY}};
  const PlotSeries dots{"dots", {1, 2}, {0.5, 0.25}, false, true};
  PlotFrame frame;
  frame.title = "T";
  const std::string svg = RenderSvgPlot(frame, {broken, dots});
  std::string why;
  EXPECT_TRUE(WellFormed(svg, &why)) << why;
  EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
  EXPECT_NE(svg.find("a&lt;b &amp; &quot;c&quot;"), std::string::npos);
  EXPECT_EQ(Count(svg, "<polyline"), 2u);  // the NaN breaks the line; -inf is drawn at the bottom edge
  EXPECT_NE(svg.find("exactly 0 (-inf ) at the bottom edge"), std::string::npos);
  EXPECT_EQ(svg.find("http://", svg.find("xmlns") + 40), std::string::npos);  // nothing to fetch
  EXPECT_TRUE(WellFormed(RenderSvgPlot(frame, {}), &why)) << why;

  HtmlReport report("Report <1>");
  report.heading("Results");
  report.paragraph("½ & more");
  report.table({{"token", "dB", "note"}, {"LMS", "-40.0", "ok"}, {"Numerator Coeffs  1", "-", "did not converge"}}, {2});
  report.figures({{"curve.svg", svg, "μ 0.01"}});
  std::string error;
  ASSERT_TRUE(report.write("report_test/nested", &error)) << error;
  const std::string page = ReadFileText("report_test/nested/index.html");
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_TRUE(WellFormed(page, &why)) << why;
  EXPECT_NE(page.find("<img src=\"curve.svg\""), std::string::npos);
  EXPECT_NE(page.find("<figcaption>μ 0.01</figcaption>"), std::string::npos);
  // Text left, numbers right; the row that did not converge stands out.
  EXPECT_NE(page.find("<tr><th>token</th><th class=\"number\">dB</th><th>note</th></tr>"), std::string::npos);
  EXPECT_NE(page.find("<tr class=\"flagged\"><td>Numerator Coeffs  1</td><td class=\"number\">-</td>"),
            std::string::npos);
  EXPECT_NE(page.find("Report &lt;1&gt;"), std::string::npos);
  EXPECT_NE(page.find("p,th,td{white-space:pre-wrap}"), std::string::npos);
  EXPECT_EQ(page.find("http"), std::string::npos);
  EXPECT_EQ(ReadFileText("report_test/nested/curve.svg"), svg);
  EXPECT_FALSE(report.write("/proc/no/such/place", &error));

  // Settings as a reader writes them: rounded, no exponent to break a cell.
  EXPECT_EQ(RoundedText(0.004166666666666667, 3), "0.00417");
  EXPECT_EQ(RoundedText(1e-05, 3), "0.00001");
  EXPECT_EQ(RoundedText(0.999, 3), "0.999");
  EXPECT_EQ(RoundedText(-40.06, 3), "-40.1");
  EXPECT_EQ(RoundedText(0.0, 3), "0");
  EXPECT_EQ(RoundedText(1e-07, 3), "1e-07");
}

// Curves that blow up or hold one huge value still give a figure with finite
// axes; what cannot be drawn is a gap that the figure mentions.
TEST(Reports, PlotsOfNonFiniteOrExtremeValuesHaveFiniteCoordinatesAndSayWhatIsLeftOut) {
  const PlotSeries diverged{"diverged", {1, 2, 3, 4}, {-10, 200, INFINITY, NAN}};
  const PlotSeries huge{"huge", {0, 1, 2}, {1e308, -1e308, DBL_MIN}};
  const PlotSeries constant{"constant", {0, 1}, {1e20, 1e20}, false, true};
  const PlotSeries nothing{"nothing", {1, 2}, {NAN, INFINITY}};
  struct Case {
    std::vector<PlotSeries> series;
    const char* caption;  // nullptr: everything is drawn
  } cases[] = {{{diverged}, "2 values not finite (nan or inf), left as gaps"},
               {{huge}, nullptr},
               {{constant}, nullptr},
               {{nothing}, "2 values not finite"}};
  for (const Case& c : cases) {
    const std::string svg = RenderSvgPlot(PlotFrame(), c.series);
    const std::string label = c.series[0].label;
    EXPECT_EQ(BadSvgCoordinate(svg), "") << label;
    EXPECT_EQ(OverlappingTexts(svg), "") << label;
    std::string why;
    EXPECT_TRUE(WellFormed(svg, &why)) << label << ": " << why;
    if (c.caption != nullptr) {
      EXPECT_NE(svg.find(c.caption), std::string::npos) << label;
    } else {
      EXPECT_EQ(svg.find("left as gaps"), std::string::npos) << label;
    }
  }
}

// The progress bars' clock: the test moves it.
std::chrono::steady_clock::time_point fakeNow;
std::chrono::steady_clock::time_point FakeClock() { return fakeNow; }

TEST(ProgressBar, DrawsOnlyWhenEnabledAndLongRunningOverwritingItsLineWithoutEscapes) {
  EXPECT_EQ(ProgressLine("demo", 5, 10, 2.0), "demo [###############---------------]  50%  2.0 s left");
  EXPECT_EQ(ProgressLine("demo", 10, 10, 2.0), "demo [##############################] 100%");
  using std::chrono::milliseconds;
  std::ostringstream quiet, quick, drawn;
  {
    ProgressBar off(quiet, false, "x", 10, FakeClock), bar(drawn, true, "x", 10, FakeClock);
    fakeNow += milliseconds(1100);  // past the quiet first second
    off.update(5);
    bar.update(5);
    fakeNow += milliseconds(50);  // too soon to draw again
    bar.update(7);
    fakeNow += milliseconds(100);
    bar.update(10);  // a shorter line: padded over the longer one
  }
  {
    ProgressBar early(quick, true, "x", 10, FakeClock);
    fakeNow += milliseconds(900);
    early.update(5);  // within the first second
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
