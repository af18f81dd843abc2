#include "adaptive/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace adaptive {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string FormatSignificant(double value, int digits) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
  return buffer;
}

bool ParseDouble(const std::string& text, double* value) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  if (begin == end) return false;
  const std::string field = text.substr(begin, end - begin);
  char* stop = nullptr;
  const double parsed = std::strtod(field.c_str(), &stop);
  if (stop != field.c_str() + field.size()) return false;
  // Overflow gives a signed infinity and underflow a tiny value or zero: both
  // are the nearest doubles to what was written, so ERANGE is no error here.
  *value = parsed;
  return true;
}

std::string FormatExact(double value) { return FormatSignificant(value, 17); }

std::string FormatShortest(double value) {
  std::string shortest = FormatExact(value);
  for (int precision = 1; precision < 17; ++precision) {
    const std::string text = FormatSignificant(value, precision);
    if (text.size() < shortest.size() && std::strtod(text.c_str(), nullptr) == value) shortest = text;
  }
  return shortest;
}

}  // namespace adaptive
