// Learning curves: the power of the error against the sample number, averaged
// over realisations, and the figures read off them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

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

// At most `points` (x, y) pairs for plotting: the mean power over equal runs
// of samples, x the run's middle sample (1-based), y in dB.
void DecimateForPlot(const std::vector<double>& power, size_t points, std::vector<double>* x,
                     std::vector<double>* yDb);
