// adaptsim's user input: command lines, NAME=VALUE parameter settings, numbers
// and CSV sample files. The input is two parts split at the first NUL byte:
// command-line words one per line, then the text of a CSV file.
//
// The whole command line goes through the real commands, only checked: each
// command stops once its words, options and token names are checked, before it
// reads samples, runs a token, writes a file or starts the demo's experiments
// (the entry protocol fuzzer covers the tokens, and an input that ran filters
// would cost seconds instead of microseconds). The library is always the one
// built here, and words holding a '/' are dropped, so that nothing outside the
// working directory is named.
#include <dlfcn.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "adaptsim/cli/arguments.h"
#include "adaptsim/cli/cli.h"
#include "adaptsim/io/csv.h"
#include "adaptive/number_text.h"
#include "adaptsim/cli/parameter_settings.h"
#include "adaptsim/hosting/plugin.h"

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "adaptsim parsing: %s\n", what.c_str());
  std::abort();
}

std::unique_ptr<Plugin> gPlugin;

// A number printed for the output file reads back as the same double.
void CheckNumbers(const std::vector<std::string>& words) {
  for (const std::string& word : words) {
    double value, back;
    if (!adaptive::ParseDouble(word, &value)) continue;
    for (const std::string& text : {adaptive::FormatExact(value), adaptive::FormatShortest(value)}) {
      if (!adaptive::ParseDouble(text, &back)) Fail("cannot read back " + text);
      if (!(std::isnan(value) ? std::isnan(back) : std::memcmp(&back, &value, sizeof value) == 0))
        Fail(word + " printed as " + text + " reads back differently");
    }
  }
}

void CheckSettings(const std::vector<std::string>& words) {
  const TokenInfo& token = gPlugin->catalogue()[words.size() % gPlugin->catalogue().size()];
  std::vector<double> values = token.parameterDefaults;
  for (const std::string& word : words) {
    std::string error;
    if (!ApplyParameterSetting(token, word, &values, &error) && error.empty()) Fail("refused setting without reason");
    if (values.size() != token.parameterDefaults.size()) Fail("setting changed the parameter count");
  }
}

void CheckCsv(const std::string& text, size_t columns) {
  std::istringstream in(text);
  SampleTable table;
  std::string error;
  if (ReadSampleCsv(in, columns, &table, &error)) {
    if (table.values.size() % columns != 0) Fail("ragged sample table");
  } else if (error.empty() || !table.values.empty()) {
    Fail("refused CSV without reason or with samples left");
  }
}

void CheckCommandLine(const std::vector<std::string>& words) {
  std::vector<std::string> line = {"--library", ADAPTIVE_PLUGIN_PATH};
  for (const std::string& word : words) {
    if (word.find('/') == std::string::npos && word.rfind("--library", 0) != 0) line.push_back(word);
  }
  std::istringstream in;
  std::ostringstream out, err;
  CommandIo io{in, out, err};
  const int status = RunCommandLine(line, io, CommandReach::kCheckOnly);
  if (status != 0 && status != 1 && status != 2) Fail("exit status " + std::to_string(status));
  if (status != 0 && err.str().empty()) Fail("failed without a message");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Kept loaded for good: the commands load and unload it on every input, and
  // coverage counters must not vanish with an unloaded library.
  if (dlopen(ADAPTIVE_PLUGIN_PATH, RTLD_NOW | RTLD_NODELETE) == nullptr) std::abort();
  std::string error;
  gPlugin = Plugin::load(ADAPTIVE_PLUGIN_PATH, &error);
  if (!gPlugin || gPlugin->catalogue().empty()) Fail("cannot load the plug-in: " + error);
  static char directory[] = "/tmp/adaptsim-fuzz-XXXXXX";
  if (mkdtemp(directory) == nullptr || chdir(directory) != 0) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\0');
  std::vector<std::string> words;
  std::istringstream lines(input.substr(0, split));
  for (std::string word; std::getline(lines, word);) words.push_back(word);
  const std::string csv = split == std::string::npos ? std::string() : input.substr(split + 1);
  CheckNumbers(words);
  CheckSettings(words);
  CheckCsv(csv, 1 + size % 5);
  CheckCommandLine(words);
  return 0;
}
