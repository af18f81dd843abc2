#include "adaptsim/report/run_report.h"

#include <algorithm>
#include <cmath>

#include "adaptsim/io/final_weights_reader.h"
#include "adaptsim/report/html_report.h"
#include "adaptsim/report/learning_curve.h"
#include "adaptsim/report/svg_plot.h"

namespace {

// Curves rising this far above the Desired signal's power are clipped.
constexpr double kExcursionDb = 20.0;
// An error this close to the quantisation floor has reached it.
constexpr double kFloorReachedDb = 6.0;

// The figures' file names beside the page.
constexpr const char* kLearningCurveFile = "learning-curve.svg";
std::string WeightsFigureFile(size_t c) { return "weights-" + std::to_string(c + 1) + ".svg"; }

std::string Db(double value) {
  if (std::isnan(value) || value == INFINITY) return "no finite power (the filter diverged)";
  return RoundedText(std::round(value * 10) / 10, 6) + " dB";
}

std::string ParameterText(const RunReportData& run) {
  std::string text;
  for (const auto& p : run.parameters) text += (text.empty() ? "" : ", ") + ("\"" + p.first + "\" " + RoundedText(p.second, 4));
  return text;
}

// The learning-curve figure and the sentences that read it.
void LearningCurve(const RunReportData& run, HtmlReport* report) {
  const size_t rows = run.outputs.rows();
  std::vector<size_t> ports;
  for (size_t o = 0; o < run.outputNames.size(); ++o) {
    const std::string& name = run.outputNames[o];
    if (name == "PriError" || name == "PostError" || name == "Error") ports.push_back(o);
  }
  const bool errors = !ports.empty();
  if (!errors) ports.push_back(0);
  std::vector<PlotSeries> series;
  std::vector<std::vector<double>> powers;
  size_t widest = 0;
  if (!run.desired.empty()) {
    std::vector<double> power(run.desired.size());
    for (size_t n = 0; n < power.size(); ++n) power[n] = run.desired[n] * run.desired[n];
    PlotSeries s;
    s.label = "Desired";
    widest = DecimateForPlot(power, kCurvePoints, &s.x, &s.y);
    series.push_back(s);
    powers.push_back(power);
  }
  for (size_t o : ports) {
    std::vector<double> power(rows);
    for (size_t n = 0; n < rows; ++n) power[n] = run.outputs.row(n)[o] * run.outputs.row(n)[o];
    PlotSeries s;
    s.label = run.outputNames[o];
    widest = std::max(widest, DecimateForPlot(power, kCurvePoints, &s.x, &s.y));
    series.push_back(s);
    powers.push_back(power);
  }
  const std::string reference = run.fullScale ? "dB re full scale" : "dB re 1";
  PlotFrame frame = LearningCurveFrame(
      run.token + ": power of " +
          (run.desired.empty() ? std::string(errors ? "the errors" : "the output") : "Desired and the errors"),
      "power (" + reference + ")", static_cast<int64_t>(rows));

  // The steady part: the last quarter, as SteadyStatePower() takes it.
  std::string reading;
  const size_t from = rows - std::max<size_t>(1, rows / 4);
  const auto steady = [](const std::vector<double>& power) { return Decibels(SteadyStatePower(power)); };
  const double floorDb = run.quantisationBits > 0 ? QuantisationFloorDb(run.quantisationBits) : NAN;
  bool floorReached = false;
  if (rows > 0) {
    reading = "Over the steady part (the last quarter, samples " + std::to_string(from + 1) + " to " +
              std::to_string(rows) + ")";
    const size_t first = run.desired.empty() ? 0 : 1;
    const double desiredDb = run.desired.empty() ? NAN : steady(powers[0]);
    if (!run.desired.empty()) reading += " Desired has " + Db(desiredDb);
    for (size_t k = first; k < powers.size(); ++k) {
      const double db = steady(powers[k]);
      reading += std::string(k == first && run.desired.empty() ? " " : "; ") + series[k].label + " has " + Db(db);
      if (!run.desired.empty() && std::isfinite(db) && std::isfinite(desiredDb)) {
        reading += ", " + Db(desiredDb - db) + (desiredDb >= db ? " below Desired" : " above Desired");
      }
      floorReached = floorReached || db <= floorDb + kFloorReachedDb;
    }
    reading += ".";
  }
  if (floorReached) {
    frame.levels.push_back({floorDb, std::to_string(run.quantisationBits) + "-bit quantisation floor " + Db(floorDb)});
    reading += " The error has reached the quantisation floor of the " + std::to_string(run.quantisationBits) +
               "-bit recording (" + Db(floorDb) + ", q²/12 for a step q of 2^" +
               std::to_string(1 - run.quantisationBits) +
               " of full scale): what remains is the rounding of the recorded samples, not a shortfall of the filter.";
  }
  if (!run.desired.empty()) {
    double low, high;
    SharedRange({series[0]}, INFINITY, &low, &high);
    frame.yHigh = high + kExcursionDb;  // an error that runs away is clipped above this
    SharedRange(series, frame.yHigh, &low, &high);
    if (std::isfinite(high)) frame.yHigh = high;
  }
  const std::string caption =
      (run.desired.empty() ? std::string("Power of each sample, in ") + reference + ". "
                           : "Power of the Desired signal, which the filter learns to cancel, beside the power of "
                             "the errors, in " + reference + ". ") +
      SmoothingText(rows, widest);
  report->heading("Learning curve");
  report->figures({{kLearningCurveFile, RenderSvgPlot(frame, series), caption}});
  if (!reading.empty()) report->paragraph(reading);
}

ReportFigure Weights(const RunReportData& run, size_t c, const FinalWeights& weights, const std::string& path) {
  PlotSeries numerator, denominator;
  numerator.label = "numerator";
  denominator.label = "denominator";
  numerator.markers = denominator.markers = true;
  for (size_t i = 0; i < weights.numerator.size(); ++i) {
    numerator.x.push_back(static_cast<double>(i));
    numerator.y.push_back(weights.numerator[i]);
  }
  // The leading 1 of the denominator is fixed: the coefficients after it
  // follow the numerator's.
  const double length = static_cast<double>(weights.numerator.size());
  for (size_t i = 1; i < weights.denominator.size(); ++i) {
    denominator.x.push_back(length + static_cast<double>(i - 1));
    denominator.y.push_back(weights.denominator[i]);
  }
  const std::string channel = run.weightsPaths.size() > 1 ? " channel " + std::to_string(c + 1) : "";
  PlotFrame frame = CoefficientFrame(run.token + channel + ": final weights",
                                     weights.numerator.size() + denominator.x.size(), 420, 280);
  frame.regions.push_back({0, length - 1, "numerator"});
  std::vector<PlotSeries> series{numerator};
  std::string caption = "From " + path + ". ";
  if (denominator.x.empty()) {
    caption += "The denominator is the fixed leading 1 alone (no feedback coefficients) and is not drawn.";
  } else {
    frame.regions.push_back({length, frame.xHigh - 0.5, "denominator"});
    series.push_back(denominator);
    caption += "The denominator's fixed leading 1 is not drawn: its coefficients from the second on follow the "
               "numerator's.";
  }
  return {WeightsFigureFile(c), RenderSvgPlot(frame, series), caption};
}

}  // namespace

double QuantisationFloorDb(int bits) {
  const double step = std::pow(2.0, 1 - bits);
  return Decibels(step * step / 12.0);
}

std::vector<std::string> RunReportFiles(const std::string& directory, size_t weightsFiles) {
  std::vector<std::string> files{directory + "/" + HtmlReport::kPageName, directory + "/" + kLearningCurveFile};
  for (size_t c = 0; c < weightsFiles; ++c) files.push_back(directory + "/" + WeightsFigureFile(c));
  return files;
}

bool WriteRunReport(const RunReportData& run, const std::string& directory, std::string* error) {
  HtmlReport report("adaptsim run " + run.token);
  std::string intro = run.description + " " + std::to_string(run.outputs.rows()) + " samples";
  if (!run.parameters.empty()) intro += "; parameters " + ParameterText(run);
  report.paragraph(intro + ".");
  LearningCurve(run, &report);

  if (!run.weightsPaths.empty()) {
    report.heading("Final weights");
    std::vector<ReportFigure> figures;
    for (size_t c = 0; c < run.weightsPaths.size(); ++c) {
      FinalWeights weights;
      std::string reason;
      if (!ReadFinalWeights(run.weightsPaths[c], &weights, &reason)) {
        report.paragraph(reason);
        continue;
      }
      if (weights.singular) {
        report.paragraph(run.weightsPaths[c] + ": Matrix close to singular...");
        continue;
      }
      figures.push_back(Weights(run, c, weights, run.weightsPaths[c]));
    }
    report.figures(figures);
  }
  return report.write(directory, error);
}
