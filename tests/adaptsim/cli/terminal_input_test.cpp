// `adaptsim run` without --in, its standard input a terminal: it says that it
// reads the terminal, instead of waiting without a word; from a file or a
// pipe it says nothing.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/adaptsim_process.h"
#include "tests/support/file_text.h"

namespace {

TEST(TerminalInput, ARunReadingATerminalSaysSo) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string terminal = ptsname(master);
  const pid_t pid = fork();
  if (pid == 0) {
    const int in = open(terminal.c_str(), O_RDWR);
    const int out = open("terminal_run.stdout", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open("terminal_run.stderr", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execl(ADAPTSIM_PATH, ADAPTSIM_PATH, "run", "LMS", "-p", "Numerator Coeffs=2", "--weights", "", nullptr);
    _exit(127);
  }
  ASSERT_GT(pid, 0);
  // One row, then the end of input (Ctrl-D at the start of a line); the
  // terminal holds them until adaptsim reads, whenever that is.
  const std::string typed = "1,0.5\n\x04";
  ASSERT_EQ(write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  close(master);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(adaptive::ReadFileText("terminal_run.stderr")
                .find("adaptsim run: reading 2 comma-separated columns a line from the terminal (end with Ctrl-D"),
            std::string::npos)
      << adaptive::ReadFileText("terminal_run.stderr");
  EXPECT_EQ(adaptive::ReadFileText("terminal_run.stdout"), "Output,PriError,PostError\n0,0.5,0.48999999999999999\n");

  const adaptive::Outcome piped = adaptive::Succeeds("piped_run", "run LMS -p 'Numerator Coeffs=2' --weights ''", "1,0.5\n");
  EXPECT_EQ(piped.err, "");
}

}  // namespace
