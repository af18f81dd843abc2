// Doubles as text: parsing of user input, and printing that reads back exactly,
// shared by adaptsim and the interface's messages.
#pragma once

#include <string>

namespace adaptive {

// Parses the whole of `text` (blanks around it allowed) as a double, including
// "nan", "inf" and "infinity" in any case and with a sign. False on anything
// else, such as an empty field or trailing characters.
bool ParseDouble(const std::string& text, double* value);

// Numbers are printed with "%.Ng", except that every NaN is "nan", whatever
// its sign and payload (which builds leave different), and the infinities are
// "inf" and "-inf": the same text from every build and every C library.

// `digits` significant digits.
std::string FormatSignificant(double value, int digits);

// 17 significant digits: always reads back to the same double.
std::string FormatExact(double value);

// The shortest "%.Ng" text that reads back to the same double ("0.01", not
// "0.01000000000000000021"), for showing values to people.
std::string FormatShortest(double value);

}  // namespace adaptive
