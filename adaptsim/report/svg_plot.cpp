#include "adaptsim/report/svg_plot.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// Every series has its own colour, dash pattern and marker shape: curves stay
// apart in grey print and where one lies on another.
const char* const kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e", "#9467bd", "#8c564b", "#e377c2", "#17becf"};
const char* const kDashes[] = {"", "7 3", "2 2", "9 3 2 3", "4 2 1 2"};
enum Shape { kOpenCircle, kFilledSquare, kOpenTriangle, kFilledDiamond, kOpenSquare, kFilledCircle, kShapeCount };
constexpr int kColourCount = sizeof kColours / sizeof kColours[0];
constexpr int kDashCount = sizeof kDashes / sizeof kDashes[0];
constexpr int kMarkersAlongLine = 6;
constexpr int kMostClipMarks = 6;  // per series

constexpr double kLeft = 64, kRight = 12, kBottom = 44, kFontSize = 11, kLineHeight = 14;
// Beyond this the span of an axis would overflow: larger values are drawn at
// the edge.
constexpr double kLargest = 1e300;

struct Style {
  std::string colour;
  std::string dash;
  Shape shape;
};

Style StyleOf(size_t k) {
  return {kColours[k % kColourCount], kDashes[k % kDashCount], static_cast<Shape>(k % kShapeCount)};
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

std::string Superscript(int digit) {
  static const char* const kDigits[] = {"⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};
  return kDigits[digit];
}

std::string TickText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", std::fabs(value) < 1e-12 ? 0.0 : value);
  return text;
}

// A decade's label: 1 ... 1000, then 10⁴, 10⁵ ...
std::string DecadeText(int exponent) {
  if (exponent <= 3) return TickText(std::pow(10.0, exponent));
  std::string text = "10";
  for (char c : std::to_string(exponent)) text += Superscript(c - '0');
  return text;
}

// Width of a text in pixels, generously estimated (no font metrics here).
double TextWidth(const std::string& text, double fontSize) {
  size_t characters = 0;
  for (unsigned char c : text) characters += (c & 0xC0) != 0x80;  // UTF-8 continuation bytes add nothing
  return 0.62 * fontSize * static_cast<double>(characters);
}

// 1, 2 or 5 times a power of ten, at least `least`.
double NiceStepAtLeast(double least) {
  const double magnitude = std::pow(10.0, std::floor(std::log10(least)));
  for (double f : {1.0, 2.0, 5.0, 10.0}) {
    if (f * magnitude >= least * (1 - 1e-9)) return f * magnitude;
  }
  return 10.0 * magnitude;
}

struct Axis {
  double low = INFINITY, high = -INFINITY;
  bool log = false;
  double from = 0, to = 1;  // pixels of low and high
  double step = 1;          // of the linear ticks

  void include(double v) {
    if (!std::isfinite(v) || (log && v <= 0)) return;
    low = std::min(low, std::max(v, -kLargest));
    high = std::max(high, std::min(v, kLargest));
  }
  // Makes the range finite and wider than zero whatever was included.
  void widen() {
    if (!(low <= high)) low = log ? 1 : 0, high = log ? 10 : 1;
    if (log) {
      if (!(high > low * 1.5)) high = low * 10;
    } else if (!(high - low > std::max(std::fabs(low), std::fabs(high)) * 1e-9)) {
      const double half = std::max(1.0, std::fabs(low) * 0.1);
      low -= half;
      high += half;
    }
  }
  // A linear range rounded out to whole steps of about `intervals` ticks.
  void roundOut(double intervals, bool whole = false) {
    step = NiceStepAtLeast((high - low) / intervals);
    if (whole) step = std::max(step, 1.0);
    low = std::floor(low / step + 1e-9) * step;
    high = std::ceil(high / step - 1e-9) * step;
  }
  double map(double v) const {
    const double t = log ? (std::log10(v) - std::log10(low)) / (std::log10(high) - std::log10(low))
                         : (v - low) / (high - low);
    return from + t * (to - from);
  }
};

struct Tick {
  double value;
  std::string text;  // empty: a grid line without a label
};

std::vector<Tick> LinearTicks(const Axis& axis) {
  std::vector<Tick> ticks;
  const double first = std::ceil(axis.low / axis.step - 1e-9);
  for (double k = first; k * axis.step <= axis.high + axis.step * 1e-9; ++k) {
    ticks.push_back({k * axis.step, TickText(k * axis.step)});
  }
  return ticks;
}

// Decades labelled, the 2 ... 9 between them as grid lines; a short axis
// labels every whole number.
std::vector<Tick> LogTicks(const Axis& axis) {
  std::vector<Tick> ticks;
  const bool short_axis = axis.high / axis.low < 10.0;
  for (int e = static_cast<int>(std::floor(std::log10(axis.low))); std::pow(10.0, e) <= axis.high; ++e) {
    for (int m = 1; m <= 9; ++m) {
      const double v = m * std::pow(10.0, e);
      if (v < axis.low * (1 - 1e-9) || v > axis.high * (1 + 1e-9)) continue;
      ticks.push_back({v, m == 1 ? DecadeText(e) : short_axis ? TickText(v) : ""});
    }
  }
  return ticks;
}

// Where a point is drawn: its pixels, and whether it lies beyond the y range
// (-1 below, +1 above, 0 within).
struct DrawnPoint {
  double x, y;
  int clipped;
};

std::string PathOfShape(Shape shape, double x, double y, double r) {
  char d[160];
  switch (shape) {
    case kOpenTriangle:
      std::snprintf(d, sizeof d, "M%.1f,%.1fL%.1f,%.1fL%.1f,%.1fZ", x, y - r * 1.2, x + r * 1.1, y + r * 0.8, x - r * 1.1,
                    y + r * 0.8);
      break;
    case kFilledDiamond:
      std::snprintf(d, sizeof d, "M%.1f,%.1fL%.1f,%.1fL%.1f,%.1fL%.1f,%.1fZ", x, y - r * 1.3, x + r, y, x, y + r * 1.3,
                    x - r, y);
      break;
    default:  // the squares
      std::snprintf(d, sizeof d, "M%.1f,%.1fh%.1fv%.1fh%.1fZ", x - r, y - r, 2 * r, 2 * r, -2 * r);
  }
  return d;
}

std::string Marker(const Style& style, double x, double y) {
  const bool filled = style.shape == kFilledSquare || style.shape == kFilledDiamond || style.shape == kFilledCircle;
  const std::string paint = std::string(" fill=\"") + (filled ? style.colour : "white") + "\" stroke=\"" +
                            style.colour + "\"";
  // Open shapes larger than filled ones: a filled marker on an open one
  // leaves both in sight.
  const double r = filled ? 2.6 : 4.2;
  if (style.shape == kOpenCircle || style.shape == kFilledCircle) {
    return "<circle cx=\"" + Number(x) + "\" cy=\"" + Number(y) + "\" r=\"" + Number(r) + "\"" + paint + "/>\n";
  }
  return "<path d=\"" + PathOfShape(style.shape, x, y, r) + "\"" + paint + "/>\n";
}

std::string DashAttribute(const std::string& dash) {
  return dash.empty() ? "" : " stroke-dasharray=\"" + dash + "\"";
}

std::string Text(double x, double y, const std::string& anchor, const std::string& cls, const std::string& text,
                 double fontSize = kFontSize) {
  return "<text class=\"" + cls + "\" x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" text-anchor=\"" + anchor + "\"" +
         (fontSize != kFontSize ? " font-size=\"" + TickText(fontSize) + "\"" : "") + ">" + EscapeXml(text) +
         "</text>\n";
}

std::string ValueText(double value, const std::string& unit) {
  if (std::isinf(value)) return std::string(value < 0 ? "-" : "+") + "inf" + (unit.empty() ? "" : " " + unit);
  if (unit == "dB") return RoundedText(std::round(value * 10) / 10, 6) + " dB";
  return RoundedText(value, 4) + (unit.empty() ? "" : " " + unit);
}

}  // namespace

std::string RoundedText(double value, int digits) {
  char text[64];
  const double magnitude = std::fabs(value);
  if (!(magnitude >= 1e-6 && magnitude < 1e6)) {
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return text;
  }
  // Plain decimals: a table cell never breaks inside "1e-05".
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  const double rounded = std::strtod(text, nullptr);
  const int decimals = std::max(0, digits - 1 - static_cast<int>(std::floor(std::log10(std::fabs(rounded)))));
  std::snprintf(text, sizeof text, "%.*f", decimals, rounded);
  std::string out = text;
  if (out.find('.') != std::string::npos) {
    while (out.back() == '0') out.pop_back();
    if (out.back() == '.') out.pop_back();
  }
  return out;
}

PlotFrame CoefficientFrame(const std::string& title, size_t count, int width, int height) {
  PlotFrame frame;
  frame.title = title;
  frame.xLabel = "coefficient";
  frame.yLabel = "value";
  frame.width = width;
  frame.height = height;
  frame.xWhole = true;
  frame.xLow = -0.5;
  frame.xHigh = static_cast<double>(count) - 0.5;
  return frame;
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
  const double top = frame.regions.empty() ? 30 : 44;
  const double plotW = frame.width - kLeft - kRight, plotH = frame.height - top - kBottom;
  Axis xa, ya;
  xa.log = frame.xScale == AxisScale::kLog;
  for (const PlotSeries& s : series) {
    for (size_t i = 0; i < s.x.size() && i < s.y.size(); ++i) {
      if (std::isnan(s.y[i]) || s.y[i] == INFINITY) continue;
      xa.include(s.x[i]);
      ya.include(s.y[i]);
    }
  }
  for (const PlotRegion& r : frame.regions) xa.include(r.from), xa.include(r.to);
  for (const PlotLevel& level : frame.levels) ya.include(level.y);
  if (std::isfinite(frame.xLow)) xa.low = frame.xLow;
  if (std::isfinite(frame.xHigh)) xa.high = frame.xHigh;
  if (std::isfinite(frame.yLow)) ya.low = frame.yLow;
  if (std::isfinite(frame.yHigh)) ya.high = frame.yHigh;
  xa.widen();
  ya.widen();
  // Markers keep clear of the frame and of the tick labels beside it.
  if (std::any_of(series.begin(), series.end(), [](const PlotSeries& s) { return s.markers; }) &&
      !std::isfinite(frame.yLow) && !std::isfinite(frame.yHigh)) {
    const double pad = 0.04 * (ya.high - ya.low);
    ya.low -= pad;
    ya.high += pad;
  }
  // Labels at least 30 px apart vertically, and wide enough apart across.
  ya.roundOut(std::max(2.0, std::min(8.0, plotH / 30)));
  if (!xa.log) {
    const double low = xa.low, high = xa.high;
    for (double intervals = 8; intervals >= 1; --intervals) {
      xa.low = low, xa.high = high;
      xa.roundOut(intervals, frame.xWhole);
      const double room = xa.step / (xa.high - xa.low) * plotW;
      double widest = 0;
      for (const Tick& t : LinearTicks(xa)) widest = std::max(widest, TextWidth(t.text, kFontSize));
      if (widest + 8 <= room) break;
    }
    // Given limits stay as given (coefficient indices padded by half a step).
    if (std::isfinite(frame.xLow)) xa.low = frame.xLow;
    if (std::isfinite(frame.xHigh)) xa.high = frame.xHigh;
  }
  xa.from = kLeft, xa.to = kLeft + plotW;
  ya.from = top + plotH, ya.to = top;

  // Each series as drawn, and what the legend must say about it.
  std::vector<std::vector<std::vector<DrawnPoint>>> pieces(series.size());  // unbroken runs of points
  std::vector<std::string> notes(series.size());
  size_t gaps = 0;
  for (size_t k = 0; k < series.size(); ++k) {
    const PlotSeries& s = series[k];
    double above = -INFINITY, below = INFINITY;
    std::vector<DrawnPoint> run;
    for (size_t i = 0; i < s.x.size() && i < s.y.size(); ++i) {
      const double x = s.x[i], y = s.y[i];
      const bool xShown = std::isfinite(x) && (!xa.log || x > 0);
      if (!xShown || std::isnan(y) || y == INFINITY) {
        ++gaps;
        if (!run.empty()) pieces[k].push_back(run);
        run.clear();
        continue;
      }
      int clipped = 0;
      if (y > ya.high) clipped = 1, above = std::max(above, y);
      if (y < ya.low) clipped = -1, below = std::min(below, y);
      const double shownX = std::min(std::max(x, xa.low), xa.high);
      run.push_back({xa.map(shownX), ya.map(std::min(std::max(y, ya.low), ya.high)), clipped});
    }
    if (!run.empty()) pieces[k].push_back(run);
    if (pieces[k].empty()) notes[k] = "no finite value to draw";
    if (above > -INFINITY) notes[k] += "above the frame, up to " + ValueText(above, frame.yUnit);
    if (below < INFINITY) {
      if (!notes[k].empty()) notes[k] += "; ";
      notes[k] += below == -INFINITY ? "exactly 0 (-inf " + frame.yUnit + ") at the bottom edge"
                                     : "below the frame, down to " + ValueText(below, frame.yUnit);
    }
    // A series drawn on the pixels of an earlier one.
    for (size_t j = 0; j < k; ++j) {
      const auto& a = pieces[j];
      const auto& b = pieces[k];
      bool same = !a.empty() && a.size() == b.size();
      for (size_t p = 0; same && p < a.size(); ++p) {
        same = a[p].size() == b[p].size();
        for (size_t i = 0; same && i < a[p].size(); ++i) {
          same = std::fabs(a[p][i].x - b[p][i].x) <= 0.5 && std::fabs(a[p][i].y - b[p][i].y) <= 0.5;
        }
      }
      if (same) {
        notes[k] = "identical to " + series[j].label + (notes[k].empty() ? "" : "; " + notes[k]);
        break;
      }
    }
  }

  // The legend, right of the axes.
  struct Entry {
    std::string label, note;
    int series;  // -1 for a level
    const PlotLevel* level;
  };
  std::vector<Entry> entries;
  for (size_t k = 0; k < series.size(); ++k) entries.push_back({series[k].label, notes[k], static_cast<int>(k), nullptr});
  for (const PlotLevel& level : frame.levels) {
    const bool inside = std::isfinite(level.y) && level.y >= ya.low && level.y <= ya.high;
    entries.push_back({level.label, inside ? "" : "outside the frame", -1, &level});
  }
  double legendW = 0, legendH = 6;
  for (const Entry& e : entries) {
    legendW = std::max({legendW, TextWidth(e.label, kFontSize), TextWidth(e.note, 9)});
    legendH += kLineHeight + (e.note.empty() ? 0 : 11);
  }
  legendW += 44;
  const double legendX = frame.width + 10, legendY = top;
  const double width = entries.empty() ? frame.width : std::ceil(legendX + legendW + 6);
  const double footY = frame.height + (gaps > 0 ? kLineHeight : 0);
  const double height = std::ceil(std::max(footY, entries.empty() ? 0.0 : legendY + legendH + 6));

  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + TickText(width) + "\" height=\"" +
                    TickText(height) + "\" viewBox=\"0 0 " + TickText(width) + " " + TickText(height) +
                    "\" font-family=\"sans-serif\" font-size=\"11\" xml:space=\"preserve\">\n";
  svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  svg += Text(kLeft + plotW / 2, 18, "middle", "title", frame.title, 13);

  const std::vector<Tick> xTicks = xa.log ? LogTicks(xa) : LinearTicks(xa);
  for (const Tick& t : xTicks) {
    const double x = xa.map(t.value);
    svg += "<line x1=\"" + Number(x) + "\" y1=\"" + Number(top) + "\" x2=\"" + Number(x) + "\" y2=\"" +
           Number(top + plotH) + "\" stroke=\"" + (t.text.empty() ? "#eee" : "#ddd") + "\"/>\n";
    if (!t.text.empty()) svg += Text(x, top + plotH + 14, "middle", "tick x", t.text);
  }
  for (const Tick& t : LinearTicks(ya)) {
    const double y = ya.map(t.value);
    svg += "<line x1=\"" + Number(kLeft) + "\" y1=\"" + Number(y) + "\" x2=\"" + Number(kLeft + plotW) + "\" y2=\"" +
           Number(y) + "\" stroke=\"#ddd\"/>\n";
    svg += Text(kLeft - 4, y + 4, "end", "tick y", t.text);
  }
  for (size_t r = 0; r < frame.regions.size(); ++r) {
    const PlotRegion& region = frame.regions[r];
    svg += Text((xa.map(region.from) + xa.map(region.to)) / 2, top - 4, "middle", "region", region.label, 10);
    if (r + 1 < frame.regions.size()) {
      const double x = xa.map((region.to + frame.regions[r + 1].from) / 2);
      svg += "<line class=\"boundary\" x1=\"" + Number(x) + "\" y1=\"" + Number(top - 14) + "\" x2=\"" + Number(x) +
             "\" y2=\"" + Number(top + plotH) + "\" stroke=\"#666\" stroke-dasharray=\"3 3\"/>\n";
    }
  }
  svg += "<rect class=\"frame\" x=\"" + Number(kLeft) + "\" y=\"" + Number(top) + "\" width=\"" + Number(plotW) +
         "\" height=\"" + Number(plotH) + "\" fill=\"none\" stroke=\"black\"/>\n";
  svg += Text(kLeft + plotW / 2, frame.height - 8, "middle", "label x", frame.xLabel);
  svg += "<text class=\"label y\" transform=\"translate(14," + Number(top + plotH / 2) +
         ") rotate(-90)\" text-anchor=\"middle\">" + EscapeXml(frame.yLabel) + "</text>\n";

  for (const PlotLevel& level : frame.levels) {
    if (!(std::isfinite(level.y) && level.y >= ya.low && level.y <= ya.high)) continue;
    const double y = ya.map(level.y);
    svg += "<line class=\"level\" data-label=\"" + EscapeXml(level.label) + "\" x1=\"" + Number(kLeft) + "\" y1=\"" +
           Number(y) + "\" x2=\"" + Number(kLeft + plotW) + "\" y2=\"" + Number(y) + "\" stroke=\"" +
           (level.colourOf >= 0 ? StyleOf(static_cast<size_t>(level.colourOf)).colour : std::string("#555")) +
           "\" stroke-width=\"1.2\" stroke-dasharray=\"6 4\"/>\n";
  }

  for (size_t k = 0; k < series.size(); ++k) {
    const PlotSeries& s = series[k];
    const Style style = StyleOf(k);
    svg += "<g class=\"series\" data-label=\"" + EscapeXml(s.label) + "\">\n";
    std::vector<DrawnPoint> all;
    for (const auto& piece : pieces[k]) {
      all.insert(all.end(), piece.begin(), piece.end());
      if (!s.line) continue;
      std::string points;
      for (const DrawnPoint& p : piece) points += (points.empty() ? "" : " ") + Number(p.x) + "," + Number(p.y);
      svg += "<polyline fill=\"none\" stroke=\"" + style.colour + "\" stroke-width=\"1.5\"" + DashAttribute(style.dash) +
             " points=\"" + points + "\"/>\n";
    }
    if (s.markers) {
      for (const DrawnPoint& p : all) svg += Marker(style, p.x, p.y);
    } else if (s.line && !all.empty()) {
      // A few markers along the line, staggered from series to series.
      size_t i = 0;
      for (int m = 0; m < kMarkersAlongLine; ++m) {
        const double target = kLeft + plotW * (m + 0.25 + 0.5 * static_cast<double>(k % 4) / 4) / kMarkersAlongLine;
        while (i < all.size() && all[i].x < target) ++i;
        if (i == all.size()) break;
        svg += Marker(style, all[i].x, all[i].y);
      }
    }
    // Where the series leaves the frame: a triangle on the edge.
    int marks = 0;
    for (size_t i = 0; i < all.size() && marks < kMostClipMarks; ++i) {
      if (all[i].clipped == 0 || (i > 0 && all[i - 1].clipped == all[i].clipped)) continue;
      const double y = all[i].clipped > 0 ? top : top + plotH;
      const double tip = all[i].clipped > 0 ? -6 : 6;
      char d[96];
      std::snprintf(d, sizeof d, "M%.1f,%.1fL%.1f,%.1fL%.1f,%.1fZ", all[i].x - 4, y, all[i].x + 4, y, all[i].x,
                    y + tip);
      svg += "<path class=\"clip\" d=\"" + std::string(d) + "\" fill=\"" + style.colour + "\"/>\n";
      ++marks;
    }
    svg += "</g>\n";
  }

  if (!entries.empty()) {
    svg += "<g class=\"legend\">\n<rect x=\"" + Number(legendX) + "\" y=\"" + Number(legendY) + "\" width=\"" +
           Number(legendW) + "\" height=\"" + Number(legendH) + "\" fill=\"white\" stroke=\"#bbb\"/>\n";
    double y = legendY + 15;
    for (const Entry& e : entries) {
      const double x = legendX + 6;
      svg += "<g class=\"entry\" data-label=\"" + EscapeXml(e.label) + "\">\n";
      if (e.level != nullptr) {
        svg += "<line x1=\"" + Number(x) + "\" y1=\"" + Number(y - 4) + "\" x2=\"" + Number(x + 28) + "\" y2=\"" +
               Number(y - 4) + "\" stroke=\"" +
               (e.level->colourOf >= 0 ? StyleOf(static_cast<size_t>(e.level->colourOf)).colour : std::string("#555")) +
               "\" stroke-width=\"1.2\" stroke-dasharray=\"6 4\"/>\n";
      } else {
        const Style style = StyleOf(static_cast<size_t>(e.series));
        const PlotSeries& s = series[static_cast<size_t>(e.series)];
        if (s.line) {
          svg += "<line x1=\"" + Number(x) + "\" y1=\"" + Number(y - 4) + "\" x2=\"" + Number(x + 28) + "\" y2=\"" +
                 Number(y - 4) + "\" stroke=\"" + style.colour + "\" stroke-width=\"1.5\"" + DashAttribute(style.dash) +
                 "/>\n";
        }
        if (s.line || s.markers) svg += Marker(style, x + 14, y - 4);
      }
      svg += Text(x + 34, y, "start", "legend-label", e.label);
      if (!e.note.empty()) {
        y += 11;
        svg += Text(x + 34, y, "start", "legend-note", e.note, 9);
      }
      svg += "</g>\n";
      y += kLineHeight;
    }
    svg += "</g>\n";
  }
  if (gaps > 0) {
    svg += Text(kLeft, footY - 4, "start", "footnote",
                std::to_string(gaps) + (gaps == 1 ? " value" : " values") + " not finite (nan or inf), left as gaps",
                10);
  }
  svg += "</svg>\n";
  return svg;
}
