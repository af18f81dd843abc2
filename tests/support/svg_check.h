// Checks of what a figure shows rather than of its first bytes: coordinates
// that are numbers inside the drawing, tick labels that sit at their values,
// texts that do not overlap, curves that can be told apart.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

// The first coordinate attribute of `svg` that is not a finite number within
// the figure's bounds (with a little slack for text below the frame), as
// "name=\"value\"", or "" when all are.
inline std::string BadSvgCoordinate(const std::string& svg, double bound = 4000.0) {
  for (const char* name : {"x", "y", "x1", "x2", "y1", "y2", "cx", "cy", "r", "width", "height", "points"}) {
    const std::string opening = std::string(" ") + name + "=\"";
    for (size_t at = svg.find(opening); at != std::string::npos; at = svg.find(opening, at + 1)) {
      const size_t begin = at + opening.size();
      const std::string value = svg.substr(begin, svg.find('"', begin) - begin);
      if (value.find('%') != std::string::npos) continue;  // width="100%" of the background
      const char* c = value.c_str();
      for (;;) {
        while (*c == ' ' || *c == ',') ++c;
        if (*c == '\0') break;
        char* stop = nullptr;
        const double number = std::strtod(c, &stop);
        if (stop == c || !std::isfinite(number) || std::fabs(number) > bound) {
          return std::string(name) + "=\"" + value.substr(0, 60) + "\"";
        }
        c = stop;
      }
    }
  }
  return "";
}

// The value of attribute `name` in the tag that starts at `tag`, or "".
inline std::string SvgAttribute(const std::string& svg, size_t tag, const std::string& name) {
  const size_t at = svg.find(" " + name + "=\"", tag);
  if (at == std::string::npos || at > svg.find('>', tag)) return "";
  const size_t begin = at + name.size() + 3;
  return svg.substr(begin, svg.find('"', begin) - begin);
}

inline double SvgNumber(const std::string& svg, size_t tag, const std::string& name) {
  const std::string value = SvgAttribute(svg, tag, name);
  return value.empty() ? NAN : std::strtod(value.c_str(), nullptr);
}

struct SvgText {
  std::string cls, text;
  double x, y, size, left, width;  // the box as wide sans-serif glyphs make it
};

// Every <text> without a transform.
inline std::vector<SvgText> SvgTexts(const std::string& svg) {
  std::vector<SvgText> texts;
  for (size_t at = svg.find("<text"); at != std::string::npos; at = svg.find("<text", at + 1)) {
    if (!SvgAttribute(svg, at, "transform").empty()) continue;
    const size_t open = svg.find('>', at) + 1;
    const std::string text = svg.substr(open, svg.find("</text>", open) - open);
    double characters = 0;
    for (unsigned char c : text) characters += (c & 0xC0) != 0x80;
    const double size = SvgAttribute(svg, at, "font-size").empty() ? 11.0 : SvgNumber(svg, at, "font-size");
    const std::string anchor = SvgAttribute(svg, at, "text-anchor");
    const double width = 0.6 * size * characters, x = SvgNumber(svg, at, "x");
    texts.push_back({SvgAttribute(svg, at, "class"), text, x, SvgNumber(svg, at, "y"), size,
                     x - width * (anchor == "middle" ? 0.5 : anchor == "end" ? 1.0 : 0.0), width});
  }
  return texts;
}

// The first two texts whose boxes overlap, as "a / b", or "".
inline std::string OverlappingTexts(const std::string& svg) {
  const std::vector<SvgText> texts = SvgTexts(svg);
  for (size_t i = 0; i < texts.size(); ++i) {
    for (size_t j = i + 1; j < texts.size(); ++j) {
      const SvgText &a = texts[i], &b = texts[j];
      if (a.left < b.left + b.width && b.left < a.left + a.width && a.y - a.size * 0.8 < b.y &&
          b.y - b.size * 0.8 < a.y) {
        return a.text + " / " + b.text;
      }
    }
  }
  return "";
}

// A tick label's number: "-150", "0.5", "1000", "10⁴" (NaN for no number).
inline double TickValue(std::string text) {
  static const char* const kSuperscripts[] = {"⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};
  bool power = false;
  for (int d = 0; d < 10; ++d) {
    for (size_t at; (at = text.find(kSuperscripts[d])) != std::string::npos; power = true) {
      text.replace(at, std::string(kSuperscripts[d]).size(), std::string(1, static_cast<char>('0' + d)));
    }
  }
  char* end = nullptr;
  const double value = power ? std::pow(10.0, std::strtod(text.c_str() + 2, &end)) : std::strtod(text.c_str(), &end);
  return *end == '\0' && !text.empty() ? value : NAN;
}

// <rect class="frame">: the axes' box.
struct SvgFrame {
  double x = NAN, y = NAN, width = NAN, height = NAN;
};

inline SvgFrame FrameOf(const std::string& svg) {
  const size_t at = svg.find("<rect class=\"frame\"");
  if (at == std::string::npos) return {};
  return {SvgNumber(svg, at, "x"), SvgNumber(svg, at, "y"), SvgNumber(svg, at, "width"), SvgNumber(svg, at, "height")};
}

// The axis as its tick labels define it: pixel = offset + scale * f(value),
// f the identity or log10; `fault` says why the labels define no one axis.
struct TickAxis {
  double offset = NAN, scale = NAN;
  bool log = false;
  std::string fault;
  double pixel(double value) const { return offset + scale * (log ? std::log10(value) : value); }
};

inline TickAxis AxisOfTicks(const std::string& svg, bool vertical, bool log) {
  TickAxis axis;
  axis.log = log;
  std::vector<std::pair<double, double>> points;  // f(value), pixel
  for (const SvgText& t : SvgTexts(svg)) {
    if (t.cls != (vertical ? "tick y" : "tick x")) continue;
    const double v = TickValue(t.text);
    if (std::isnan(v)) return axis.fault = "tick label \"" + t.text + "\" is no number", axis;
    // y labels sit 4 px below their grid line to be centred on it.
    points.push_back({log ? std::log10(v) : v, vertical ? t.y - 4 : t.x});
  }
  if (points.size() < 2) return axis.fault = "fewer than two tick labels", axis;
  axis.scale = (points.back().second - points.front().second) / (points.back().first - points.front().first);
  axis.offset = points.front().second - axis.scale * points.front().first;
  for (const auto& p : points) {
    if (std::fabs(axis.pixel(log ? std::pow(10.0, p.first) : p.first) - p.second) > 0.6) {
      axis.fault = "a tick label is not at its value's position";
    }
  }
  return axis;
}

// Each series' style (stroke, dashes, first marker's shape and paint) and the
// points it draws (polyline vertices, circle centres), by label.
struct SvgSeries {
  std::string style;
  std::vector<std::pair<double, double>> points;
};

inline std::map<std::string, SvgSeries> SeriesOf(const std::string& svg) {
  std::map<std::string, SvgSeries> all;
  const std::string group = "<g class=\"series\"";
  for (size_t at = svg.find(group); at != std::string::npos; at = svg.find(group, at + 1)) {
    SvgSeries& s = all[SvgAttribute(svg, at, "data-label")];
    bool marker = false;
    for (size_t e = svg.find('<', at + 1); e < svg.find("</g>", at); e = svg.find('<', e + 1)) {
      const std::string tag = svg.substr(e, svg.find_first_of(" >", e) - e);
      if (tag == "<polyline" && s.style.empty()) {
        s.style = SvgAttribute(svg, e, "stroke") + "/" + SvgAttribute(svg, e, "stroke-dasharray");
      }
      if ((tag == "<circle" || tag == "<path") && SvgAttribute(svg, e, "class").empty() && !marker) {
        const std::string d = SvgAttribute(svg, e, "d");
        s.style += "|" + tag + SvgAttribute(svg, e, "fill") + SvgAttribute(svg, e, "stroke") +
                   std::to_string(std::count(d.begin(), d.end(), 'L')) + std::to_string(std::count(d.begin(), d.end(), 'h'));
        marker = true;
      }
      if (tag == "<circle") s.points.push_back({SvgNumber(svg, e, "cx"), SvgNumber(svg, e, "cy")});
      const std::string list = tag == "<polyline" ? SvgAttribute(svg, e, "points") : "";
      for (const char* c = list.c_str(); *c != '\0';) {
        char* stop = nullptr;
        const double x = std::strtod(c, &stop);
        s.points.push_back({x, std::strtod(stop + 1, &stop)});
        c = *stop == ' ' ? stop + 1 : stop;
      }
    }
  }
  return all;
}

// What a reader would object to in a figure, or "": coordinates that are not
// numbers inside the drawing, texts over one another, tick labels away from
// their values, series drawn alike or not at all, data outside the frame.
inline std::string FigureFault(const std::string& svg, bool logX) {
  const std::string bad = BadSvgCoordinate(svg);
  if (!bad.empty()) return "bad coordinate " + bad;
  const std::string overlap = OverlappingTexts(svg);
  if (!overlap.empty()) return "texts overlap: " + overlap;
  const TickAxis y = AxisOfTicks(svg, true, false), x = AxisOfTicks(svg, false, logX);
  if (!y.fault.empty() || !x.fault.empty()) return "axis: " + y.fault + x.fault;
  const SvgFrame f = FrameOf(svg);
  std::set<std::string> styles;
  for (const auto& s : SeriesOf(svg)) {
    if (s.second.style.empty()) return "series " + s.first + " draws nothing";
    if (!styles.insert(s.second.style).second) return "series " + s.first + " looks like another";
    for (const auto& p : s.second.points) {
      if (!(p.first >= f.x - 0.5 && p.first <= f.x + f.width + 0.5 && p.second >= f.y - 0.5 &&
            p.second <= f.y + f.height + 0.5)) {
        return "a point of " + s.first + " lies outside the frame";
      }
    }
  }
  return "";
}
