#include "adaptsim/report/progress_bar.h"

#include <unistd.h>

#include <cstdio>
#include <ostream>

namespace {

constexpr int kBarWidth = 30;
constexpr double kQuietSeconds = 1.0;    // runs shorter than this show nothing
constexpr double kRedrawSeconds = 0.1;

}  // namespace

std::string ProgressLine(const std::string& label, int64_t done, int64_t total, double elapsed) {
  const double fraction = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0;
  const int filled = static_cast<int>(fraction * kBarWidth);
  std::string line = label + " [" + std::string(static_cast<size_t>(filled), '#') +
                     std::string(static_cast<size_t>(kBarWidth - filled), '-') + "]";
  char tail[64];
  if (done > 0 && done < total) {
    const double left = elapsed * (1.0 - fraction) / fraction;
    std::snprintf(tail, sizeof tail, " %3d%%  %.1f s left", static_cast<int>(fraction * 100.0), left);
  } else {
    std::snprintf(tail, sizeof tail, " %3d%%", static_cast<int>(fraction * 100.0));
  }
  return line + tail;
}

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

ProgressBar::ProgressBar(std::ostream& stream, bool enabled, const std::string& label, int64_t total, Clock now)
    : stream(stream), enabled(enabled), label(label), total(total), now(now), start(now()), lastDraw(start) {}

ProgressBar::~ProgressBar() { finish(); }

void ProgressBar::update(int64_t done) {
  if (!enabled) return;
  const auto time = now();
  const double elapsed = std::chrono::duration<double>(time - start).count();
  if (elapsed < kQuietSeconds || std::chrono::duration<double>(time - lastDraw).count() < kRedrawSeconds) return;
  lastDraw = time;
  std::string line = ProgressLine(label, done, total, elapsed);
  // Padded over the longest line drawn before, and erased with spaces: the
  // Windows console shows terminal escapes as text unless told otherwise.
  if (line.size() < drawnWidth) line.resize(drawnWidth, ' ');
  drawnWidth = line.size();
  stream << '\r' << line << std::flush;
}

void ProgressBar::finish() {
  if (drawnWidth == 0) return;
  stream << '\r' << std::string(drawnWidth, ' ') << '\r' << std::flush;
  drawnWidth = 0;
}
