#include "adaptsim/io/final_weights_reader.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "adaptive/number_text.h"

namespace {

constexpr int kMaxCoefficients = 1 << 24;  // far beyond any token the tools create

// Reads "<header> =<count>" and then `count` value lines.
bool ReadSection(std::istream& in, const std::string& header, std::vector<double>* values, std::string* error) {
  std::string line;
  do {
    if (!std::getline(in, line)) {
      *error = "missing \"" + header + "\" line";
      return false;
    }
  } while (line.empty());
  const std::string prefix = header + " =";
  double count = 0.0;
  if (line.compare(0, prefix.size(), prefix) != 0 || !adaptive::ParseDouble(line.substr(prefix.size()), &count) ||
      count < 0 || count > kMaxCoefficients || count != static_cast<int>(count)) {
    *error = "expected \"" + prefix + "N\", found \"" + line + "\"";
    return false;
  }
  values->clear();
  for (int i = 0; i < static_cast<int>(count); ++i) {
    double value = 0.0;
    if (!std::getline(in, line) || !adaptive::ParseDouble(line, &value)) {
      *error = header + ": value " + std::to_string(i + 1) + " of " + std::to_string(static_cast<int>(count)) +
               " missing or not a number";
      return false;
    }
    values->push_back(value);
  }
  return true;
}

}  // namespace

bool ReadFinalWeights(const std::string& path, FinalWeights* weights, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  *weights = FinalWeights();
  std::string first;
  std::getline(in, first);
  if (first == "Matrix close to singular...") {
    weights->singular = true;
    return true;
  }
  in.clear();
  in.seekg(0);
  std::string reason;
  if (!ReadSection(in, "Numerator Coefficients", &weights->numerator, &reason) ||
      !ReadSection(in, "Denominator Coefficients", &weights->denominator, &reason)) {
    *error = path + ": " + reason;
    return false;
  }
  if (weights->denominator.empty() || weights->denominator[0] != 1.0) {
    *error = path + ": the denominator does not start with 1";
    return false;
  }
  return true;
}

bool ReadStackedCoefficients(const std::vector<std::string>& paths, std::vector<double>* coefficients,
                             bool* singular, std::string* error) {
  coefficients->clear();
  *singular = false;
  std::vector<double> feedback;
  for (const std::string& path : paths) {
    FinalWeights weights;
    if (!ReadFinalWeights(path, &weights, error)) return false;
    if (weights.singular) {
      *singular = true;
      continue;
    }
    coefficients->insert(coefficients->end(), weights.numerator.begin(), weights.numerator.end());
    for (size_t j = 1; j < weights.denominator.size(); ++j) feedback.push_back(-weights.denominator[j]);
  }
  if (*singular) {
    coefficients->clear();
    return true;
  }
  coefficients->insert(coefficients->end(), feedback.begin(), feedback.end());
  return true;
}
