#include "adaptsim/lab/identification_demo.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "adaptsim/report/learning_curve.h"
#include "adaptsim/report/svg_plot.h"
#include "adaptive/number_text.h"
#include "adaptsim/lab/scratch_directory.h"
#include "adaptsim/lab/trial_pool.h"

namespace {

// 2 mu times the input power times the number of coefficients stays well
// below 2 (the stability bound of LMS) whatever the filter's size.
constexpr double kLmsStepTimesLength = 0.1;
constexpr double kNlmsStep = 0.25;
// Feedback coefficients of the recursive tokens, and of the recursive plant.
constexpr int kFeedback = 2;
// The shortest stretch above the desired power + kDivergedMarginDb that the
// verdict names as a transient excursion.
constexpr int64_t kExcursionSamples = 16;

bool IsRecursiveToken(const TokenInfo& token) { return token.parameterIndex("Denominator Coeffs") >= 0; }

RigChoices ChoicesFor(const TokenInfo& token, const ScenarioSettings& scenario) {
  RigChoices choices;
  choices.taps = scenario.taps;
  choices.feedback = IsRecursiveToken(token) ? kFeedback : 0;
  const int channels = token.filterChannels();
  choices.lmsMu = kLmsStepTimesLength / (channels * scenario.taps + choices.feedback);
  // Each channel of NLMS2 and NLMS3 is normalised by its own energy only, so
  // the channels' steps add up: share one channel's step among them.
  choices.nlmsMu = kNlmsStep / channels;
  return choices;
}

// The verdict on a token that ran, and its reason in words.
void Judge(const IdentificationSettings& settings, const IdentificationResult& result, IdentificationRow* row) {
  const double errorLimitDb = ConvergedErrorPowerDb(result);
  // -inf dB is an error or misalignment of exactly zero.
  const auto blownUp = [](double db) { return std::isnan(db) || db == INFINITY; };
  if (row->divergedRuns > 0 || blownUp(row->errorPowerDb) || blownUp(row->misalignmentDb) ||
      row->errorPowerDb > result.desiredPowerDb + kDivergedMarginDb || row->misalignmentDb > kDivergedMarginDb) {
    row->verdict = Verdict::kDiverged;
    // Which realisations: a few that blew up dominate the mean of all.
    const std::string which = row->runs == 1 ? "diverged" :
                              row->divergedRuns >= row->runs ? "diverged in all " + std::to_string(row->runs) + " realisations"
                              : "diverged in " + std::to_string(std::max<int64_t>(row->divergedRuns, 1)) + " of " +
                                    std::to_string(row->runs) + " realisations, which dominate the mean";
    if (row->recursive && row->family == TokenFamily::kNlms) {
      row->note = which + ": the feedback part is normalised by the energy of its own short output line, "
                  "tiny whenever the output nears zero; the huge steps then push the poles out of the unit "
                  "circle in some realisations, whatever the step size";
    } else {
      row->note = which + ": the step size is too large for this input";
    }
    return;
  }
  // An excursion far above the desired signal on the way, named even when
  // the filter then settles.
  std::string excursion;
  if (row->excursionTo > 0) {
    excursion = "a transient excursion to " + adaptive::FormatShortest(std::round(row->peakDb * 10) / 10) +
                " dB, above the desired signal's power + " + adaptive::FormatShortest(kDivergedMarginDb) +
                " dB from sample " + std::to_string(row->excursionFrom) + " to " + std::to_string(row->excursionTo);
  }
  // Some realisations settled and some not: more samples would not help.
  if (row->unsettledRuns > 0 && row->unsettledRuns < row->runs) {
    row->verdict = Verdict::kDidNotConverge;
    row->note = "did not converge in " + std::to_string(row->unsettledRuns) + " of " + std::to_string(row->runs) +
                " realisations (their own error stayed above " +
                adaptive::FormatShortest(std::round(errorLimitDb * 10) / 10) + " dB; the others converged): " +
                (row->recursive && row->family == TokenFamily::kNlms
                     ? "the feedback part's normalisation by its own short output line sends it astray in some "
                       "realisations, whatever the step size"
                     : "the step size is near the edge for this input; try a smaller one") +
                (excursion.empty() ? "" : "; on the way " + excursion);
    return;
  }
  const bool closeToPlant = row->misalignmentDb <= kConvergedMisalignmentDb;
  const bool closeToFloor = row->errorPowerDb <= errorLimitDb;
  if (closeToPlant && closeToFloor) {
    row->verdict = Verdict::kConverged;
    row->note = excursion.empty() ? "" : "converged after " + excursion;
    return;
  }
  row->verdict = Verdict::kDidNotConverge;
  std::string reason;
  if (!closeToFloor) {
    reason = "error power " + adaptive::FormatShortest(std::round(row->errorPowerDb * 10) / 10) + " dB is above " +
             adaptive::FormatShortest(std::round(errorLimitDb * 10) / 10) + " dB; ";
  }
  if (closeToPlant) {
    reason += "the coefficients are close but the error has not settled; try --samples " +
              std::to_string(row->samples * 4);
  } else if (row->recursive && (row->family == TokenFamily::kLms || row->family == TokenFamily::kNlms)) {
    reason += "the feedback of an output-error IIR filter adapts slowly, the more so the longer the numerator; "
              "try --samples " + std::to_string(row->samples * 4);
  } else if (row->family == TokenFamily::kLms || row->family == TokenFamily::kGeneralGradient ||
             row->family == TokenFamily::kNlms) {
    reason += "a gradient method needs more samples than " + std::to_string(row->samples) +
              (settings.scenario.coloured ? " on coloured input (large eigenvalue spread)" : "") +
              "; try --samples " + std::to_string(row->samples * 4);
  } else if (!std::isinf(settings.scenario.snrDb)) {
    reason += "limited by the measurement noise at " + adaptive::FormatShortest(settings.scenario.snrDb) +
              " dB SNR; --snr inf shows the noiseless figure";
  } else {
    reason += "not within " + std::to_string(row->samples) + " samples";
  }
  row->note = "did not converge: " + reason + (excursion.empty() ? "" : "; on the way " + excursion);
}

void FillRow(const TrialTotals& totals, double desiredPowerDb, IdentificationRow* row) {
  const int64_t succeeded = row->samples > 0 ? totals.samples / row->samples : 0;
  row->runs = succeeded;
  if (totals.status != 0) {
    row->state = RowState::kFailed;
    row->note = totals.status == kWeightsUnreadable ? "final weights unreadable: " + totals.message
                : totals.status == kWorkerLost      ? totals.message
                                                    : "status " + std::to_string(totals.status) + ": " + totals.message;
    while (!row->note.empty() && (row->note.back() == '\n' || row->note.back() == ' ')) row->note.pop_back();
    for (char& c : row->note) {
      if (c == '\n') c = ' ';
    }
    return;
  }
  if (totals.singular) {
    row->state = RowState::kFailed;
    row->note = "the QR triangle is still singular: fewer independent samples than coefficients";
    return;
  }
  row->divergedRuns = totals.divergedRuns;
  row->unsettledRuns = totals.unsettledRuns;
  row->curve = AveragedCurve(totals.squaredErrorSum, succeeded);
  row->errorPowerDb = Decibels(SteadyStatePower(row->curve));
  row->misalignmentDb = Decibels(totals.misalignmentSum / static_cast<double>(succeeded));
  row->microsecondsPerSample = MedianMicrosecondsPerSample({&totals});
  row->estimate = totals.coefficients;
  // The excursion as the figure draws the curve: the smoothed points.
  std::vector<double> x, y;
  DecimateForPlot(row->curve, kCurvePoints, &x, &y);
  row->peakDb = -INFINITY;
  for (size_t i = 0; i < y.size(); ++i) {
    row->peakDb = std::max(row->peakDb, y[i]);
    if (!(y[i] <= desiredPowerDb + kDivergedMarginDb)) {
      if (row->excursionTo == 0) row->excursionFrom = static_cast<int64_t>(x[i]);
      row->excursionTo = static_cast<int64_t>(x[i]);
    }
  }
  // A few samples of a start-up (the QR tokens' first a-priori errors) are no excursion.
  if (row->excursionTo - row->excursionFrom < kExcursionSamples) row->excursionFrom = row->excursionTo = 0;
}

std::string Fixed(double value, int width, int decimals) {
  char text[64];
  if (std::isnan(value)) {
    std::snprintf(text, sizeof text, "%*s", width, "nan");
  } else if (std::isinf(value)) {
    std::snprintf(text, sizeof text, "%*s", width, value < 0 ? "-inf" : "inf");
  } else {
    std::snprintf(text, sizeof text, "%*.*f", width, decimals, value);
  }
  return text;
}

std::string RightAligned(const std::string& text, size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string Pad(const std::string& text, size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

}  // namespace

std::string AdaptationSettings(const TokenInfo& token, const TokenRig& rig) {
  std::vector<std::pair<std::string, std::string>> shown;  // name, value
  for (size_t k = 0; k < token.parameterNames.size(); ++k) {
    const std::string& name = token.parameterNames[k];
    const bool structural = name.find("Coeffs") != std::string::npos || name.find("Tap Value") != std::string::npos;
    const bool noLeakage = name.rfind("Leakage", 0) == 0 && rig.parameters[k] == 1.0;
    if (structural || noLeakage) continue;
    std::string value = RoundedText(rig.parameters[k], 3);
    if (name == "Lambda") {
      // Enough digits to tell 0.9995 from 1, and the memory it gives: the QR
      // tokens' squared errors fade by λ^2.
      const double lambda = rig.parameters[k];
      const double fade = token.family() == TokenFamily::kQr ? lambda * lambda : lambda;
      value = RoundedText(lambda, 6) + (fade < 1.0 ? " (memory " + RoundedText(1.0 / (1.0 - fade), 3) + ")" : "");
    }
    // "Mu 1", "Mu 2", "Mu 3" of equal value as "Mu 1-3".
    const size_t blank = name.rfind(' ');
    const bool numbered = blank != std::string::npos && blank + 2 == name.size() && std::isdigit(name.back());
    if (numbered && !shown.empty() && shown.back().second == value &&
        shown.back().first.rfind(name.substr(0, blank + 1), 0) == 0) {
      shown.back().first = shown.back().first.substr(0, blank + 2) + "-" + name.back();
      continue;
    }
    shown.push_back({name, value});
  }
  if (rig.wiring == Wiring::kGradientPorts) {
    shown.push_back({"Mu port", RoundedText(rig.portMu, 3)});
    if (rig.portLeakage != 1.0) shown.push_back({"Leakage port", RoundedText(rig.portLeakage, 3)});
  }
  std::string text;
  for (const auto& s : shown) text += (text.empty() ? "" : ", ") + s.first + " " + s.second;
  return text;
}

double ConvergedErrorPowerDb(const IdentificationResult& result) {
  const double floorDb =
      std::isfinite(result.noisePowerDb) ? result.noisePowerDb : result.desiredPowerDb - kNoiselessFloorDb;
  return floorDb + kConvergedErrorMarginDb;
}

bool CheckTokenNames(const Plugin& plugin, const std::vector<std::string>& names, std::string* error) {
  for (const std::string& name : names) {
    if (plugin.find(name) == nullptr) {
      *error = "unknown token \"" + name + "\" in --tokens ('adaptsim list' shows the catalogue)";
      return false;
    }
  }
  return true;
}

bool RunIdentification(const Plugin& plugin, const IdentificationSettings& settings, ProgressBar* progress,
                       IdentificationResult* result, std::string* error) {
  result->rows.clear();
  std::vector<const TokenInfo*> tokens;
  std::vector<TokenRig> rigs;
  std::vector<Plant> plants;
  std::vector<TrialJob> jobs;
  for (const TokenInfo& token : plugin.catalogue()) {
    if (!settings.tokens.empty() &&
        std::find(settings.tokens.begin(), settings.tokens.end(), token.name) == settings.tokens.end()) {
      continue;
    }
    IdentificationRow row;
    row.token = token.name;
    row.family = token.family();
    row.samples = settings.scenario.samples;
    TokenRig rig;
    std::string why;
    if (!plugin.exports(token.name)) {
      row.state = RowState::kNotInBuild;
      row.note = "not in this build";
    } else if (!MakeRig(token, ChoicesFor(token, settings.scenario), &rig, &why)) {
      row.state = RowState::kFailed;
      row.note = why;
    } else {
      row.settings = AdaptationSettings(token, rig);
      row.recursive = rig.recursive;
      row.channels = rig.channels;
      const int index = static_cast<int>(tokens.size());
      for (int r = 0; r < settings.runs; ++r) jobs.push_back({index, 0, static_cast<uint64_t>(r)});
    }
    if (row.state == RowState::kRan) {
      tokens.push_back(&token);
      rigs.push_back(rig);
      plants.push_back(MakePlant(settings.scenario, rig.channels, rig.recursive));
      row.truth = plants.back().stacked();
    }
    result->rows.push_back(row);
  }
  const Signals first = MakeSignals(settings.scenario, MakePlant(settings.scenario, 1, false), 0);
  result->noisePowerDb = Decibels(first.noiseVariance);
  double desiredPower = 0.0;
  for (double d : first.desired) desiredPower += d * d;
  result->desiredPowerDb = Decibels(desiredPower / static_cast<double>(first.desired.size()));

  ScratchDirectory scratch;
  if (scratch.path().empty()) {
    *error = "cannot make a temporary directory for the final-weights files";
    return false;
  }
  const double settledDb = ConvergedErrorPowerDb(*result);
  // Runs in a worker process.
  const TrialFunction work = [&](const TrialJob& job) {
    const size_t k = static_cast<size_t>(job.token);
    const Signals signals = MakeSignals(settings.scenario, plants[k], job.realisation);
    const std::string base = scratch.path() + "/" + tokens[k]->name + "_" + std::to_string(job.realisation);
    TrialOutcome outcome = RunTrial(plugin.tokenLibrary(), *tokens[k], rigs[k], signals.inputs, signals.desired, base);
    if (outcome.status == 0 && !outcome.singular) {
      const std::vector<double> truth = plants[k].stacked();
      outcome.misalignment = std::pow(10.0, MisalignmentDb(outcome.coefficients, truth) / 10.0);
      double desiredPower = 0.0;
      for (const double d : signals.desired) desiredPower += d * d;
      desiredPower /= static_cast<double>(std::max<size_t>(1, signals.desired.size()));
      const double margin = std::pow(10.0, kDivergedMarginDb / 10.0);
      const double steady = SteadyStatePower(outcome.squaredError);
      outcome.diverged = !(steady <= desiredPower * margin) || !(outcome.misalignment <= margin);
      outcome.unsettled = !outcome.diverged && !(steady <= std::pow(10.0, settledDb / 10.0));
    }
    return outcome;
  };
  std::vector<TrialTotals> totals;
  if (!RunTrialJobs(jobs, settings.workers, work, progress, &totals, error)) return false;

  int index = 0;
  for (IdentificationRow& row : result->rows) {
    if (row.state != RowState::kRan) continue;
    const TrialTotals* t = FindTotals(totals, index++, 0);
    if (t != nullptr) FillRow(*t, result->desiredPowerDb, &row);
    if (row.state == RowState::kRan) Judge(settings, *result, &row);
  }
  return true;
}

void PrintIdentificationTable(const IdentificationSettings& settings, const IdentificationResult& result,
                              std::ostream& out) {
  const ScenarioSettings& s = settings.scenario;
  out << "System identification: " << (s.coloured ? "coloured" : "white") << " input, unknown FIR plant of "
      << s.taps << " taps per channel (IIR with " << kFeedback << " poles for the recursive tokens), "
      << s.samples << " samples, ";
  if (std::isinf(s.snrDb)) {
    out << "no measurement noise";
  } else {
    out << "SNR " << adaptive::FormatShortest(s.snrDb) << " dB (noise power " << Fixed(result.noisePowerDb, 0, 1) << " dB)";
  }
  out << ", seed " << s.seed << ", " << settings.runs << (settings.runs == 1 ? " realisation" : " realisations")
      << " over " << settings.workers << (settings.workers == 1 ? " process" : " processes") << ".\n";
  out << "Error power: a-priori error, mean over the last quarter of the samples. Misalignment:\n"
         "|w - h|^2 / |h|^2 of the coefficients read back from the final-weights files. us/sample: the\n"
         "median over the realisations (with fewer than " << kTimedRuns << " left out: one short run says little).\n\n";

  size_t width = 5;
  for (const IdentificationRow& row : result.rows) width = std::max(width, row.token.size());
  out << Pad("token", width) << "  " << Pad("family", 16) << " samples  error dB  misalign dB  us/sample  note\n";
  out << std::string(width + 2 + 16 + 50, '-') << '\n';
  int converged = 0, ran = 0;
  for (const IdentificationRow& row : result.rows) {
    out << Pad(row.token, width) << "  " << Pad(FamilyName(row.family), 16);
    if (row.state == RowState::kRan) {
      ++ran;
      if (row.verdict == Verdict::kConverged) ++converged;
      out << Fixed(static_cast<double>(row.samples), 8, 0) << Fixed(row.errorPowerDb, 10, 1)
          << Fixed(row.misalignmentDb, 13, 1)
          << (std::isnan(row.microsecondsPerSample) ? RightAligned("-", 11) : Fixed(row.microsecondsPerSample, 11, 2));
    } else {
      out << RightAligned("-", 8) << RightAligned("-", 10) << RightAligned("-", 13) << RightAligned("-", 11);
    }
    if (!row.note.empty()) out << "  " << row.note;
    out << '\n';
  }
  out << '\n' << converged << " of " << result.rows.size() << " tokens converged"
      << (settings.runs == 1 ? " in one realisation" : " in the mean of " + std::to_string(settings.runs) + " realisations, each judged too")
      << " (misalignment below "
      << adaptive::FormatShortest(kConvergedMisalignmentDb) << " dB and error power below "
      << Fixed(ConvergedErrorPowerDb(result), 0, 1) << " dB, " << adaptive::FormatShortest(kConvergedErrorMarginDb)
      << " dB above the " << (std::isfinite(result.noisePowerDb) ? "noise" : "noiseless") << " floor)";
  if (ran < static_cast<int>(result.rows.size())) {
    out << "; " << (result.rows.size() - static_cast<size_t>(ran)) << " did not run";
  }
  out << ".\n";
}
