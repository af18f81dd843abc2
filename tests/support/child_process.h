// adaptsim as a child process that the test talks to while it runs: lines
// written to its standard input when the test chooses, its standard output
// read as it comes, signals sent, and its exit status and peak memory.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace adaptive {

class ChildProcess {
 public:
  // Starts `program` with `arguments`; its standard error goes to the file
  // `errorPath`.
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments, const std::string& errorPath) {
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    pid = fork();
    if (pid == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      const int err = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(err, 2);
      close(in[1]);
      close(out[0]);
      std::vector<char*> argv{const_cast<char*>(program.c_str())};
      for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    input = in[1];
    output = out[0];
    ::signal(SIGPIPE, SIG_IGN);  // a child that stops reading must not kill the test
  }

  ~ChildProcess() {
    closeInput();
    if (output >= 0) close(output);
    if (pid > 0 && !reaped) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }

  bool started() const { return pid > 0; }

  // False once the child no longer reads.
  bool write(const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = ::write(input, text.data() + done, text.size() - done);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }

  void closeInput() {
    if (input >= 0) close(input);
    input = -1;
  }

  // What the child has written to its standard output within `milliseconds`
  // (stops early once `until` has appeared, if given).
  std::string read(int milliseconds, const std::string& until = "") {
    std::string got;
    char buffer[4096];
    for (int waited = 0; waited < milliseconds; waited += 10) {
      pollfd ready{output, POLLIN, 0};
      if (poll(&ready, 1, 10) > 0) {
        const ssize_t n = ::read(output, buffer, sizeof buffer);
        if (n <= 0) break;
        got.append(buffer, static_cast<size_t>(n));
        if (!until.empty() && got.find(until) != std::string::npos) break;
      }
    }
    return got;
  }

  void signal(int number) { kill(pid, number); }

  // Waits for the end; returns the exit status (128 + signal when killed)
  // and the peak resident size in KiB.
  int wait(long* peakKib = nullptr) {
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    reaped = true;
    if (peakKib != nullptr) *peakKib = usage.ru_maxrss;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  pid_t pid = -1;
  int input = -1, output = -1;
  bool reaped = false;
};

}  // namespace adaptive
