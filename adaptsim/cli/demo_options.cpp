#include "adaptsim/cli/demo_options.h"

#include <cmath>

#include "adaptive/number_text.h"
#include "adaptive/name_match.h"

namespace {

// A whole number from `low` to `high`.
bool ReadCount(const ParsedArguments& arguments, const char* name, int64_t low, int64_t high, int64_t* value,
               std::string* error) {
  if (!arguments.has(name)) return true;
  const std::string text = arguments.last(name, "");
  double number = 0.0;
  if (!adaptive::ParseDouble(text, &number) || number != std::floor(number) || number < static_cast<double>(low) ||
      number > static_cast<double>(high)) {
    *error = std::string("--") + name + " must be a whole number from " + std::to_string(low) + " to " +
             std::to_string(high) + ", got \"" + adaptive::Shown(text) + "\"";
    return false;
  }
  *value = static_cast<int64_t>(number);
  return true;
}

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    const std::string item = text.substr(start, comma - start);
    if (!item.empty()) items.push_back(item);
    if (comma == std::string::npos) return items;
    start = comma + 1;
  }
}

}  // namespace

bool ReadDemoOptions(const ParsedArguments& arguments, int processors, DemoOptions* options, std::string* error) {
  *options = DemoOptions();
  if (!arguments.positionals.empty()) {
    *error = "takes no arguments, got \"" + adaptive::Shown(arguments.positionals.front()) + "\"";
    return false;
  }
  const std::string scenario = arguments.last("scenario", "identification");
  if (scenario == "equalizer" || scenario == "equaliser") {
    options->scenario = DemoScenario::kEqualizer;
  } else if (scenario != "identification") {
    *error = "--scenario must be identification or equalizer, got \"" + adaptive::Shown(scenario) + "\"";
    return false;
  }
  IdentificationSettings& id = options->identification;
  int64_t samples = id.scenario.samples, taps = id.scenario.taps, seed = 1, runs = id.runs;
  int64_t workers = processors;
  if (!ReadCount(arguments, "samples", 1, kMaxDemoSamples, &samples, error) ||
      !ReadCount(arguments, "taps", 1, kMaxDemoTaps, &taps, error) ||
      !ReadCount(arguments, "seed", 0, int64_t{1} << 52, &seed, error) ||
      !ReadCount(arguments, "runs", 1, 100000, &runs, error) ||
      !ReadCount(arguments, "workers", 1, 256, &workers, error)) {
    return false;
  }
  if (static_cast<double>(samples) * static_cast<double>(runs) > 1e9) {
    *error = "--samples times --runs must stay below 1e9";
    return false;
  }
  if (arguments.has("snr")) {
    const std::string text = arguments.last("snr", "");
    if (!adaptive::ParseDouble(text, &id.scenario.snrDb) || std::isnan(id.scenario.snrDb) ||
        id.scenario.snrDb == -INFINITY) {
      *error = "--snr must be a number of dB or inf (no noise), got \"" + adaptive::Shown(text) + "\"";
      return false;
    }
  }
  id.scenario.samples = samples;
  id.scenario.taps = static_cast<int>(taps);
  id.scenario.seed = static_cast<uint64_t>(seed);
  id.scenario.coloured = arguments.has("coloured");
  id.runs = static_cast<int>(runs);
  id.workers = static_cast<int>(workers);
  options->samplesGiven = arguments.has("samples");
  options->runsGiven = arguments.has("runs");
  options->tapsGiven = arguments.has("taps");
  if (arguments.has("tokens")) {
    id.tokens = SplitList(arguments.last("tokens", ""));
    if (id.tokens.empty()) {
      *error = "--tokens needs at least one token name";
      return false;
    }
  }
  if (options->scenario == DemoScenario::kEqualizer && (arguments.has("snr") || arguments.has("coloured"))) {
    *error = "--snr and --coloured belong to the identification scenario; the equalizer's noise is fixed";
    return false;
  }
  options->reportDirectory = arguments.last("report", "");
  if (arguments.has("report") && options->reportDirectory.empty()) {
    *error = "--report needs a directory";
    return false;
  }
  return true;
}
