// The options of 'adaptsim demo', checked and converted.
#pragma once

#include <string>

#include "adaptsim/cli/arguments.h"
#include "adaptsim/lab/identification_demo.h"

enum class DemoScenario { kIdentification, kEqualizer };

struct DemoOptions {
  DemoScenario scenario = DemoScenario::kIdentification;
  IdentificationSettings identification;  // scenario, runs, workers, tokens
  bool samplesGiven = false;
  bool runsGiven = false;
  bool tapsGiven = false;
  std::string reportDirectory;  // empty: no report
};

// False with the reason for the first option that is out of range or not a
// number. `processors` is the default worker count.
bool ReadDemoOptions(const ParsedArguments& arguments, int processors, DemoOptions* options, std::string* error);
