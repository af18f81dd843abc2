// How one coefficient appears in a final-weights file.
#pragma once

#include <cstdio>

namespace adaptive {

// Writes `value` as "%20.15E" and a line feed. A value that is not finite is
// written as "NAN", "INF" or "-INF", right-aligned in the same 20-character
// field, by this function rather than by the C library: C libraries differ in
// the text of a NaN (with its sign or without, some with a payload), and
// builds differ in the sign a NaN comes out with, while the file is to be the
// same bytes from every build. The text is the one the Windows plug-in's C
// library writes for any NaN and for the infinities.
void WriteCoefficientLine(std::FILE* file, double value);

}  // namespace adaptive
