// The HTML report of 'adaptsim run': the power of the token's error outputs
// (or of its output) against the sample, and the coefficients it wrote.
#pragma once

#include <string>
#include <vector>

#include "adaptsim/io/csv.h"
#include "adaptsim/hosting/plugin.h"

// `outputs` holds every output of every sample, one column per name in
// `outputNames` (the token's output ports, and the loop's "Error" when the
// run closed one); `weightsPaths` the final-weights files the token wrote
// (none when it wrote none).
bool WriteRunReport(const TokenInfo& token, const std::vector<std::string>& outputNames, const SampleTable& outputs,
                    const std::vector<std::string>& weightsPaths, const std::string& directory, std::string* error);
