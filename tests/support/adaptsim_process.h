// adaptsim run as a separate process, as a user runs it, and the built token
// library loaded as adaptsim loads it: for the tests of adaptsim's commands.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "adaptsim/hosting/plugin.h"
#include "api/token_session.h"
#include "tests/support/file_text.h"

namespace adaptive {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// Runs adaptsim with `arguments` (shell words) and `input` on its standard
// input. `tag` names the capture files: tests run in parallel in one directory.
inline Outcome Adaptsim(const std::string& tag, const std::string& arguments, const std::string& input = "") {
  std::ofstream(tag + ".stdin") << input;
  const std::string command = std::string("'") + ADAPTSIM_PATH + "' " + arguments + " <" + tag + ".stdin >" +
                              tag + ".stdout 2>" + tag + ".stderr";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileText(tag + ".stdout"), ReadFileText(tag + ".stderr")};
}

// A run that must succeed.
inline Outcome Succeeds(const std::string& tag, const std::string& arguments, const std::string& input = "") {
  Outcome outcome = Adaptsim(tag, arguments, input);
  EXPECT_EQ(outcome.status, 0) << arguments << ": " << outcome.err;
  return outcome;
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A command line adaptsim must refuse with `status` and a message holding
// `message`, writing nothing to its standard output.
struct Refusal {
  const char* arguments;
  int status;
  const char* message;
};

// Standard input holds a good sample, so that only the command line is at fault.
inline void ExpectRefused(const std::string& tag, const Refusal& c) {
  const Outcome outcome = Adaptsim(tag, c.arguments, "1,1\n");
  EXPECT_EQ(outcome.status, c.status) << c.arguments;
  EXPECT_TRUE(Contains(outcome.err, c.message)) << c.arguments << ": " << outcome.err;
  EXPECT_EQ(outcome.out, "") << c.arguments;
}

inline std::unique_ptr<Plugin> LoadBuiltPlugin() {
  std::string error;
  std::unique_ptr<Plugin> plugin = Plugin::load(ADAPTIVE_PLUGIN_PATH, &error);
  EXPECT_TRUE(plugin) << error;
  return plugin;
}

}  // namespace adaptive
