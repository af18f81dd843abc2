#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>

#include "adaptsim/cli/commands.h"
#include "adaptsim/cli/interrupt.h"
#include "adaptsim/cli/parameter_settings.h"
#include "adaptive/driver.h"
#include "adaptive/name_match.h"
#include "adaptive/number_text.h"
#include "adaptsim/io/csv.h"
#include "adaptsim/io/final_weights_reader.h"
#include "adaptsim/io/same_file.h"
#include "adaptsim/io/sound_file.h"
#include "adaptsim/report/progress_bar.h"
#include "adaptsim/report/run_report.h"

namespace {

using RowStatus = CsvRowReader::Status;
using adaptive::Driver;

// What a row of the input and a row of the output hold: the token's ports,
// or with --loop the columns of its closed loop (adaptive::Driver).
struct RunWiring {
  Driver::Loop loop = Driver::Loop::kOpen;
  std::vector<std::string> columns;
  std::vector<std::string> outputs;

  const std::vector<std::string>& columnNames() const { return columns; }
  const std::vector<std::string>& outputNames() const { return outputs; }
};

struct RunSettings {
  std::vector<double> parameters;
  std::string fileName;
  std::string inputPath;
  std::string outputPath;
  double rate = 1.0;
  bool rateGiven = false;
  std::vector<size_t> channels;  // file channel (0-based) of each input column; empty: in order
  std::vector<size_t> outputs;   // output columns written, in order
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
  if (!adaptive::ParseDouble(text, &value) || value != std::floor(value) || value < 1 || value > static_cast<double>(count)) {
    return false;
  }
  *index = static_cast<size_t>(value) - 1;
  return true;
}

std::string JoinedNames(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

bool ReadChannelMap(const CommandContext& context, const TokenInfo& token, const RunWiring& wiring,
                    RunSettings* settings) {
  if (!context.arguments.has("channels")) return true;
  const std::vector<std::string> items = SplitList(context.arguments.last("channels", ""));
  const size_t columns = wiring.columnNames().size();
  if (items.size() != columns) {
    context.complain("--channels needs one file channel per input of " + token.name + " (" +
                     JoinedNames(wiring.columnNames()) + "), got " + std::to_string(items.size()));
    return false;
  }
  for (const std::string& item : items) {
    size_t index = 0;
    if (!ParseOrdinal(item, 1u << 16, &index)) {
      context.complain("--channels takes channel numbers from 1, got \"" + adaptive::Shown(item) + "\"");
      return false;
    }
    settings->channels.push_back(index);
  }
  return true;
}

bool ReadOutputSelection(const CommandContext& context, const TokenInfo& token, const RunWiring& wiring,
                         RunSettings* settings) {
  const std::vector<std::string>& names = wiring.outputNames();
  if (!context.arguments.has("outputs")) {
    for (size_t o = 0; o < names.size(); ++o) settings->outputs.push_back(o);
    return true;
  }
  for (const std::string& item : SplitList(context.arguments.last("outputs", ""))) {
    size_t index = names.size();
    for (size_t o = 0; o < names.size(); ++o) {
      if (names[o] == item) index = o;
    }
    if (index == names.size() && !ParseOrdinal(item, names.size(), &index)) {
      context.complain("--outputs: " + token.name + " has no output \"" + adaptive::Shown(item) + "\" (it has " +
                       JoinedNames(names) + ")");
      return false;
    }
    settings->outputs.push_back(index);
  }
  return true;
}

// Reads the options that depend on the token; complains and returns false on
// wrong usage.
bool ReadSettings(const CommandContext& context, const TokenInfo& token, const RunWiring& wiring,
                  RunSettings* settings) {
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
  if (!adaptive::ParseDouble(rateText, &settings->rate) || !std::isfinite(settings->rate) || settings->rate <= 0.0) {
    context.complain("--rate must be a positive number of samples per second, got \"" + adaptive::Shown(rateText) +
                     "\"");
    return false;
  }
  if (!ReadChannelMap(context, token, wiring, settings) || !ReadOutputSelection(context, token, wiring, settings)) {
    return false;
  }
  const bool soundInput = IsSoundFilePath(settings->inputPath);
  if (!settings->channels.empty() && !soundInput) {
    context.complain("--channels chooses channels of a sound file; a CSV input has one column per input (" +
                     JoinedNames(wiring.columnNames()) + ")");
    return false;
  }
  if (IsSoundFilePath(settings->outputPath) && !soundInput &&
      (!settings->rateGiven || settings->rate != std::floor(settings->rate) || settings->rate > 1e9)) {
    context.complain("a sound file written from CSV input needs its sample rate: --rate HZ, a whole number");
    return false;
  }
  return true;
}

// The files the run reads and writes, each named as its option names it.
std::vector<NamedFile> RunFiles(const ParsedArguments& args, const TokenInfo& token, const RunSettings& settings) {
  std::vector<NamedFile> files{{settings.inputPath, "--in " + settings.inputPath},
                               {settings.outputPath, "--out " + settings.outputPath}};
  const std::vector<std::string> weights = FinalWeightsPaths(settings.fileName, token.filterChannels());
  for (const std::string& path : weights) {
    files.push_back({path, args.has("weights") ? "--weights's file " + path
                                               : "the final-weights file " + path + " (" + token.name +
                                                     "'s default; --weights names another)"});
  }
  if (!settings.reportDirectory.empty()) {
    for (const std::string& path : RunReportFiles(settings.reportDirectory, weights.size())) {
      files.push_back({path, "--report's file " + path});
    }
  }
  return files;
}

// Reads the sound file and arranges its channels as the input columns.
bool ReadSoundInput(const CommandContext& context, const RunWiring& wiring, RunSettings* settings,
                    SampleTable* samples, SoundFormat* format) {
  SampleTable file;
  std::string error;
  if (!ReadSoundFile(settings->inputPath, &file, format, &error)) {
    context.complain(error + "; nothing was run");
    return false;
  }
  const size_t columns = wiring.columnNames().size();
  if (settings->channels.empty()) {
    if (file.columns != columns) {
      context.complain(settings->inputPath + " has " + std::to_string(file.columns) + " channels and the run " +
                       std::to_string(columns) + " inputs (" + JoinedNames(wiring.columnNames()) +
                       "); choose the channels with --channels");
      return false;
    }
    for (size_t p = 0; p < columns; ++p) settings->channels.push_back(p);
  }
  for (size_t channel : settings->channels) {
    if (channel >= file.columns) {
      context.complain("--channels: " + settings->inputPath + " has only " + std::to_string(file.columns) +
                       " channels");
      return false;
    }
  }
  samples->columns = columns;
  samples->values.resize(file.rows() * columns);
  for (size_t n = 0; n < file.rows(); ++n) {
    for (size_t p = 0; p < columns; ++p) samples->values[n * columns + p] = file.row(n)[settings->channels[p]];
  }
  if (!settings->rateGiven) settings->rate = format->sampleRate;
  return true;
}

// The rows of the input: a sound file read whole, or CSV read as it arrives.
class InputRows {
 public:
  InputRows(const CommandContext& context, const RunWiring& wiring, const InterruptCatcher& interrupt)
      : context(context), wiring(wiring), interrupt(interrupt) {}

  // Opens the input; complains and returns false when it cannot, or when
  // the user interrupted the check of a file.
  bool open(RunSettings* settings) {
    name = IsStandardStream(settings->inputPath) ? "standard input" : settings->inputPath;
    if (IsSoundFilePath(settings->inputPath)) {
      sound = true;
      return ReadSoundInput(context, wiring, settings, &table, &format);
    }
    // The process's own standard input is read through its descriptor, so
    // that rows run as they arrive and Ctrl-C ends a wait; any other stream
    // (a caller's) as a stream.
    if (IsStandardStream(settings->inputPath) && &context.io.in != &std::cin) {
      source.reset(new StreamSource(context.io.in));
      reader.reset(new CsvRowReader(*source, wiring.columnNames().size()));
      return true;
    }
    DescriptorSource* descriptor = new DescriptorSource(settings->inputPath);
    source.reset(descriptor);
    if (!descriptor->isOpen()) {
      context.complain("cannot read " + settings->inputPath + ": " + std::strerror(errno));
      return false;
    }
    // Someone at a terminal who left out --in would otherwise see a wait.
    if (IsStandardStream(settings->inputPath) && isatty(STDIN_FILENO) == 1) {
      context.io.err << "adaptsim run: reading " << wiring.columnNames().size()
                     << " comma-separated columns a line from the terminal (end with Ctrl-D; --in FILE reads a file)\n";
    }
    // A file is checked whole before the run, so that a malformed line
    // anywhere runs nothing; a pipe is run as its lines arrive.
    if (descriptor->canRestart()) {
      CsvRowReader check(*descriptor, wiring.columnNames().size());
      std::vector<double> row(wiring.columnNames().size());
      std::string error;
      RowStatus status;
      do {
        status = check.next(row.data(), &error);
      } while ((status == RowStatus::kRow || status == RowStatus::kInterrupted) && !interrupt.interrupted());
      if (interrupt.interrupted()) {
        context.complain("interrupted before the first sample; nothing was run");
        return false;
      }
      if (status == RowStatus::kError) {
        context.complain(name + ", " + error + "; nothing was run");
        return false;
      }
      if (!descriptor->restart()) {
        context.complain("cannot read " + name + " again: " + std::strerror(errno));
        return false;
      }
    }
    reader.reset(new CsvRowReader(*source, wiring.columnNames().size()));
    return true;
  }

  // The next row; kInterrupted only when the user interrupted.
  RowStatus next(double* row, std::string* error) {
    if (sound) {
      if (nextRow == table.rows()) return RowStatus::kEnd;
      std::copy(table.row(nextRow), table.row(nextRow) + table.columns, row);
      ++nextRow;
      return RowStatus::kRow;
    }
    for (;;) {
      const RowStatus status = reader->next(row, error);
      if (status != RowStatus::kInterrupted || interrupt.interrupted()) return status;
    }
  }

  void flushBeforeWaiting(SampleWriter* writer) {
    if (reader) reader->setBeforeWaiting([writer]() { writer->flush(); });
  }

  const std::string& sourceName() const { return name; }
  const SoundFormat* soundFormat() const { return sound ? &format : nullptr; }
  int64_t knownLength() const { return sound ? static_cast<int64_t>(table.rows()) : 0; }

 private:
  const CommandContext& context;
  const RunWiring& wiring;
  const InterruptCatcher& interrupt;
  std::string name;
  bool sound = false;
  SampleTable table;
  SoundFormat format;
  size_t nextRow = 0;
  std::unique_ptr<ByteSource> source;
  std::unique_ptr<CsvRowReader> reader;
};

std::unique_ptr<SampleWriter> OpenWriter(const CommandContext& context, const RunSettings& settings,
                                         const RunWiring& wiring, const SoundFormat* inputFormat) {
  std::string error;
  if (IsSoundFilePath(settings.outputPath)) {
    const int rate = inputFormat != nullptr ? inputFormat->sampleRate : static_cast<int>(settings.rate);
    SoundFormat format;
    if (!ChooseSoundFormat(settings.outputPath, inputFormat, rate, static_cast<int>(settings.outputs.size()), &format,
                           &error)) {
      context.complain(error);
      return nullptr;
    }
    std::unique_ptr<SoundFileWriter> writer(new SoundFileWriter(settings.outputPath, format, settings.outputs.size()));
    if (!writer->open(&error)) {
      context.complain(error);
      return nullptr;
    }
    return writer;
  }
  std::unique_ptr<CsvSampleWriter> writer(
      new CsvSampleWriter(context.io.out, settings.outputPath, settings.outputs.size()));
  std::vector<std::string> names;
  for (size_t o : settings.outputs) names.push_back(wiring.outputNames()[o]);
  if (!writer->open(names, &error)) {
    context.complain(error);
    return nullptr;
  }
  return writer;
}

void ReportLibraryFailure(const CommandContext& context, const std::string& what, const adaptive::Error& failure) {
  context.complain(what + " failed with status " + std::to_string(failure.status()));
  std::string text = failure.libraryText();
  if (text.empty()) return;
  if (text.back() != '\n') text += '\n';
  context.io.err << text;
}

// Ends the filter, reporting a failure; false on one.
bool CloseReporting(const CommandContext& context, adaptive::Filter& filter) {
  try {
    filter.close();
    return true;
  } catch (const adaptive::Error& e) {
    ReportLibraryFailure(context, "terminating " + filter.token().name, e);
    return false;
  }
}

int RunRun(const CommandContext& context) {
  std::unique_ptr<Plugin> plugin;
  int exitCode = 0;
  const TokenInfo* token = context.loadTokenArgument(&plugin, &exitCode);
  if (token == nullptr) return exitCode;
  RunWiring wiring;
  std::string error;
  if (context.arguments.has("loop")) {
    const std::string refusal = Driver::closedLoopRefusal(*token);
    if (!refusal.empty()) {
      context.complain("--loop " + refusal);
      return kExitUsage;
    }
    wiring.loop = Driver::Loop::kClosed;
  }
  wiring.columns = Driver::inputNamesOf(*token, wiring.loop);
  wiring.outputs = Driver::outputNamesOf(*token, wiring.loop);
  RunSettings settings;
  if (!ReadSettings(context, *token, wiring, &settings)) return kExitUsage;
  // A family beyond the catalogue has no entry point: the linked library runs it.
  if (token->inCatalogue && !plugin->exports(token->name)) {
    context.complain(plugin->path() + " lists " + token->name +
                     " in its catalogue but exports no entry point of that name (not built in yet?)");
    return kExitFailure;
  }
  if (context.checkedOnly()) return kExitOk;
  const std::string conflict = SameFileConflict(RunFiles(context.arguments, *token, settings));
  if (!conflict.empty()) {
    context.complain(conflict + "; nothing was run");
    return kExitUsage;
  }

  const InterruptCatcher interrupt;
  InputRows input(context, wiring, interrupt);
  if (!input.open(&settings)) return interrupt.interrupted() ? kExitInterrupted : kExitFailure;
  // The first row is read before anything is created: an input that is
  // wrong from its start runs nothing.
  std::vector<double> row(wiring.columnNames().size());
  RowStatus status = input.next(row.data(), &error);
  if (status == RowStatus::kError) {
    context.complain(input.sourceName() + ", " + error + "; nothing was run");
    return kExitFailure;
  }
  if (status == RowStatus::kInterrupted) {
    context.complain("interrupted before the first sample; nothing was run");
    return kExitInterrupted;
  }

  std::unique_ptr<adaptive::Filter> filter;
  try {
    const adaptive::Library library = token->inCatalogue ? plugin->tokenLibrary() : adaptive::Library::linked();
    filter.reset(new adaptive::Filter(library, token->name, NamedValues(*token, settings.parameters), settings.fileName));
  } catch (const adaptive::Error& e) {
    // A token that could not be created ran nothing: there is nothing to write.
    // As the C++ and Python interfaces do: which parameter, and its value.
    ReportLibraryFailure(context, "creating " + token->name + (e.reason().empty() ? "" : " (" + e.reason() + ")"), e);
    return kExitFailure;
  }
  std::unique_ptr<SampleWriter> writer = OpenWriter(context, settings, wiring, input.soundFormat());
  if (!writer) {
    CloseReporting(context, *filter);
    return kExitFailure;
  }
  input.flushBeforeWaiting(writer.get());

  int result = kExitOk;
  const size_t outputCount = wiring.outputNames().size();
  std::vector<double> outputs(outputCount), chosen(settings.outputs.size());
  const bool reporting = !settings.reportDirectory.empty();
  RunReportData report;
  report.outputs.columns = outputCount;
  const auto& columnNames = wiring.columnNames();
  const size_t desiredColumn = static_cast<size_t>(
      std::find(columnNames.begin(), columnNames.end(), "Desired") - columnNames.begin());
  Driver driver(*filter, wiring.loop);
  driver.watchDivergence();
  driver.stopWhen([&interrupt] { return interrupt.interrupted(); });
  ProgressBar progress(context.io.err, StandardErrorIsTerminal(), token->name, input.knownLength());
  for (; status == RowStatus::kRow; status = input.next(row.data(), &error)) {
    try {
      if (!driver.step(row.data(), outputs.data())) break;
    } catch (const adaptive::Error& e) {
      ReportLibraryFailure(context, "run call for sample " + std::to_string(driver.samplesRun()), e);
      result = kExitFailure;
      break;
    }
    const std::string warning = driver.takeWarning();
    if (!warning.empty()) context.complain("warning: " + warning);
    for (size_t k = 0; k < chosen.size(); ++k) chosen[k] = outputs[settings.outputs[k]];
    writer->write(chosen.data());
    if (reporting) {
      report.outputs.values.insert(report.outputs.values.end(), outputs.begin(), outputs.end());
      if (desiredColumn < row.size()) report.desired.push_back(row[desiredColumn]);
    }
    if ((driver.samplesRun() & 4095) == 0) progress.update(driver.samplesRun());
  }
  const int64_t samples = driver.samplesRun();
  progress.finish();
  const bool interrupted = interrupt.interrupted();
  if (status == RowStatus::kError) {
    context.complain(input.sourceName() + ", " + error + "; stopped there after " + std::to_string(samples) +
                     " samples (the outputs and the final weights hold them)");
    result = kExitFailure;
  }
  // The host ends every instance it created; the token writes its final
  // weights now, whatever stopped the run.
  if (!CloseReporting(context, *filter)) result = kExitFailure;
  std::string notes;
  if (!writer->finish(&error, &notes)) {
    context.complain(error);
    result = kExitFailure;
  }
  if (!notes.empty()) context.io.err << "adaptsim run: " << notes;
  if (interrupted) {
    context.complain("interrupted after " + std::to_string(samples) +
                     " samples; the outputs and the final weights hold the coefficients reached");
    return kExitInterrupted;
  }
  if (result == kExitOk && samples == 0) context.complain("warning: " + input.sourceName() + " holds no samples");
  if (result == kExitOk && reporting) {
    report.token = token->name;
    report.description = token->description;
    for (size_t k = 0; k < settings.parameters.size(); ++k) {
      report.parameters.emplace_back(token->parameterNames[k], settings.parameters[k]);
    }
    report.outputNames = wiring.outputNames();
    report.fullScale = input.soundFormat() != nullptr;
    report.quantisationBits = report.fullScale ? IntegerSampleBits(*input.soundFormat()) : 0;
    report.weightsPaths = FinalWeightsPaths(settings.fileName, token->filterChannels());
    if (!WriteRunReport(report, settings.reportDirectory, &error)) {
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
      "Creates one instance of TOKEN, runs it once per input sample as the samples\n"
      "arrive and terminates it, as the simulator does. Input: CSV with one column\n"
      "per input port in catalogue order (see 'adaptsim describe TOKEN'; a first\n"
      "line of port names is skipped; nan and inf are accepted), or, where adaptsim\n"
      "is built with libsndfile, a sound file (a name ending in .wav, .aiff, .flac\n"
      "or another extension of libsndfile) whose channels feed the inputs in order\n"
      "or as --channels chooses, its sample rate the run's. Output: CSV with a line\n"
      "of output names and every value to 17 significant digits, or a sound file\n"
      "when the --out name ends in a sound-file extension (the input's encoding and\n"
      "rate where it has them). An output that runs away is reported once on\n"
      "standard error. Ctrl-C stops the run at the current sample; the token is\n"
      "terminated, so its final-weights files hold the coefficients reached, and\n"
      "adaptsim exits with 130. --loop wires a general token as a diagram does:\n"
      "the input holds Input, Desired and the token's other inputs; Error is fed\n"
      "the previous sample's Desired - Output, - de/dw the input. A run whose\n"
      "input, output, final-weights files and report name one file twice, under\n"
      "any spelling or through a link, is refused before anything is written\n"
      "(devices such as /dev/null may be shared).",
      {{"parameter", 'p', "NAME=VALUE",
        "set a parameter by its name (in any case) or index (repeatable)"},
       {"weights", 0, "FILENAME",
        "final-weights file name handed to the token (default: the catalogue's; \"\" for none)"},
       {"in", 0, "FILE", "input CSV or sound file (default and \"-\": CSV on standard input)"},
       {"out", 0, "FILE", "output CSV or sound file (default and \"-\": CSV on standard output)"},
       {"channels", 0, "LIST", "sound file channels (from 1) for the inputs, e.g. 2,1"},
       {"outputs", 0, "LIST", "outputs to write, by name or number (default: all)"},
       {"loop", 0, nullptr, "close a general token's loop: input Input,Desired,...; outputs gain Error"},
       {"rate", 0, "HZ", "sample rate of the system and the inputs (default: the sound file's, or 1)"},
       {"report", 0, "DIR", "also write an HTML report: error power against samples, final weights"}},
      &RunRun};
  return command;
}
