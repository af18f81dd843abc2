// The HTML report of the system-identification demo.
#pragma once

#include <string>

#include "adaptsim/lab/identification_demo.h"

// Writes the report into `directory`; false with the reason.
bool WriteIdentificationReport(const IdentificationSettings& settings, const IdentificationResult& result,
                               const std::string& directory, std::string* error);
