#include "tokens/coefficient_text.h"

#include <cmath>

namespace adaptive {

void WriteCoefficientLine(std::FILE* file, double value) {
  if (std::isfinite(value)) std::fprintf(file, "%20.15E\n", value);
  else std::fprintf(file, "%20s\n", std::isnan(value) ? "NAN" : value < 0 ? "-INF" : "INF");
}

}  // namespace adaptive
