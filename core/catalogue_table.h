// The catalogue itself, visible to the compiler wherever a token reads its
// parameters: each token derives the positions it reads from the names here,
// so that moving or renaming a parameter cannot silently shift what it reads.
#pragma once

#include <string_view>

#include "core/catalogue.h"

namespace adaptive {

inline constexpr CatalogueEntry kCatalogue[] = {
    {"LMS", "Implements an one channel Feintuch's LMS algorithm.", "lmsx.wmf",
     2, {"Input", "Desired"},
     3, {"Output", "PriError", "PostError"},
     6, {{"Numerator Coeffs", 10}, {"Mu Forward", 0.01}, {"Leakage Forward", 1},
         {"Denominator Coeffs", 1}, {"Mu Backward", 0.01}, {"Leakage Backward", 1}},
     "lms.txt"},
    {"LMS2", "Implements a two channel LMS algorithm.", "lmsx.wmf",
     3, {"Input 1", "Input 2", "Desired"},
     3, {"Output", "PriError", "PostError"},
     6, {{"Numerator Coeffs  1", 10}, {"Mu 1", 0.01}, {"Leakage 1", 1},
         {"Numerator Coeffs  2", 10}, {"Mu 2", 0.01}, {"Leakage 2", 1}},
     "lms2.txt"},
    {"LMS3", "Implements a three channel LMS algorithm.", "lmsx.wmf",
     4, {"Input 1", "Input 2", "Input 3", "Desired"},
     3, {"Output", "PriError", "PostError"},
     9, {{"Numerator Coeffs  1", 10}, {"Mu 1", 0.01}, {"Leakage 1", 1},
         {"Numerator Coeffs  2", 10}, {"Mu 2", 0.01}, {"Leakage 2", 1},
         {"Numerator Coeffs  3", 10}, {"Mu 3", 0.01}, {"Leakage 3", 1}},
     "lms3.txt"},
    {"GenLMS_A", "Implements an FIR General LMS algorithm.", "lmsx.wmf",
     5, {"Input", "- de/dw", "Error", "Mu", "Leakage"},
     1, {"Output"},
     4, {{"Numerator Coeffs", 10}, {"First Tap Value", 0}, {"Middle Tap Value", 0},
         {"Last Tap Value", 0}},
     "genlms_a.txt"},
    {"GenLMS_B", "Implements an FIR General LMS algorithm.", "lmsx.wmf",
     3, {"Input", "- de/dw", "Error"},
     1, {"Output"},
     6, {{"Numerator Coeffs", 10}, {"Mu", 0.01}, {"Leakage Factor", 1},
         {"First Tap Value", 0}, {"Middle Tap Value", 0}, {"Last Tap Value", 0}},
     "genlms_b.txt"},
    {"GenNLMS", "Implements an FIR General NLMS algorithm.", "nlmsx.wmf",
     3, {"Input", "- de/dw", "Error"},
     1, {"Output"},
     6, {{"Numerator Coeffs", 10}, {"Mu", 0.5}, {"Leakage Factor", 1},
         {"First Tap Value", 0}, {"Middle Tap Value", 0}, {"Last Tap Value", 0}},
     "gennlms.txt"},
    {"NLMS", "Implements an one channel normalised LMS algorithm.", "nlmsx.wmf",
     2, {"Input", "Desired"},
     3, {"Output", "PriError", "PostError"},
     6, {{"Numerator Coeffs", 10}, {"Mu Forward", 0.5}, {"Leakage Forward", 1},
         {"Denominator Coeffs", 1}, {"Mu Backward", 0.5}, {"Leakage Backward", 1}},
     "nlms.txt"},
    {"NLMS2", "Implements an two channel normalised LMS algorithm.", "nlmsx.wmf",
     3, {"Input 1", "Input 2", "Desired"},
     3, {"Output", "PriError", "PostError"},
     6, {{"Numerator Coeffs  1", 10}, {"Mu 1", 0.5}, {"Leakage 1", 1},
         {"Numerator Coeffs  2", 10}, {"Mu 2", 0.5}, {"Leakage 2", 1}},
     "nlms2.txt"},
    {"NLMS3", "Implements an three channel normalised LMS algorithm.", "nlmsx.wmf",
     4, {"Input 1", "Input 2", "Input 3", "Desired"},
     3, {"Output", "PriError", "PostError"},
     9, {{"Numerator Coeffs  1", 10}, {"Mu 1", 0.5}, {"Leakage 1", 1},
         {"Numerator Coeffs  2", 10}, {"Mu 2", 0.5}, {"Leakage 2", 1},
         {"Numerator Coeffs  3", 10}, {"Mu 3", 0.5}, {"Leakage 3", 1}},
     "nlms3.txt"},
    {"GenNEW", "Implements an one channel general Newton algorithm.", "newx.wmf",
     2, {"Input", "Error"},
     1, {"Output"},
     8, {{"Numerator Coeffs", 10}, {"Lambda", 0.999}, {"Mu", 0.1}, {"Leakage", 1},
         {"Init", 0.00001}, {"First Tap Value", 0}, {"Middle Tap Value", 0},
         {"Last Tap Value", 0}},
     "gennew.txt"},
    {"NEW", "Implements an one channel Newton algorithm.", "newx.wmf",
     2, {"Input", "Desired"},
     3, {"Output", "PriError", "PostError"},
     6, {{"Numerator Coeffs", 10}, {"Denominator Coeffs", 1}, {"Lambda", 0.999},
         {"Mu", 0.1}, {"Leakage", 1}, {"Init", 0.00001}},
     "new.txt"},
    {"NEW2", "Implements a two channel Newton algorithm.", "newx.wmf",
     3, {"Input 1", "Input 2", "Desired"},
     3, {"Output", "PriError", "PostError"},
     6, {{"Numerator Coeffs  1", 10}, {"Numerator Coeffs  2", 10}, {"Lambda", 0.999},
         {"Mu", 0.1}, {"Leakage", 1}, {"Init", 0.00001}},
     "new2.txt"},
    {"NEW3", "Implements a three channel Newton algorithm.", "newx.wmf",
     4, {"Input 1", "Input 2", "Input 3", "Desired"},
     3, {"Output", "PriError", "PostError"},
     7, {{"Numerator Coeffs  1", 10}, {"Numerator Coeffs  2", 10},
         {"Numerator Coeffs  3", 10}, {"Lambda", 0.999}, {"Mu", 0.1}, {"Leakage", 1},
         {"Init", 0.00001}},
     "new3.txt"},
    {"QR1", "Implements an one channel QR algorithm.", "qrx.wmf",
     2, {"Input", "Desired"},
     4, {"Output", "PriError", "PostError", "Gamma"},
     2, {{"Numerator Coeffs", 10}, {"Lambda", 0.999}},
     "qr1.txt"},
    {"QR2", "Implements a two channel QR algorithm.", "qrx.wmf",
     3, {"Input 1", "Input 2", "Desired"},
     4, {"Output", "PriError", "PostError", "Gamma"},
     3, {{"Numerator Coeffs  1", 10}, {"Numerator Coeffs  2", 10}, {"Lambda", 0.999}},
     "qr2.txt"},
    {"QR3", "Implements a three channel QR algorithm.", "qrx.wmf",
     4, {"Input 1", "Input 2", "Input 3", "Desired"},
     4, {"Output", "PriError", "PostError", "Gamma"},
     4, {{"Numerator Coeffs  1", 10}, {"Numerator Coeffs  2", 10},
         {"Numerator Coeffs  3", 10}, {"Lambda", 0.999}},
     "qr3.txt"},
    {"GenRLS", "Implements a general RLS algorithm.", "rlsx.wmf",
     2, {"Input", "Error"},
     1, {"Output"},
     6, {{"Numerator Coeffs", 10}, {"Lambda", 0.999}, {"Init", 0.00001},
         {"First Tap Value", 0}, {"Middle Tap Value", 0}, {"Last Tap Value", 0}},
     "genrls.txt"},
    {"RLS1", "Implements an one channel RLS algorithm.", "rlsx.wmf",
     2, {"Input", "Desired"},
     3, {"Output", "PriError", "PostError"},
     3, {{"Numerator Coeffs", 10}, {"Lambda", 0.999}, {"Init", 0.00001}},
     "rls1.txt"},
    {"RLS2", "Implements a two channel RLS algorithm.", "rlsx.wmf",
     3, {"Input 1", "Input 2", "Desired"},
     3, {"Output", "PriError", "PostError"},
     4, {{"Numerator Coeffs  1", 10}, {"Numerator Coeffs  2", 10}, {"Lambda", 0.999},
         {"Init", 0.00001}},
     "rls2.txt"},
    {"RLS3", "Implements a three channel RLS algorithm.", "rlsx.wmf",
     4, {"Input 1", "Input 2", "Input 3", "Desired"},
     3, {"Output", "PriError", "PostError"},
     5, {{"Numerator Coeffs  1", 10}, {"Numerator Coeffs  2", 10},
         {"Numerator Coeffs  3", 10}, {"Lambda", 0.999}, {"Init", 0.00001}},
     "rls3.txt"},
    {"GenRW", "Implements a general RW algorithm.", "rwx.wmf",
     2, {"Input", "Error"},
     1, {"Output"},
     7, {{"Numerator Coeffs", 10}, {"Lambda", 0.999}, {"Init", 0.00001},
         {"Random Walk Variance", 1}, {"First Tap Value", 0}, {"Middle Tap Value", 0},
         {"Last Tap Value", 0}},
     "genrw.txt"},
    {"RW1", "Implements an one channel random walk algorithm.", "rwx.wmf",
     2, {"Input", "Desired"},
     3, {"Output", "PriError", "PostError"},
     4, {{"Numerator Coeffs", 10}, {"Lambda", 0.999}, {"Init", 0.00001},
         {"Random Walk Variance", 1}},
     "rw1.txt"},
    {"RW2", "Implements a two channel random walk algorithm.", "rwx.wmf",
     3, {"Input 1", "Input 2", "Desired"},
     3, {"Output", "PriError", "PostError"},
     5, {{"Numerator Coeffs  1", 10}, {"Numerator Coeffs  2", 10}, {"Lambda", 0.999},
         {"Init", 0.00001}, {"Random Walk Variance", 1}},
     "rw2.txt"},
    {"RW3", "Implements a three channel random walk algorithm.", "rwx.wmf",
     4, {"Input 1", "Input 2", "Input 3", "Desired"},
     3, {"Output", "PriError", "PostError"},
     6, {{"Numerator Coeffs  1", 10}, {"Numerator Coeffs  2", 10},
         {"Numerator Coeffs  3", 10}, {"Lambda", 0.999}, {"Init", 0.00001},
         {"Random Walk Variance", 1}},
     "rw3.txt"},
};

static_assert(sizeof(kCatalogue) / sizeof(kCatalogue[0]) == kCatalogueSize,
              "the host is told of exactly kCatalogueSize tokens");

// Every count must cover exactly the names written for it, so that USERCODE
// never hands the host a null name nor leaves a named port out.
constexpr bool CountsMatchNames(const CatalogueEntry& e) {
  for (int i = 0; i < kMaxInputPorts; ++i) {
    if ((i < e.inputCount) != (e.inputNames[i] != nullptr)) return false;
  }
  for (int i = 0; i < kMaxOutputPorts; ++i) {
    if ((i < e.outputCount) != (e.outputNames[i] != nullptr)) return false;
  }
  for (int i = 0; i < kMaxParameters; ++i) {
    if ((i < e.parameterCount) != (e.parameters[i].name != nullptr)) return false;
  }
  return true;
}

constexpr bool AllCountsMatchNames() {
  for (const CatalogueEntry& e : kCatalogue) {
    if (!CountsMatchNames(e)) return false;
  }
  return true;
}

static_assert(AllCountsMatchNames(), "a catalogue count disagrees with its names");

// Position of the entry named `token`. Meant for constant expressions: an
// unknown name throws, which the compiler reports as an error.
constexpr int CatalogueIndex(std::string_view token) {
  for (int t = 0; t < kCatalogueSize; ++t)
    if (token == kCatalogue[t].name) return t;
  throw "no catalogue entry of that name";
}

// Position of parameter `parameter` in entry `entry`; as CatalogueIndex, an
// unknown name is a compile-time error.
constexpr int ParameterIndex(int entry, std::string_view parameter) {
  for (int p = 0; p < kCatalogue[entry].parameterCount; ++p)
    if (parameter == kCatalogue[entry].parameters[p].name) return p;
  throw "no parameter of that name in the catalogue entry";
}

}  // namespace adaptive
