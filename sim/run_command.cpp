#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>

#include "sim/commands.h"
#include "sim/csv.h"
#include "sim/number_text.h"
#include "sim/parameter_settings.h"
#include "sim/token_session.h"

namespace {

struct RunSettings {
  std::vector<double> parameters;
  std::string fileName;
  std::string inputPath;
  std::string outputPath;
  double rate = 1.0;
};

bool IsStandardStream(const std::string& path) { return path.empty() || path == "-"; }

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
  const std::string rateText = args.last("rate", "1");
  if (!ParseDouble(rateText, &settings->rate) || !std::isfinite(settings->rate) || settings->rate <= 0.0) {
    context.complain("--rate must be a positive number of samples per second, got \"" + rateText + "\"");
    return false;
  }
  return true;
}

bool ReadInput(const CommandContext& context, const RunSettings& settings, const TokenInfo& token,
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

void ReportLibraryFailure(const CommandContext& context, const std::string& what, int32_t status,
                          const TokenSession& session) {
  context.complain(what + " failed with status " + std::to_string(status));
  std::string text = session.errorText();
  if (text.empty()) return;
  if (text.back() != '\n') text += '\n';
  context.io.err << text;
}

// Drives the instance over every sample; returns the exit status.
int Simulate(const CommandContext& context, const TokenInfo& token, TokenSession& session,
             const SampleTable& samples, std::ostream& out) {
  const int32_t created = session.create();
  int result = kExitOk;
  if (created != 0) {
    ReportLibraryFailure(context, "creating " + token.name, created, session);
    result = kExitFailure;
  } else {
    WriteCsvHeader(out, token.outputNames);
    std::vector<double> values(session.outputCount());
    for (size_t n = 0; n < samples.rows(); ++n) {
      const int32_t status = session.run(samples.row(n));
      if (status != 0) {
        ReportLibraryFailure(context, "run call for sample " + std::to_string(n), status, session);
        result = kExitFailure;
        break;
      }
      for (size_t o = 0; o < values.size(); ++o) values[o] = session.output(o).value;
      WriteCsvRow(out, values.data(), values.size());
    }
  }
  // The host ends every instance it created, a half-built one too.
  const int32_t terminated = session.terminate();
  if (terminated != 0) {
    ReportLibraryFailure(context, "terminating " + token.name, terminated, session);
    result = kExitFailure;
  }
  out.flush();
  if (!out) {
    context.complain("error writing the output");
    result = kExitFailure;
  }
  return result;
}

int RunRun(const CommandContext& context) {
  const std::vector<std::string>& words = context.arguments.positionals;
  if (words.size() != 1) {
    context.complain(words.empty() ? "missing TOKEN" : "takes one TOKEN, got " + std::to_string(words.size()));
    return kExitUsage;
  }
  const std::unique_ptr<Plugin> plugin = context.loadPlugin();
  if (!plugin) return kExitFailure;
  const TokenInfo* token = context.findToken(*plugin, words[0]);
  if (token == nullptr) return kExitUsage;
  RunSettings settings;
  if (!ReadSettings(context, *token, &settings)) return kExitUsage;
  const TokenEntryPoint entry = plugin->entryPoint(token->name);
  if (entry == nullptr) {
    context.complain(plugin->path() + " lists " + token->name +
                     " in its catalogue but exports no entry point of that name (not built in yet?)");
    return kExitFailure;
  }

  SampleTable samples;
  if (!ReadInput(context, settings, *token, &samples)) return kExitFailure;
  std::ofstream file;
  std::ostream* out = &context.io.out;
  if (!IsStandardStream(settings.outputPath)) {
    file.open(settings.outputPath);
    if (!file) {
      context.complain("cannot write " + settings.outputPath + ": " + std::strerror(errno));
      return kExitFailure;
    }
    out = &file;
  }

  TokenSession session(*token, entry);
  for (size_t k = 0; k < settings.parameters.size(); ++k) session.setParameter(k, settings.parameters[k]);
  session.setFileName(settings.fileName);
  session.setSampleRate(settings.rate);
  return Simulate(context, *token, session, samples, *out);
}

}  // namespace

const Command& RunCommand() {
  static const Command command{
      "run", "run a token over samples from a CSV file", "TOKEN [OPTIONS]",
      "Creates one instance of TOKEN, runs it once per input row and terminates it,\n"
      "as the simulator does. Input: CSV with one column per input port in catalogue\n"
      "order (see 'adaptsim describe TOKEN'); a first line of port names is skipped;\n"
      "nan and inf are accepted. Output: a line of output port names, then one row\n"
      "per sample with every value printed to 17 significant digits.",
      {{"parameter", 'p', "NAME=VALUE",
        "set a parameter by its exact catalogue name or its index (repeatable)"},
       {"weights", 0, "FILENAME",
        "final-weights file name handed to the token (default: the catalogue's; \"\" for none)"},
       {"in", 0, "FILE", "input CSV (default and \"-\": standard input)"},
       {"out", 0, "FILE", "output CSV (default and \"-\": standard output)"},
       {"rate", 0, "HZ", "sample rate of the system and the inputs (default 1)"}},
      &RunRun};
  return command;
}
