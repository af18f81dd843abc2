// The HTML report of 'adaptsim run': the power of the token's error outputs
// (or of its output) against the sample, beside the power of the Desired
// signal they cancel, and the coefficients it wrote.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "adaptsim/io/csv.h"

struct RunReportData {
  std::string token;  // catalogue name
  std::string description;
  std::vector<std::pair<std::string, double>> parameters;  // as the run set them
  // Every output of every sample, one column per name in `outputNames` (the
  // token's output ports, and the loop's "Error" when the run closed one).
  std::vector<std::string> outputNames;
  SampleTable outputs;
  std::vector<double> desired;  // the "Desired" column; empty when the run has none
  bool fullScale = false;       // read from a sound file: samples relative to full scale
  int quantisationBits = 0;     // of an integer-format sound file, else 0
  std::vector<std::string> weightsPaths;  // the final-weights files written (none when none)
};

// The power of the rounding of a `bits`-bit recording relative to full
// scale (dB): q^2/12 with q = 2^(1 - bits).
double QuantisationFloorDb(int bits);

bool WriteRunReport(const RunReportData& run, const std::string& directory, std::string* error);

// The files WriteRunReport may write into `directory` for a run with
// `weightsFiles` final-weights files.
std::vector<std::string> RunReportFiles(const std::string& directory, size_t weightsFiles);
