// Learning curves: the power of the error against the sample number, averaged
// over realisations, and the figures read off them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "adaptsim/report/svg_plot.h"

// sum[n] / runs for every sample.
std::vector<double> AveragedCurve(const std::vector<double>& sum, int64_t runs);

// Mean of the curve over its last quarter (at least one sample): the power
// the filter settled at. NaN for an empty curve.
double SteadyStatePower(const std::vector<double>& power);

// The number of samples the filter needs to come within `marginDb` of
// `finalPower` for good: the first sample (1-based) from which the curve,
// smoothed by a centred mean over 2*halfWindow+1 samples, stays at or below
// finalPower * 10^(marginDb/10). Staying, not touching: the curve may start
// low (a desired signal that starts late) before the error grows. -1 when
// the last sample is still above.
int64_t SamplesToReach(const std::vector<double>& power, double finalPower, double marginDb, int halfWindow);

// 10 log10(power); -inf for 0, NaN for negative or NaN input.
double Decibels(double power);

// The samples of exactly zero power at the start of a curve (an error of
// exactly 0 before the desired signal starts): log 0 is no point to draw.
size_t LeadingZeroSamples(const std::vector<double>& power);

// The points every learning-curve figure draws, on a logarithmic sample
// axis: after the leading zero samples, the mean power over windows whose
// width grows in proportion to the sample number (single samples at the
// start, then equal widths on the log axis, with no step between the two), at
// most `points` of them; x the window's middle sample (1-based), y in dB.
// Returns the widest window.
size_t DecimateForPlot(const std::vector<double>& power, size_t points, std::vector<double>* x,
                       std::vector<double>* yDb);
constexpr size_t kCurvePoints = 400;

// The y range panels compared on one page share: from the lowest finite
// value of their series to the highest at or below `ceiling` (an excursion
// above it is clipped and marked in its figure).
void SharedRange(const std::vector<PlotSeries>& series, double ceiling, double* low, double* high);

// The frame of every learning-curve figure: power in dB (`yLabel` says of
// what and relative to what) against the sample on a log axis from 1 to
// `samples`.
PlotFrame LearningCurveFrame(const std::string& title, const std::string& yLabel, int64_t samples);

// The caption's sentence on how the curves were smoothed.
std::string SmoothingText(size_t samples, size_t widestWindow);
