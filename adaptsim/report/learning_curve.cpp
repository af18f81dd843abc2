#include "adaptsim/report/learning_curve.h"

#include <algorithm>
#include <cmath>
#include <limits>

std::vector<double> AveragedCurve(const std::vector<double>& sum, int64_t runs) {
  std::vector<double> mean(sum.size());
  for (size_t n = 0; n < sum.size(); ++n) mean[n] = runs > 0 ? sum[n] / static_cast<double>(runs) : sum[n];
  return mean;
}

double SteadyStatePower(const std::vector<double>& power) {
  if (power.empty()) return std::numeric_limits<double>::quiet_NaN();
  const size_t from = power.size() - std::max<size_t>(1, power.size() / 4);
  double sum = 0.0;
  for (size_t n = from; n < power.size(); ++n) sum += power[n];
  return sum / static_cast<double>(power.size() - from);
}

int64_t SamplesToReach(const std::vector<double>& power, double finalPower, double marginDb, int halfWindow) {
  const double limit = finalPower * std::pow(10.0, marginDb / 10.0);
  const int64_t size = static_cast<int64_t>(power.size());
  for (int64_t n = size - 1; n >= 0; --n) {
    const int64_t from = std::max<int64_t>(0, n - halfWindow);
    const int64_t to = std::min<int64_t>(size - 1, n + halfWindow);
    double sum = 0.0;
    for (int64_t k = from; k <= to; ++k) sum += power[static_cast<size_t>(k)];
    if (!(sum / static_cast<double>(to - from + 1) <= limit)) return n + 2 > size ? -1 : n + 2;
  }
  return 1;
}

double Decibels(double power) {
  if (power == 0.0) return -std::numeric_limits<double>::infinity();
  return 10.0 * std::log10(power);
}

size_t LeadingZeroSamples(const std::vector<double>& power) {
  size_t n = 0;
  while (n < power.size() && power[n] == 0.0) ++n;
  return n;
}

namespace {

// The window that starts at sample `from` (0-based) of `size`: max(1, α·n)
// samples wide at the 1-based sample n = from + 1, so that the width grows in
// proportion to the sample number from the first sample on, and never by a
// step; a remainder too short for a window of its own joins the last one.
size_t WindowEnd(double alpha, size_t from, size_t size) {
  const size_t width = std::max<size_t>(1, static_cast<size_t>(std::llround(alpha * static_cast<double>(from + 1))));
  const size_t to = std::min(size, from + width);
  return size - to < (width + 1) / 2 ? size : to;
}

// Whether the windows of growth α from `from` to `size` number at most `points`.
bool FewEnough(double alpha, size_t from, size_t size, size_t points) {
  size_t count = 0;
  for (; from < size && count <= points; ++count) from = WindowEnd(alpha, from, size);
  return count <= points;
}

}  // namespace

size_t DecimateForPlot(const std::vector<double>& power, size_t points, std::vector<double>* x,
                       std::vector<double>* yDb) {
  x->clear();
  yDb->clear();
  if (power.empty() || points == 0) return 0;
  const size_t start = LeadingZeroSamples(power);
  // The least growth that keeps to `points` windows, by bisection (1 gives
  // windows that double, few enough for any length).
  double low = 0.0, high = 1.0;
  if (!FewEnough(low, start, power.size(), points)) {
    for (int i = 0; i < 60; ++i) {
      const double middle = (low + high) / 2.0;
      (FewEnough(middle, start, power.size(), points) ? high : low) = middle;
    }
    low = high;
  }
  size_t widest = 0;
  for (size_t from = start; from < power.size();) {
    const size_t to = WindowEnd(low, from, power.size());
    double sum = 0.0;
    for (size_t n = from; n < to; ++n) sum += power[n];
    x->push_back(static_cast<double>(from + to + 1) / 2.0);
    yDb->push_back(Decibels(sum / static_cast<double>(to - from)));
    widest = std::max(widest, to - from);
    from = to;
  }
  return widest;
}

void SharedRange(const std::vector<PlotSeries>& series, double ceiling, double* low, double* high) {
  *low = INFINITY;
  *high = -INFINITY;
  for (const PlotSeries& s : series) {
    for (double y : s.y) {
      if (!std::isfinite(y)) continue;
      *low = std::min(*low, y);
      if (y <= ceiling) *high = std::max(*high, y);
    }
  }
}

PlotFrame LearningCurveFrame(const std::string& title, const std::string& yLabel, int64_t samples) {
  PlotFrame frame;
  frame.title = title;
  frame.xLabel = "sample";
  frame.yLabel = yLabel;
  frame.yUnit = "dB";
  frame.xScale = AxisScale::kLog;
  frame.xLow = 1;
  frame.xHigh = static_cast<double>(std::max<int64_t>(samples, 2));
  return frame;
}

std::string SmoothingText(size_t samples, size_t widestWindow) {
  return "Sample axis logarithmic, so that fast and slow learning both show; each point is the mean power over a "
         "window of samples that grows with the sample number, from single samples at the start to " +
         std::to_string(widestWindow) + (widestWindow == 1 ? " sample" : " samples") + " at sample " +
         std::to_string(samples) + ".";
}
