// The demo's system-identification experiment: every chosen token identifies
// the scenario's plant, wired as a diagram would wire it, and the table is
// computed from the tokens' own outputs and final-weights files.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "adaptsim/hosting/plugin.h"
#include "adaptsim/report/progress_bar.h"
#include "adaptsim/lab/system_scenario.h"
#include "adaptsim/lab/token_rig.h"

struct IdentificationSettings {
  ScenarioSettings scenario;
  int runs = 20;    // realisations averaged: the curves are learning curves, in about 3 s on 2 cores
  int workers = 1;  // processes
  std::vector<std::string> tokens;  // empty: the whole catalogue
};

enum class RowState { kRan, kNotInBuild, kFailed };

// What a token that ran reached.
enum class Verdict { kConverged, kDidNotConverge, kDiverged };

struct IdentificationRow {
  std::string token;
  TokenFamily family = TokenFamily::kLms;
  RowState state = RowState::kRan;
  std::string settings;  // AdaptationSettings() of its rig
  Verdict verdict = Verdict::kDidNotConverge;
  std::string note;      // why it failed, did not converge or diverged
  int64_t samples = 0;   // per realisation
  int64_t runs = 0;
  int64_t divergedRuns = 0;     // realisations that diverged, each judged alone
  int64_t unsettledRuns = 0;    // realisations whose own error did not settle
  double peakDb = 0.0;          // highest point of the drawn curve (dB)
  int64_t excursionFrom = 0, excursionTo = 0;  // samples where it is above the desired power + kDivergedMarginDb; 0: none
  double errorPowerDb = 0.0;    // steady-state a-priori error power
  double misalignmentDb = 0.0;  // mean over the realisations, from the files
  double microsecondsPerSample = 0.0;  // median over the realisations; NaN for fewer than kTimedRuns
  std::vector<double> curve;     // averaged squared error per sample
  std::vector<double> estimate;  // coefficients read back (realisation 1, the first seed)
  std::vector<double> truth;     // the plant's, stacked the same way
  bool recursive = false;
  int channels = 1;
};

struct IdentificationResult {
  std::vector<IdentificationRow> rows;
  double noisePowerDb = 0.0;  // of the first realisation; -inf when noiseless
  double desiredPowerDb = 0.0;
};

// A token converged when its misalignment is below kConvergedMisalignmentDb
// and its steady-state error power within kConvergedErrorMarginDb of the
// floor the experiment allows: the noise power, or without noise the
// desired signal's power lowered by kNoiselessFloorDb.
constexpr double kConvergedMisalignmentDb = -20.0;
constexpr double kConvergedErrorMarginDb = 10.0;
constexpr double kNoiselessFloorDb = 30.0;
// It diverged when its error or misalignment is not finite, its error power
// exceeds the desired signal's by more than kDivergedMarginDb, or its
// coefficients are further from the plant's than all zeros are by as much:
// judged on every realisation alone, and on their mean.
constexpr double kDivergedMarginDb = 10.0;


// The adaptation settings of a rig as a caption gives them ("Mu Forward
// 0.0125, Mu Backward 0.05", "Lambda 0.999 (memory 1000), Init 1e-05"),
// rounded to three significant digits, a forgetting factor to six and with
// the memory in samples it gives (1/(1 − λ), the QR tokens' 1/(1 − λ^2)); the
// filter's lengths are left to the scenario's text.
std::string AdaptationSettings(const TokenInfo& token, const TokenRig& rig);

// The error power a converged token must stay below (dB).
double ConvergedErrorPowerDb(const IdentificationResult& result);

// Checks the token names against the catalogue; false with the reason.
bool CheckTokenNames(const Plugin& plugin, const std::vector<std::string>& names, std::string* error);

// Runs the experiment. False with the reason when it could not be run at all;
// tokens that fail or are missing from the build get rows that say so.
bool RunIdentification(const Plugin& plugin, const IdentificationSettings& settings, ProgressBar* progress,
                       IdentificationResult* result, std::string* error);

// The table and the notes under it.
void PrintIdentificationTable(const IdentificationSettings& settings, const IdentificationResult& result,
                              std::ostream& out);
