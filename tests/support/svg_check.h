// Checks of what a figure shows rather than of its first bytes: every
// coordinate a finite number inside the drawing.
#pragma once

#include <cmath>
#include <cstdlib>
#include <regex>
#include <string>

// The first coordinate attribute of `svg` that is not a finite number within
// the figure's bounds (with a little slack for text below the frame), as
// "name=\"value\"", or "" when all are.
inline std::string BadSvgCoordinate(const std::string& svg, double bound = 4000.0) {
  static const std::regex attribute(R"re(\s(x|y|x1|x2|y1|y2|cx|cy|r|width|height|points)="([^"]*)")re");
  for (std::sregex_iterator it(svg.begin(), svg.end(), attribute), end; it != end; ++it) {
    const std::string value = (*it)[2];
    if (value.find('%') != std::string::npos) continue;  // width="100%" of the background
    const char* at = value.c_str();
    for (;;) {
      while (*at == ' ' || *at == ',') ++at;
      if (*at == '\0') break;
      char* stop = nullptr;
      const double number = std::strtod(at, &stop);
      if (stop == at || !std::isfinite(number) || std::fabs(number) > bound) {
        return (*it)[1].str() + "=\"" + value.substr(0, 60) + "\"";
      }
      at = stop;
    }
  }
  return "";
}
