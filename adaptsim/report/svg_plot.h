// Line and marker plots written as plain SVG: no plotting program, no
// scripts and no fonts or files from elsewhere, so they open offline. The
// conventions every figure of the reports follows are in README.md here.
#pragma once

#include <cmath>
#include <string>
#include <vector>

struct PlotSeries {
  std::string label;
  std::vector<double> x;
  std::vector<double> y;
  bool line = true;      // join the points (a few markers along it tell the curves apart)
  bool markers = false;  // mark every point
};

// A dashed horizontal line at a level the reader compares the data with (a
// noise floor, a minimum MSE), listed in the legend with its value.
struct PlotLevel {
  double y = 0.0;
  std::string label;  // "noise floor -40.1 dB"
  int colourOf = -1;  // drawn in the colour of this series; -1 grey
};

// A labelled span of the x axis (a channel's coefficients); boundaries are
// drawn between neighbouring spans.
struct PlotRegion {
  double from = 0.0;
  double to = 0.0;
  std::string label;
};

enum class AxisScale { kLinear, kLog };

struct PlotFrame {
  std::string title;
  std::string xLabel;
  std::string yLabel;
  std::string yUnit;  // of the values in notes ("dB"); may be empty
  int width = 560;    // of the axes; the legend is added to the right
  int height = 340;
  AxisScale xScale = AxisScale::kLinear;
  bool xWhole = false;  // ticks at whole numbers only (coefficient indices)
  // Fixed ranges; NaN: from the data. The y range is rounded out to whole
  // tick steps; points beyond it (and -inf) are drawn at its edge, marked
  // there, and their series' legend entry says how far they go.
  double xLow = NAN, xHigh = NAN;
  double yLow = NAN, yHigh = NAN;
  std::vector<PlotLevel> levels;
  std::vector<PlotRegion> regions;
};

// The frame of a coefficient plot: `count` values at the whole-number
// indices 0 ... count-1, half a step of room at each side.
PlotFrame CoefficientFrame(const std::string& title, size_t count, int width, int height);

// NaN and +inf values cannot be drawn: they are left out, breaking the line
// there, and a note under the axes says how many were.
std::string RenderSvgPlot(const PlotFrame& frame, const std::vector<PlotSeries>& series);

// Text made safe for XML character data and attribute values.
std::string EscapeXml(const std::string& text);

// A value with at most `digits` significant digits, as a reader writes it:
// "0.00417", "-40.1", "0.00001"; an exponent only below 1e-6 and from 1e6.
std::string RoundedText(double value, int digits);
