// A progress bar on standard error for long runs. It stays silent for runs
// that end within about a second, and entirely when the stream is not a
// terminal (a log file or a pipe gets no control characters).
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

class ProgressBar {
 public:
  using Clock = std::chrono::steady_clock::time_point (*)();

  // `enabled` false makes every call a no-op; see StandardErrorIsTerminal().
  // `now` tells the time (tests give a clock of their own).
  ProgressBar(std::ostream& stream, bool enabled, const std::string& label, int64_t total,
              Clock now = std::chrono::steady_clock::now);
  ~ProgressBar();

  void update(int64_t done);
  // Clears the bar's line (if one was drawn) so the next output starts clean.
  void finish();

 private:
  std::ostream& stream;
  bool enabled;
  std::string label;
  int64_t total;
  Clock now;
  std::chrono::steady_clock::time_point start;
  std::chrono::steady_clock::time_point lastDraw;
  size_t drawnWidth = 0;  // of the line on the screen; 0 when none is
};

// The line drawn for `done` of `total` after `elapsed` seconds, such as
// "demo [##########----------]  50%  3.1 s left".
std::string ProgressLine(const std::string& label, int64_t done, int64_t total, double elapsed);

bool StandardErrorIsTerminal();
