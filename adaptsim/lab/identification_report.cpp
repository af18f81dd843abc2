#include "adaptsim/lab/identification_report.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "adaptsim/report/html_report.h"
#include "adaptsim/report/learning_curve.h"
#include "adaptsim/report/svg_plot.h"

namespace {

// Curves rising this far above the desired signal's power are clipped.
constexpr double kExcursionDb = 20.0;

const TokenFamily kFamilies[] = {TokenFamily::kLms,    TokenFamily::kGeneralGradient, TokenFamily::kNlms,
                                 TokenFamily::kNewton, TokenFamily::kQr,              TokenFamily::kRls,
                                 TokenFamily::kRandomWalk};

std::string Slug(const std::string& text) {
  std::string slug;
  for (char c : text) slug += std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c)) : '-';
  return slug;
}

std::string Decimal(double value, const char* format = "%.1f") {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

struct FamilyCurves {
  TokenFamily family;
  std::vector<PlotSeries> series;
  std::string settings;  // each token's, for the caption
};

std::vector<FamilyCurves> CurvesByFamily(const IdentificationResult& result, size_t* widest) {
  std::vector<FamilyCurves> families;
  for (TokenFamily family : kFamilies) {
    FamilyCurves f{family, {}, ""};
    for (const IdentificationRow& row : result.rows) {
      if (row.family != family || row.state != RowState::kRan) continue;
      PlotSeries s;
      s.label = row.token;
      *widest = std::max(*widest, DecimateForPlot(row.curve, kCurvePoints, &s.x, &s.y));
      f.series.push_back(s);
      f.settings += (f.settings.empty() ? "" : "; ") + row.token + ": " + row.settings;
    }
    if (!f.series.empty()) families.push_back(f);
  }
  return families;
}

ReportFigure LearningCurves(const FamilyCurves& curves, const IdentificationSettings& settings,
                            const IdentificationResult& result, double low, double high) {
  // One realisation is no learning curve in the textbook sense (a mean over
  // realisations): the label says which it is.
  PlotFrame frame = LearningCurveFrame(std::string(FamilyName(curves.family)) + " family",
                                       settings.runs == 1 ? "squared error, one realisation (dB re 1)"
                                                          : "a-priori error power, mean of " +
                                                                std::to_string(settings.runs) + " (dB re 1)",
                                       settings.scenario.samples);
  frame.width = 440;
  frame.height = 320;
  frame.yLow = low;
  frame.yHigh = high;
  if (std::isfinite(result.noisePowerDb)) {
    frame.levels.push_back({result.noisePowerDb, "noise floor (J_min) " + Decimal(result.noisePowerDb) + " dB"});
  }
  return {"learning-" + Slug(FamilyName(curves.family)) + ".svg", RenderSvgPlot(frame, curves.series),
          curves.settings + "."};
}

// The coefficient error w − h of realisation 1 on a scale that shows it (the
// coefficients themselves drawn over the plant's hide errors of -40 dB).
ReportFigure Coefficients(const IdentificationRow& row, int runs) {
  PlotSeries error;
  error.label = "w − h";
  error.line = false;
  error.markers = true;
  for (size_t i = 0; i < row.truth.size() && i < row.estimate.size(); ++i) {
    error.x.push_back(static_cast<double>(i));
    error.y.push_back(row.estimate[i] - row.truth[i]);
  }
  const std::string which = runs == 1 ? "" : ", realisation 1 of " + std::to_string(runs);
  PlotFrame frame = CoefficientFrame(row.token + ": w − h" + which, row.truth.size(), 380, 250);
  // The stacking of Plant::stacked(): each channel's numerator, then the feedback.
  const size_t feedback = row.recursive ? 2 : 0;
  const size_t taps = (row.truth.size() - feedback) / static_cast<size_t>(row.channels);
  for (int c = 0; c < row.channels; ++c) {
    const double from = static_cast<double>(static_cast<size_t>(c) * taps);
    frame.regions.push_back({from, from + static_cast<double>(taps) - 1,
                             row.channels > 1 ? "channel " + std::to_string(c + 1) : "numerator"});
  }
  if (feedback > 0) {
    const double from = static_cast<double>(row.truth.size() - feedback);
    frame.regions.push_back({from, from + static_cast<double>(feedback) - 1, "feedback"});
  }
  return {"coefficients-" + Slug(row.token) + ".svg", RenderSvgPlot(frame, {error}),
          "misalignment of this realisation's coefficients: " + Decimal(MisalignmentDb(row.estimate, row.truth)) +
              " dB (the table gives the mean" + (runs == 1 ? "" : " of " + std::to_string(runs)) + ")."};
}

// The result in a word or two; the reason goes under the table.
std::string ResultText(const IdentificationRow& row) {
  if (row.state == RowState::kNotInBuild) return "- not in this build";
  if (row.state == RowState::kFailed) return "✗ failed";
  switch (row.verdict) {
    case Verdict::kConverged: return "✓ converged";
    case Verdict::kDiverged: return "✗ diverged";
    default: return "✗ did not converge";
  }
}

}  // namespace

bool WriteIdentificationReport(const IdentificationSettings& settings, const IdentificationResult& result,
                               const std::string& directory, std::string* error) {
  HtmlReport report("adaptsim demo: system identification");
  std::ostringstream summary;
  PrintIdentificationTable(settings, result, summary);
  const std::string text = summary.str();
  report.paragraph(text.substr(0, text.find("\n\n")));

  // The samples are the same for every token: the summary above gives them.
  std::vector<std::vector<std::string>> table{
      {"token", "family", "error power (dB)", "misalignment (dB)", "µs/sample (median)", "settings", "result"}};
  std::vector<size_t> flagged;
  std::string notes;
  for (const IdentificationRow& row : result.rows) {
    const bool ran = row.state == RowState::kRan;
    if (!ran || row.verdict != Verdict::kConverged) flagged.push_back(table.size());
    if (!row.note.empty() && row.state != RowState::kNotInBuild) notes += row.token + ": " + row.note + "\n";
    table.push_back({row.token, FamilyName(row.family), ran ? Decimal(row.errorPowerDb) : "-", ran ? Decimal(row.misalignmentDb) : "-",
                     ran && !std::isnan(row.microsecondsPerSample) ? Decimal(row.microsecondsPerSample, "%.2f") : "-",
                     row.settings, ResultText(row)});
  }
  report.heading("Results");
  report.table(table, flagged);
  if (!notes.empty()) report.paragraph(notes.substr(0, notes.size() - 1));
  // The closing line: how many converged, and by what measure.
  const size_t lastLine = text.rfind('\n', text.size() - 2);
  report.paragraph(text.substr(lastLine + 1, text.size() - lastLine - 2));

  size_t widest = 0;
  const std::vector<FamilyCurves> families = CurvesByFamily(result, &widest);
  std::vector<PlotSeries> all;
  for (const FamilyCurves& f : families) all.insert(all.end(), f.series.begin(), f.series.end());
  double low = NAN, high = NAN;
  SharedRange(all, result.desiredPowerDb + kExcursionDb, &low, &high);
  if (std::isfinite(result.noisePowerDb)) low = std::min(low, result.noisePowerDb);

  report.heading("Learning curves");
  std::string about = (settings.runs == 1
                           ? std::string("Squared a-priori error of one realisation, not averaged (a learning curve "
                                         "in the textbook sense is a mean over realisations: --runs 20 draws them)")
                           : "Squared a-priori error averaged over " + std::to_string(settings.runs) + " realisations") +
                      ", in dB relative to unit power (the input's power; the desired signal has " +
                      Decimal(result.desiredPowerDb) + " dB). All panels share one y range; a curve rising more than " +
                      Decimal(kExcursionDb, "%.0f") + " dB above the desired signal is clipped at the top edge, "
                      "marked there, and its legend entry gives its peak. ";
  about += std::isfinite(result.noisePowerDb)
               ? "The dashed line is the noise floor, the minimum MSE of a filter that matches the plant exactly. "
               : "Without measurement noise only the rounding of doubles stops the error, near -300 dB. ";
  report.paragraph(about + SmoothingText(static_cast<size_t>(settings.scenario.samples), widest));
  std::vector<ReportFigure> curves;
  for (const FamilyCurves& f : families) curves.push_back(LearningCurves(f, settings, result, low, high));
  report.figures(curves);

  report.heading("Coefficients");
  report.paragraph(std::string("The coefficient error w − h: the coefficients read back from the final-weights files of ") +
                   (settings.runs == 1 ? "the run" : "realisation 1 (the first seed) of " + std::to_string(settings.runs)) +
                   " less the plant's, channel by channel as the tokens stack them (each channel's numerator, then "
                   "the feedback coefficients of the recursive tokens, with the sign of the plant's difference "
                   "equation), on a scale that fits the error; each caption gives its misalignment.");
  std::vector<ReportFigure> coefficients;
  for (const IdentificationRow& row : result.rows) {
    if (row.state == RowState::kRan) coefficients.push_back(Coefficients(row, settings.runs));
  }
  report.figures(coefficients);
  return report.write(directory, error);
}
