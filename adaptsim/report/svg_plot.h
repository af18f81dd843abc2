// Line and marker plots written as plain SVG: no plotting program, no
// scripts and no fonts or files from elsewhere, so they open offline.
#pragma once

#include <cmath>
#include <string>
#include <vector>

struct PlotSeries {
  std::string label;
  std::vector<double> x;
  std::vector<double> y;
  bool line = true;      // join the points
  bool markers = false;  // mark every point
};

struct PlotFrame {
  std::string title;
  std::string xLabel;
  std::string yLabel;
  int width = 560;
  int height = 340;
  // Values below are drawn at the floor (learning curves of noiseless runs
  // fall to the limits of double precision).
  double yFloor = -INFINITY;
};

// Points that are not finite (after the floor) are left out, breaking the line
// there, and the figure says how many were; the axes span the finite ones.
std::string RenderSvgPlot(const PlotFrame& frame, const std::vector<PlotSeries>& series);

// Whether RenderSvgPlot draws the point (x, y) of a series in `frame`.
bool PlotPointShown(const PlotFrame& frame, double x, double y);

// Text made safe for XML character data and attribute values.
std::string EscapeXml(const std::string& text);
