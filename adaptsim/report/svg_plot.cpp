#include "adaptsim/report/svg_plot.h"

#include <algorithm>
#include <cstdio>

namespace {

const char* const kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e", "#9467bd", "#8c564b", "#e377c2", "#17becf"};
constexpr int kColourCount = sizeof kColours / sizeof kColours[0];

constexpr double kLeft = 64, kRight = 16, kTop = 30, kBottom = 44;

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

std::string TickText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", std::fabs(value) < 1e-12 ? 0.0 : value);
  return text;
}

// A step of 1, 2 or 5 times a power of ten giving about five intervals.
double NiceStep(double range) {
  const double rough = range / 5.0;
  const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
  const double fraction = rough / magnitude;
  return magnitude * (fraction < 1.5 ? 1.0 : fraction < 3.5 ? 2.0 : fraction < 7.5 ? 5.0 : 10.0);
}

// Beyond this the span of an axis would overflow: larger values are drawn at
// the edge.
constexpr double kLargest = 1e300;
constexpr int kMostTicks = 20;

struct Range {
  double low = INFINITY;
  double high = -INFINITY;
  void include(double v) {
    low = std::min(low, std::max(v, -kLargest));
    high = std::max(high, std::min(v, kLargest));
  }
  // Widens an empty or zero-width range and rounds it out to whole steps;
  // the result is finite and wider than zero whatever was included.
  double settle() {
    if (!(low <= high)) low = 0, high = 1;
    if (!(high - low > std::max(std::fabs(low), std::fabs(high)) * 1e-9)) {
      const double half = std::max(1.0, std::fabs(low) * 0.1);
      low -= half;
      high += half;
    }
    const double step = NiceStep(high - low);
    low = std::floor(low / step) * step;
    high = std::ceil(high / step) * step;
    return step;
  }
  double clamp(double v) const { return std::min(std::max(v, low), high); }
};

}  // namespace

bool PlotPointShown(const PlotFrame& frame, double x, double y) {
  return std::isfinite(x) && std::isfinite(std::max(y, frame.yFloor));
}

std::string EscapeXml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string RenderSvgPlot(const PlotFrame& frame, const std::vector<PlotSeries>& series) {
  Range xr, yr;
  size_t gaps = 0;
  for (const PlotSeries& s : series) {
    for (size_t i = 0; i < s.x.size() && i < s.y.size(); ++i) {
      if (!PlotPointShown(frame, s.x[i], s.y[i])) {
        ++gaps;
        continue;
      }
      xr.include(s.x[i]);
      yr.include(std::max(s.y[i], frame.yFloor));
    }
  }
  const double xStep = xr.settle();
  const double yStep = yr.settle();
  const double w = frame.width, h = frame.height;
  const double plotW = w - kLeft - kRight, plotH = h - kTop - kBottom;
  const auto px = [&](double x) { return kLeft + (xr.clamp(x) - xr.low) / (xr.high - xr.low) * plotW; };
  const auto py = [&](double y) {
    return kTop + (yr.high - yr.clamp(std::max(y, frame.yFloor))) / (yr.high - yr.low) * plotH;
  };

  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(frame.width) +
                    "\" height=\"" + std::to_string(frame.height) + "\" viewBox=\"0 0 " +
                    std::to_string(frame.width) + " " + std::to_string(frame.height) +
                    "\" font-family=\"sans-serif\" font-size=\"11\" xml:space=\"preserve\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  svg += "<text x=\"" + Number(w / 2) + "\" y=\"18\" text-anchor=\"middle\" font-size=\"13\">" +
         EscapeXml(frame.title) + "</text>\n";
  for (int k = 0; k <= kMostTicks && xr.low + k * xStep <= xr.high + xStep / 2; ++k) {
    const double t = xr.low + k * xStep;
    svg += "<line x1=\"" + Number(px(t)) + "\" y1=\"" + Number(kTop) + "\" x2=\"" + Number(px(t)) + "\" y2=\"" +
           Number(kTop + plotH) + "\" stroke=\"#ddd\"/>\n";
    svg += "<text x=\"" + Number(px(t)) + "\" y=\"" + Number(kTop + plotH + 14) + "\" text-anchor=\"middle\">" +
           TickText(t) + "</text>\n";
  }
  for (int k = 0; k <= kMostTicks && yr.low + k * yStep <= yr.high + yStep / 2; ++k) {
    const double t = yr.low + k * yStep;
    svg += "<line x1=\"" + Number(kLeft) + "\" y1=\"" + Number(py(t)) + "\" x2=\"" + Number(kLeft + plotW) +
           "\" y2=\"" + Number(py(t)) + "\" stroke=\"#ddd\"/>\n";
    svg += "<text x=\"" + Number(kLeft - 4) + "\" y=\"" + Number(py(t) + 4) + "\" text-anchor=\"end\">" +
           TickText(t) + "</text>\n";
  }
  svg += "<rect x=\"" + Number(kLeft) + "\" y=\"" + Number(kTop) + "\" width=\"" + Number(plotW) + "\" height=\"" +
         Number(plotH) + "\" fill=\"none\" stroke=\"black\"/>\n";
  svg += "<text x=\"" + Number(kLeft + plotW / 2) + "\" y=\"" + Number(h - 8) + "\" text-anchor=\"middle\">" +
         EscapeXml(frame.xLabel) + "</text>\n";
  svg += "<text transform=\"translate(14," + Number(kTop + plotH / 2) + ") rotate(-90)\" text-anchor=\"middle\">" +
         EscapeXml(frame.yLabel) + "</text>\n";

  for (size_t k = 0; k < series.size(); ++k) {
    const PlotSeries& s = series[k];
    const std::string colour = kColours[k % kColourCount];
    if (s.line) {
      std::string points;
      const auto flush = [&]() {
        if (!points.empty()) {
          svg += "<polyline fill=\"none\" stroke=\"" + colour + "\" stroke-width=\"1.5\" points=\"" + points + "\"/>\n";
        }
        points.clear();
      };
      for (size_t i = 0; i < s.x.size() && i < s.y.size(); ++i) {
        if (!PlotPointShown(frame, s.x[i], s.y[i])) {
          flush();
          continue;
        }
        if (!points.empty()) points += ' ';
        points += Number(px(s.x[i])) + "," + Number(py(s.y[i]));
      }
      flush();
    }
    if (s.markers) {
      for (size_t i = 0; i < s.x.size() && i < s.y.size(); ++i) {
        if (!PlotPointShown(frame, s.x[i], s.y[i])) continue;
        svg += "<circle cx=\"" + Number(px(s.x[i])) + "\" cy=\"" + Number(py(s.y[i])) + "\" r=\"" +
               (k % 2 == 0 ? "4" : "2.5") + "\" fill=\"" + (k % 2 == 0 ? "none" : colour) + "\" stroke=\"" + colour +
               "\"/>\n";
      }
    }
    // Legend, top right inside the frame.
    const double ly = kTop + 14 + 14 * static_cast<double>(k);
    svg += "<line x1=\"" + Number(kLeft + plotW - 110) + "\" y1=\"" + Number(ly - 4) + "\" x2=\"" +
           Number(kLeft + plotW - 92) + "\" y2=\"" + Number(ly - 4) + "\" stroke=\"" + colour +
           "\" stroke-width=\"3\"/>\n";
    svg += "<text x=\"" + Number(kLeft + plotW - 88) + "\" y=\"" + Number(ly) + "\">" + EscapeXml(s.label) +
           "</text>\n";
  }
  if (gaps > 0) {
    svg += "<text x=\"" + Number(kLeft + 4) + "\" y=\"" + Number(kTop + 12) + "\" font-size=\"10\" fill=\"#555\">" +
           std::to_string(gaps) + (gaps == 1 ? " value" : " values") + " not finite (nan or inf), left as gaps</text>\n";
  }
  svg += "</svg>\n";
  return svg;
}
