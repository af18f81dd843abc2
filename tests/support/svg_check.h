// Checks of what a figure shows rather than of its first bytes: every
// coordinate a finite number inside the drawing.
#pragma once

#include <cmath>
#include <cstdlib>
#include <string>

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
