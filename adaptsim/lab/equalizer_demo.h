// The adaptive channel-equalisation experiment of the adaptive-filtering
// textbooks: random +-1 symbols through a raised-cosine channel whose width W
// sets the eigenvalue spread of the equaliser's input, white noise, and an
// equaliser that learns to give back the symbols delayed by 7 samples.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "adaptsim/lab/identification_demo.h"
#include "adaptsim/hosting/plugin.h"
#include "adaptsim/report/progress_bar.h"

struct EqualizerSettings {
  std::vector<double> widths{2.9, 3.1, 3.3, 3.5};
  int runs = 200;
  int64_t samples = 1000;
  int taps = 11;
  int delay = 7;
  double noiseVariance = 0.001;
  uint64_t seed = 1;
  int workers = 1;
  std::vector<std::string> tokens;  // empty: every one-channel token
};

// h(1), h(2), h(3) of h(n) = 1/2 [1 + cos(2 pi (n - 2) / W)].
std::vector<double> RaisedCosineChannel(double width);

// Largest over smallest eigenvalue of the taps x taps correlation matrix of
// the channel's output (unit-power symbols) plus white noise.
double EigenvalueSpread(const std::vector<double>& channel, double noiseVariance, int taps);

// The least mean-square error (J_min, in dB re the unit-power symbols) of a
// taps-coefficient equaliser that gives back the symbols delayed by `delay`:
// 1 - p^T R^-1 p, the Wiener solution's error.
double MinimumMseDb(const std::vector<double>& channel, double noiseVariance, int taps, int delay);

// The error power a token can reach at width W: J_min and the excess the
// small-step theory predicts for its settings, M·J_min with M = μ·N·P_x for
// the 2μ LMS gain, μ/(1 − μ) for the normalised tokens' 2μ, N(1 − λ)/(1 + λ)
// for RLS (λ^2 for QR); the Newton and random-walk tokens get no prediction
// (M = 0) and the table says so.
struct EqualizerTarget {
  double misadjustment = 0.0;  // M; NaN when no prediction
  double powerDb = 0.0;        // J_min·(1 + M) in dB
};

struct EqualizerCell {
  double finalPowerDb = 0.0;   // steady-state a-priori error power
  EqualizerTarget target;
  int64_t samplesToTarget = -1;  // samples until it stays within 3 dB of target.powerDb, -1 never
  std::vector<double> curve;   // averaged squared error
};

struct EqualizerRow {
  std::string token;
  RowState state = RowState::kRan;
  std::string note;
  std::string settings;              // AdaptationSettings() of its rig
  std::vector<EqualizerCell> cells;  // one per width
  double microsecondsPerSample = 0.0;  // median over the realisations and widths
};

struct EqualizerResult {
  std::vector<double> spreads;       // one per width
  std::vector<double> minimumMseDb;  // one per width
  std::vector<EqualizerRow> rows;
};

// False with the reason when a named token is not a one-channel token.
bool CheckEqualizerTokens(const Plugin& plugin, const std::vector<std::string>& names, std::string* error);

bool RunEqualizer(const Plugin& plugin, const EqualizerSettings& settings, ProgressBar* progress,
                  EqualizerResult* result, std::string* error);

void PrintEqualizerTable(const EqualizerSettings& settings, const EqualizerResult& result, std::ostream& out);

bool WriteEqualizerReport(const EqualizerSettings& settings, const EqualizerResult& result,
                          const std::string& directory, std::string* error);
