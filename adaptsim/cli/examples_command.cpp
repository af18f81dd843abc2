#include <ostream>

#include "adaptsim/cli/commands.h"
#include "adaptsim/lab/example_signals.h"
#include "adaptive/number_text.h"

namespace {

int RunExamples(const CommandContext& context) {
  const std::vector<std::string>& words = context.arguments.positionals;
  if (words.size() != 1) {
    context.complain(words.empty() ? "missing DIR" : "takes one DIR, got " + std::to_string(words.size()));
    return kExitUsage;
  }
  if (context.checkedOnly()) return kExitOk;
  std::string error;
  if (!WriteExampleSignals(words[0], &error)) {
    context.complain(error);
    return kExitFailure;
  }
  context.io.out << "Wrote " << words[0] << "/ident.wav (input, output of an unknown system), " << words[0]
                 << "/noisy.wav (fan noise, hum, signal plus both), " << words[0] << "/clean.wav and " << words[0]
                 << "/signals.csv (two inputs and their sum through two paths).\n"
                 << "The unknown system:";
  for (double h : ExampleSystem()) context.io.out << ' ' << adaptive::FormatShortest(h);
  context.io.out << '\n';
  return kExitOk;
}

}  // namespace

const Command& ExamplesCommand() {
  static const Command command{
      "examples", "write the sound files of the README's worked examples", "DIR",
      "Writes three 16-bit WAV files at 8000 Hz into the existing directory DIR:\n"
      "ident.wav, the input and output of an unknown system (system\n"
      "identification); noisy.wav, two noise sources and a signal heard through\n"
      "both (noise cancellation); clean.wav, the signal alone for comparison;\n"
      "and signals.csv, samples of a two-input system for the CSV examples.",
      {},
      &RunExamples};
  return command;
}
