#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>

#include "adaptsim/cli/commands.h"
#include "adaptsim/io/csv.h"
#include "adaptsim/io/final_weights_reader.h"
#include "adaptsim/io/number_text.h"
#include "adaptsim/cli/parameter_settings.h"
#include "adaptsim/report/progress_bar.h"
#include "adaptsim/report/run_report.h"
#include "adaptsim/io/sound_file.h"
#include "adaptsim/hosting/token_session.h"

namespace {

struct RunSettings {
  std::vector<double> parameters;
  std::string fileName;
  std::string inputPath;
  std::string outputPath;
  double rate = 1.0;
  bool rateGiven = false;
  std::vector<size_t> channels;  // file channel (0-based) of each input port; empty: in order
  std::vector<size_t> outputs;   // output ports written, in order
  std::string reportDirectory;
};

bool IsStandardStream(const std::string& path) { return path.empty() || path == "-"; }

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    items.push_back(text.substr(start, comma - start));
    if (comma == std::string::npos) return items;
    start = comma + 1;
  }
}

// A 1-based number from 1 to `count`, as an index.
bool ParseOrdinal(const std::string& text, size_t count, size_t* index) {
  double value = 0.0;
  if (!ParseDouble(text, &value) || value != std::floor(value) || value < 1 || value > static_cast<double>(count)) {
    return false;
  }
  *index = static_cast<size_t>(value) - 1;
  return true;
}

bool ReadChannelMap(const CommandContext& context, const TokenInfo& token, RunSettings* settings) {
  if (!context.arguments.has("channels")) return true;
  const std::vector<std::string> items = SplitList(context.arguments.last("channels", ""));
  if (items.size() != token.inputNames.size()) {
    context.complain("--channels needs one file channel per input port of " + token.name + " (" +
                     std::to_string(token.inputNames.size()) + "), got " + std::to_string(items.size()));
    return false;
  }
  for (const std::string& item : items) {
    size_t index = 0;
    if (!ParseOrdinal(item, 1u << 16, &index)) {
      context.complain("--channels takes channel numbers from 1, got \"" + item + "\"");
      return false;
    }
    settings->channels.push_back(index);
  }
  return true;
}

bool ReadOutputSelection(const CommandContext& context, const TokenInfo& token, RunSettings* settings) {
  if (!context.arguments.has("outputs")) {
    for (size_t o = 0; o < token.outputNames.size(); ++o) settings->outputs.push_back(o);
    return true;
  }
  for (const std::string& item : SplitList(context.arguments.last("outputs", ""))) {
    size_t index = token.outputNames.size();
    for (size_t o = 0; o < token.outputNames.size(); ++o) {
      if (token.outputNames[o] == item) index = o;
    }
    if (index == token.outputNames.size() && !ParseOrdinal(item, token.outputNames.size(), &index)) {
      std::string names;
      for (const std::string& name : token.outputNames) names += (names.empty() ? "" : ", ") + name;
      context.complain("--outputs: " + token.name + " has no output \"" + item + "\" (it has " + names + ")");
      return false;
    }
    settings->outputs.push_back(index);
  }
  return true;
}

// Reads the options that depend on the token; complains and returns false on
// wrong usage.
bool ReadSettings(const CommandContext& context, const TokenInfo& token, RunSettings* settings) {
  const ParsedArguments& args = context.arguments;
  settings->parameters = token.parameterDefaults;
  for (const std::string& setting : args.all("parameter")) {
    std::string error;
    if (!ApplyParameterSetting(token, setting, &settings->parameters, &error)) {
      context.complain(error);
      return false;
    }
  }
  settings->fileName = args.last("weights", token.defaultFileName);
  settings->inputPath = args.last("in", "-");
  settings->outputPath = args.last("out", "-");
  settings->reportDirectory = args.last("report", "");
  if (args.has("report") && settings->reportDirectory.empty()) {
    context.complain("--report needs a directory");
    return false;
  }
  settings->rateGiven = args.has("rate");
  const std::string rateText = args.last("rate", "1");
  if (!ParseDouble(rateText, &settings->rate) || !std::isfinite(settings->rate) || settings->rate <= 0.0) {
    context.complain("--rate must be a positive number of samples per second, got \"" + rateText + "\"");
    return false;
  }
  if (!ReadChannelMap(context, token, settings) || !ReadOutputSelection(context, token, settings)) return false;
  if (!settings->channels.empty() && IsCsvPath(settings->inputPath)) {
    context.complain("--channels chooses channels of a sound file; a CSV input has one column per input port");
    return false;
  }
  if (!IsCsvPath(settings->outputPath) && IsCsvPath(settings->inputPath)) {
    context.complain("a sound file output takes the format and rate of a sound file input; with CSV input, "
                     "write CSV (an --out name ending in .csv)");
    return false;
  }
  return true;
}

bool ReadCsvInput(const CommandContext& context, const RunSettings& settings, const TokenInfo& token,
                  SampleTable* samples) {
  std::ifstream file;
  std::istream* in = &context.io.in;
  if (!IsStandardStream(settings.inputPath)) {
    file.open(settings.inputPath);
    if (!file) {
      context.complain("cannot read " + settings.inputPath + ": " + std::strerror(errno));
      return false;
    }
    in = &file;
  }
  std::string error;
  if (!ReadSampleCsv(*in, token.inputNames.size(), samples, &error)) {
    const std::string source = IsStandardStream(settings.inputPath) ? "standard input" : settings.inputPath;
    context.complain(source + ", " + error + "; nothing was run");
    return false;
  }
  return true;
}

// Reads the sound file and puts its channels on the input ports.
bool ReadSoundInput(const CommandContext& context, RunSettings* settings, const TokenInfo& token,
                    SampleTable* samples, SoundFormat* format) {
  SampleTable file;
  std::string error;
  if (!ReadSoundFile(settings->inputPath, &file, format, &error)) {
    context.complain(error + "; nothing was run");
    return false;
  }
  const size_t ports = token.inputNames.size();
  if (settings->channels.empty()) {
    if (file.columns != ports) {
      context.complain(settings->inputPath + " has " + std::to_string(file.columns) + " channels and " + token.name +
                       " " + std::to_string(ports) + " input ports; choose the channels with --channels");
      return false;
    }
    for (size_t p = 0; p < ports; ++p) settings->channels.push_back(p);
  }
  for (size_t channel : settings->channels) {
    if (channel >= file.columns) {
      context.complain("--channels: " + settings->inputPath + " has only " + std::to_string(file.columns) +
                       " channels");
      return false;
    }
  }
  samples->columns = ports;
  samples->values.resize(file.rows() * ports);
  for (size_t n = 0; n < file.rows(); ++n) {
    for (size_t p = 0; p < ports; ++p) samples->values[n * ports + p] = file.row(n)[settings->channels[p]];
  }
  if (!settings->rateGiven) settings->rate = format->sampleRate;
  return true;
}

void ReportLibraryFailure(const CommandContext& context, const std::string& what, int32_t status,
                          const TokenSession& session) {
  context.complain(what + " failed with status " + std::to_string(status));
  std::string text = session.errorText();
  if (text.empty()) return;
  if (text.back() != '\n') text += '\n';
  context.io.err << text;
}

// Drives the instance over every sample, keeping every output port's value;
// returns the exit status. *created tells whether the creation call succeeded.
int Simulate(const CommandContext& context, const TokenInfo& token, TokenSession& session,
             const SampleTable& samples, SampleTable* outputs, bool* created) {
  outputs->columns = session.outputCount();
  outputs->values.clear();
  const int32_t status = session.create();
  *created = status == 0;
  int result = kExitOk;
  if (status != 0) {
    ReportLibraryFailure(context, "creating " + token.name, status, session);
    result = kExitFailure;
  } else {
    ProgressBar progress(context.io.err, StandardErrorIsTerminal(), token.name, static_cast<int64_t>(samples.rows()));
    outputs->values.reserve(samples.rows() * outputs->columns);
    for (size_t n = 0; n < samples.rows(); ++n) {
      const int32_t status = session.run(samples.row(n));
      if (status != 0) {
        ReportLibraryFailure(context, "run call for sample " + std::to_string(n), status, session);
        result = kExitFailure;
        break;
      }
      for (size_t o = 0; o < outputs->columns; ++o) outputs->values.push_back(session.output(o).value);
      if ((n & 4095) == 0) progress.update(static_cast<int64_t>(n));
    }
  }
  // The host ends every instance it created, a half-built one too.
  const int32_t terminated = session.terminate();
  if (terminated != 0) {
    ReportLibraryFailure(context, "terminating " + token.name, terminated, session);
    result = kExitFailure;
  }
  return result;
}

SampleTable SelectColumns(const SampleTable& all, const std::vector<size_t>& columns) {
  SampleTable chosen;
  chosen.columns = columns.size();
  chosen.values.reserve(all.rows() * columns.size());
  for (size_t n = 0; n < all.rows(); ++n) {
    for (size_t c : columns) chosen.values.push_back(all.row(n)[c]);
  }
  return chosen;
}

bool WriteOutputs(const CommandContext& context, const TokenInfo& token, const RunSettings& settings,
                  const SoundFormat& format, const SampleTable& outputs) {
  const SampleTable chosen = SelectColumns(outputs, settings.outputs);
  if (!IsCsvPath(settings.outputPath)) {
    int64_t clipped = 0;
    std::string error;
    if (!WriteSoundFile(settings.outputPath, format, chosen, &clipped, &error)) {
      context.complain(error);
      return false;
    }
    if (clipped > 0) {
      context.complain("warning: " + std::to_string(clipped) + " values beyond full scale were clipped in " +
                       settings.outputPath);
    }
    return true;
  }
  std::ofstream file;
  std::ostream* out = &context.io.out;
  if (!IsStandardStream(settings.outputPath)) {
    file.open(settings.outputPath);
    if (!file) {
      context.complain("cannot write " + settings.outputPath + ": " + std::strerror(errno));
      return false;
    }
    out = &file;
  }
  std::vector<std::string> names;
  for (size_t o : settings.outputs) names.push_back(token.outputNames[o]);
  WriteCsvHeader(*out, names);
  for (size_t n = 0; n < chosen.rows(); ++n) WriteCsvRow(*out, chosen.row(n), chosen.columns);
  out->flush();
  if (!*out) {
    context.complain("error writing the output");
    return false;
  }
  return true;
}

int RunRun(const CommandContext& context) {
  std::unique_ptr<Plugin> plugin;
  int exitCode = 0;
  const TokenInfo* token = context.loadTokenArgument(&plugin, &exitCode);
  if (token == nullptr) return exitCode;
  RunSettings settings;
  if (!ReadSettings(context, *token, &settings)) return kExitUsage;
  const TokenEntryPoint entry = plugin->entryPoint(token->name);
  if (entry == nullptr) {
    context.complain(plugin->path() + " lists " + token->name +
                     " in its catalogue but exports no entry point of that name (not built in yet?)");
    return kExitFailure;
  }

  SampleTable samples;
  SoundFormat format;
  const bool soundInput = !IsCsvPath(settings.inputPath);
  if (soundInput ? !ReadSoundInput(context, &settings, *token, &samples, &format)
                 : !ReadCsvInput(context, settings, *token, &samples)) {
    return kExitFailure;
  }

  TokenSession session(*token, entry);
  for (size_t k = 0; k < settings.parameters.size(); ++k) session.setParameter(k, settings.parameters[k]);
  session.setFileName(settings.fileName);
  session.setSampleRate(settings.rate);
  SampleTable outputs;
  bool created = false;
  int result = Simulate(context, *token, session, samples, &outputs, &created);
  // A token that could not be created ran nothing: there is nothing to write.
  if (created && !WriteOutputs(context, *token, settings, format, outputs)) result = kExitFailure;
  if (result == kExitOk && !settings.reportDirectory.empty()) {
    std::string error;
    if (!WriteRunReport(*token, outputs, FinalWeightsPaths(settings.fileName, token->filterChannels()),
                        settings.reportDirectory, &error)) {
      context.complain(error);
      return kExitFailure;
    }
  }
  return result;
}

}  // namespace

const Command& RunCommand() {
  static const Command command{
      "run", "run a token over samples from a CSV or sound file", "TOKEN [OPTIONS]",
      "Creates one instance of TOKEN, runs it once per input sample and terminates\n"
      "it, as the simulator does. Input: CSV with one column per input port in\n"
      "catalogue order (see 'adaptsim describe TOKEN'; a first line of port names is\n"
      "skipped; nan and inf are accepted), or, where adaptsim is built with\n"
      "libsndfile, a sound file (WAV, AIFF, FLAC... any name not ending in .csv or\n"
      ".txt) whose channels feed the input ports in order or as --channels\n"
      "chooses, its sample rate the run's. Output: CSV with a line\n"
      "of output port names and every value to 17 significant digits, or, for a\n"
      "sound file input, a sound file of the same format and rate.",
      {{"parameter", 'p', "NAME=VALUE",
        "set a parameter by its exact catalogue name or its index (repeatable)"},
       {"weights", 0, "FILENAME",
        "final-weights file name handed to the token (default: the catalogue's; \"\" for none)"},
       {"in", 0, "FILE", "input CSV or sound file (default and \"-\": CSV on standard input)"},
       {"out", 0, "FILE", "output CSV or sound file (default and \"-\": CSV on standard output)"},
       {"channels", 0, "LIST", "sound file channels (from 1) for the input ports, e.g. 2,1"},
       {"outputs", 0, "LIST", "output ports to write, by name or number (default: all)"},
       {"rate", 0, "HZ", "sample rate of the system and the inputs (default: the sound file's, or 1)"},
       {"report", 0, "DIR", "also write an HTML report: error power against samples, final weights"}},
      &RunRun};
  return command;
}
