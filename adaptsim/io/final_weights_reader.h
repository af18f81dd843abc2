// Reading back the final-weights files that tokens write when they are
// destroyed, so that the tools report what the library really reached.
#pragma once

#include <string>
#include <vector>

#include "adaptive/final_weights_name.h"

struct FinalWeights {
  std::vector<double> numerator;
  // The denominator polynomial as written: 1, then the negated feedback
  // coefficients of a recursive token.
  std::vector<double> denominator;
  // The QR tokens write "Matrix close to singular..." instead of coefficients.
  bool singular = false;
};

// Parses one file. False with the reason in *error when it cannot be read or
// does not have the layout of a final-weights file.
bool ReadFinalWeights(const std::string& path, FinalWeights* weights, std::string* error);

// The files a token writes for an instance file name (adaptive/final_weights_name.h).
using adaptive::FinalWeightsPaths;

// The coefficients of all files of one token, stacked as the token holds
// them: the channels' numerators in order, then the feedback coefficients
// b(j) (the denominator's entries after the leading 1, negated back).
// False with the reason when a file is missing or malformed; *singular is set
// when a file holds the singular-matrix message instead.
bool ReadStackedCoefficients(const std::vector<std::string>& paths, std::vector<double>* coefficients,
                             bool* singular, std::string* error);
