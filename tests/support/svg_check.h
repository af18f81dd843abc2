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
  const size_t end = svg.find('>', tag);
  const size_t at = svg.find(" " + name + "=\"", tag);
  if (at == std::string::npos || at > end) return "";
  const size_t begin = at + name.size() + 3;
  return svg.substr(begin, svg.find('"', begin) - begin);
}

inline double SvgNumber(const std::string& svg, size_t tag, const std::string& name) {
  const std::string value = SvgAttribute(svg, tag, name);
  return value.empty() ? NAN : std::strtod(value.c_str(), nullptr);
}

struct SvgText {
  std::string cls, text;
  double x, y, size, width;  // width as wide sans-serif glyphs would make it
  std::string anchor;
  double left() const { return x - width * (anchor == "middle" ? 0.5 : anchor == "end" ? 1.0 : 0.0); }
};

// Every <text> without a transform, with its box.
inline std::vector<SvgText> SvgTexts(const std::string& svg) {
  std::vector<SvgText> texts;
  for (size_t at = svg.find("<text"); at != std::string::npos; at = svg.find("<text", at + 1)) {
    if (!SvgAttribute(svg, at, "transform").empty()) continue;
    const size_t open = svg.find('>', at) + 1;
    std::string text = svg.substr(open, svg.find("</text>", open) - open);
    size_t characters = 0;
    for (unsigned char c : text) characters += (c & 0xC0) != 0x80;
    const std::string size = SvgAttribute(svg, at, "font-size");
    SvgText t{SvgAttribute(svg, at, "class"), text, SvgNumber(svg, at, "x"), SvgNumber(svg, at, "y"),
              size.empty() ? 11.0 : std::strtod(size.c_str(), nullptr), 0.0, SvgAttribute(svg, at, "text-anchor")};
    t.width = 0.6 * t.size * static_cast<double>(characters);
    texts.push_back(t);
  }
  return texts;
}

// The first two texts whose boxes overlap, as "a / b", or "".
inline std::string OverlappingTexts(const std::string& svg) {
  const std::vector<SvgText> texts = SvgTexts(svg);
  for (size_t i = 0; i < texts.size(); ++i) {
    for (size_t j = i + 1; j < texts.size(); ++j) {
      const SvgText &a = texts[i], &b = texts[j];
      const bool across = a.left() < b.left() + b.width && b.left() < a.left() + a.width;
      const bool down = a.y - a.size * 0.8 < b.y && b.y - b.size * 0.8 < a.y;
      if (across && down && !a.text.empty() && !b.text.empty()) return a.text + " / " + b.text;
    }
  }
  return "";
}

// A tick label's number: "-150", "0.5", "1000", "10⁴".
inline double TickValue(const std::string& text) {
  static const char* const kSuperscripts[] = {"⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};
  if (text.rfind("10", 0) == 0 && text.size() > 2 && static_cast<unsigned char>(text[2]) >= 0x80) {
    int exponent = 0;
    for (size_t at = 2; at < text.size();) {
      for (int d = 0; d < 10; ++d) {
        const std::string s = kSuperscripts[d];
        if (text.compare(at, s.size(), s) == 0) {
          exponent = exponent * 10 + d;
          at += s.size();
          break;
        }
        if (d == 9) return NAN;
      }
    }
    return std::pow(10.0, exponent);
  }
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  return *end == '\0' ? value : NAN;
}

// The plot frame: x, y, width, height of <rect class="frame">.
struct SvgFrame {
  double x = NAN, y = NAN, width = NAN, height = NAN;
};

inline SvgFrame FrameOf(const std::string& svg) {
  const size_t at = svg.find("<rect class=\"frame\"");
  if (at == std::string::npos) return {};
  return {SvgNumber(svg, at, "x"), SvgNumber(svg, at, "y"), SvgNumber(svg, at, "width"), SvgNumber(svg, at, "height")};
}

// The axis as its tick labels define it: pixel = offset + scale * f(value),
// f the identity or log10. `vertical` the y axis (class "tick y").
struct TickAxis {
  double offset = NAN, scale = NAN;
  bool log = false;
  std::string fault;  // why the labels do not define one axis
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
    // y labels are drawn 4 px below their grid line's centre to sit on it.
    points.push_back({log ? std::log10(v) : v, vertical ? t.y - 4 : t.x});
  }
  if (points.size() < 2) return axis.fault = "fewer than two tick labels", axis;
  axis.scale = (points.back().second - points.front().second) / (points.back().first - points.front().first);
  axis.offset = points.front().second - axis.scale * points.front().first;
  for (const auto& p : points) {
    if (std::fabs(axis.offset + axis.scale * p.first - p.second) > 0.6) {
      return axis.fault = "a tick label is not at its value's position", axis;
    }
  }
  return axis;
}

// The drawing style of each series (stroke, dashes, marker shape and
// paint), by label.
inline std::map<std::string, std::string> SeriesStyles(const std::string& svg) {
  std::map<std::string, std::string> styles;
  const std::string group = "<g class=\"series\"";
  for (size_t at = svg.find(group); at != std::string::npos; at = svg.find(group, at + 1)) {
    const size_t end = svg.find("</g>", at);
    std::string style;
    const size_t line = svg.find("<polyline", at);
    if (line < end) style += SvgAttribute(svg, line, "stroke") + "/" + SvgAttribute(svg, line, "stroke-dasharray");
    const size_t circle = svg.find("<circle", at), path = svg.find("<path d", at);
    if (circle < end && circle < path) {
      style += "|circle " + SvgAttribute(svg, circle, "fill") + SvgAttribute(svg, circle, "stroke");
    } else if (path < end) {  // a clip mark is a <path class="clip" d=...>
      const std::string d = SvgAttribute(svg, path, "d");
      style += "|path " + std::to_string(std::count(d.begin(), d.end(), 'L')) +
               std::to_string(std::count(d.begin(), d.end(), 'h')) + SvgAttribute(svg, path, "fill") +
               SvgAttribute(svg, path, "stroke");
    }
    styles[SvgAttribute(svg, at, "data-label")] = style;
  }
  return styles;
}

// The points a series draws (polyline vertices and marker centres).
inline std::vector<std::pair<double, double>> SeriesPoints(const std::string& svg, size_t group) {
  std::vector<std::pair<double, double>> points;
  const size_t end = svg.find("</g>", group);
  for (size_t at = svg.find('<', group + 1); at < end; at = svg.find('<', at + 1)) {
    if (svg.compare(at, 7, "<circle") == 0) points.push_back({SvgNumber(svg, at, "cx"), SvgNumber(svg, at, "cy")});
    if (svg.compare(at, 9, "<polyline") != 0) continue;
    const std::string list = SvgAttribute(svg, at, "points");
    for (const char* c = list.c_str(); *c != '\0';) {
      char* stop = nullptr;
      const double x = std::strtod(c, &stop);
      const double y = std::strtod(stop + 1, &stop);
      points.push_back({x, y});
      c = *stop == ' ' ? stop + 1 : stop;
    }
  }
  return points;
}

// What a reader would object to in a figure, or "": coordinates that are not
// numbers inside the drawing, tick labels away from their values, texts
// over one another, series drawn alike or not at all, data outside the frame.
inline std::string FigureFault(const std::string& svg, bool logX) {
  const std::string bad = BadSvgCoordinate(svg);
  if (!bad.empty()) return "bad coordinate " + bad;
  const std::string overlap = OverlappingTexts(svg);
  if (!overlap.empty()) return "texts overlap: " + overlap;
  const TickAxis y = AxisOfTicks(svg, true, false), x = AxisOfTicks(svg, false, logX);
  if (!y.fault.empty()) return "y axis: " + y.fault;
  if (!x.fault.empty()) return "x axis: " + x.fault;
  std::set<std::string> distinct;
  for (const auto& s : SeriesStyles(svg)) {
    if (s.second.empty()) return "series " + s.first + " draws nothing";
    if (!distinct.insert(s.second).second) return "series " + s.first + " looks like another";
  }
  const SvgFrame f = FrameOf(svg);
  const std::string group = "<g class=\"series\"";
  for (size_t at = svg.find(group); at != std::string::npos; at = svg.find(group, at + 1)) {
    for (const auto& p : SeriesPoints(svg, at)) {
      if (!(p.first >= f.x - 0.5 && p.first <= f.x + f.width + 0.5 && p.second >= f.y - 0.5 &&
            p.second <= f.y + f.height + 0.5)) {
        return "a point of " + SvgAttribute(svg, at, "data-label") + " lies outside the frame";
      }
    }
  }
  return "";
}
