#include <algorithm>
#include <iostream>

#include "adaptsim/cli/commands.h"
#include "adaptsim/cli/demo_options.h"
#include "adaptsim/lab/equalizer_demo.h"
#include "adaptsim/lab/identification_demo.h"
#include "adaptsim/lab/identification_report.h"
#include "adaptsim/lab/trial_pool.h"

namespace {

int RunIdentificationDemo(const CommandContext& context, const Plugin& plugin, const DemoOptions& options) {
  const IdentificationSettings& settings = options.identification;
  IdentificationResult result;
  std::string error;
  const int64_t jobs = static_cast<int64_t>(settings.runs) *
                       static_cast<int64_t>(settings.tokens.empty() ? plugin.catalogue().size() : settings.tokens.size());
  ProgressBar progress(context.io.err, StandardErrorIsTerminal(), "demo", jobs);
  if (!RunIdentification(plugin, settings, &progress, &result, &error)) {
    context.complain(error);
    return kExitFailure;
  }
  PrintIdentificationTable(settings, result, context.io.out);
  if (!options.reportDirectory.empty()) {
    if (!WriteIdentificationReport(settings, result, options.reportDirectory, &error)) {
      context.complain(error);
      return kExitFailure;
    }
    context.io.out << "Report: " << options.reportDirectory << "/index.html\n";
  }
  context.io.out << "\nNext:"
                 << (options.reportDirectory.empty()
                         ? "\n  adaptsim demo --report demo-report     learning curves and coefficient errors as HTML: "
                           "open demo-report/index.html"
                         : "\n  open " + options.reportDirectory + "/index.html in a browser")
                 << "\n  adaptsim demo --scenario equalizer --report equaliser-report   the textbook equaliser "
                    "experiment"
                    "\n  adaptsim describe NLMS                  what a token computes, its parameters and ranges"
                    "\n  ./run.sh docs                           the reference manual, build/docs/html/index.html\n";
  return kExitOk;
}

int RunEqualizerDemo(const CommandContext& context, const Plugin& plugin, const DemoOptions& options) {
  EqualizerSettings settings;
  const IdentificationSettings& id = options.identification;
  if (options.samplesGiven) settings.samples = id.scenario.samples;
  if (options.runsGiven) settings.runs = id.runs;
  if (options.tapsGiven) settings.taps = id.scenario.taps;
  settings.seed = id.scenario.seed;
  settings.workers = id.workers;
  settings.tokens = id.tokens;
  std::string error;
  if (!CheckEqualizerTokens(plugin, settings.tokens, &error)) {
    context.complain(error);
    return kExitUsage;
  }
  if (context.checkedOnly()) return kExitOk;
  size_t tokenCount = settings.tokens.size();
  if (tokenCount == 0) {
    for (const TokenInfo& token : plugin.catalogue()) {
      if (std::find(token.inputNames.begin(), token.inputNames.end(), "Input") != token.inputNames.end()) ++tokenCount;
    }
  }
  ProgressBar progress(context.io.err, StandardErrorIsTerminal(), "equalizer",
                       static_cast<int64_t>(tokenCount * settings.widths.size()) * settings.runs);
  EqualizerResult result;
  if (!RunEqualizer(plugin, settings, &progress, &result, &error)) {
    context.complain(error);
    return kExitFailure;
  }
  PrintEqualizerTable(settings, result, context.io.out);
  if (!options.reportDirectory.empty()) {
    if (!WriteEqualizerReport(settings, result, options.reportDirectory, &error)) {
      context.complain(error);
      return kExitFailure;
    }
    context.io.out << "Report: " << options.reportDirectory << "/index.html\n";
  } else {
    context.io.out << "(--report DIR plots the learning curves of LMS, NLMS, RLS1, QR1 and NEW.)\n";
  }
  return kExitOk;
}

int RunDemo(const CommandContext& context) {
  DemoOptions options;
  std::string error;
  if (!ReadDemoOptions(context.arguments, AvailableProcessors(), &options, &error)) {
    context.complain(error);
    return kExitUsage;
  }
  const std::unique_ptr<Plugin> plugin = context.loadPlugin();
  if (!plugin) return kExitFailure;
  // --tokens in any letter case, spelt as the catalogue spells them from here on.
  for (std::string& name : options.identification.tokens) {
    if (const TokenInfo* token = FindTokenAnyCase(*plugin, name)) name = token->name;
  }
  if (!CheckTokenNames(*plugin, options.identification.tokens, &error)) {
    context.complain(error);
    return kExitUsage;
  }
  if (options.scenario == DemoScenario::kEqualizer) return RunEqualizerDemo(context, *plugin, options);
  if (context.checkedOnly()) return kExitOk;
  return RunIdentificationDemo(context, *plugin, options);
}

}  // namespace

const Command& DemoCommand() {
  static const Command command{
      "demo", "run every token on a built-in experiment and compare them", "[OPTIONS]",
      "Generates a system-identification experiment (white or coloured input, an\n"
      "unknown plant per channel, measurement noise), runs every token of the\n"
      "library on it, wired as a diagram would wire it, and prints per token the\n"
      "steady-state error power, the misalignment of the coefficients read back\n"
      "from its final-weights files, and the time per sample. Tokens the library\n"
      "does not export are listed as not in this build. --scenario equalizer runs\n"
      "the adaptive channel-equalisation experiment instead.",
      {{"scenario", 0, "NAME", "identification (default) or equalizer"},
       {"samples", 0, "N", "samples per realisation (identification 4000, equalizer 1000)"},
       {"snr", 0, "DB", "signal-to-noise ratio of the desired signal in dB, inf for none (default 40)"},
       {"taps", 0, "N", "coefficients per channel of the plant and the filters (default 8)"},
       {"seed", 0, "N", "seed of the plant, signals and noise (default 1)"},
       {"tokens", 0, "LIST", "comma-separated tokens to run (default: all)"},
       {"runs", 0, "R", "realisations averaged into the learning curves (identification 20, equalizer 200)"},
       {"workers", 0, "N", "worker processes (default: one per processor)"},
       {"coloured", 0, nullptr, "coloured (first-order autoregressive) input instead of white"},
       {"report", 0, "DIR", "also write an HTML report with learning curves and coefficient plots"}},
      &RunDemo};
  return command;
}
