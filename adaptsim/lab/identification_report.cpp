#include "adaptsim/lab/identification_report.h"

#include <cctype>
#include <cstdio>
#include <sstream>

#include "adaptsim/report/html_report.h"
#include "adaptsim/report/learning_curve.h"
#include "adaptsim/report/svg_plot.h"

namespace {

constexpr size_t kCurvePoints = 400;
// Noiseless runs fall to about -300 dB; nothing below this is informative.
constexpr double kCurveFloorDb = -160.0;

const TokenFamily kFamilies[] = {TokenFamily::kLms,    TokenFamily::kGeneralGradient, TokenFamily::kNlms,
                                 TokenFamily::kNewton, TokenFamily::kQr,              TokenFamily::kRls,
                                 TokenFamily::kRandomWalk};

std::string Slug(const std::string& text) {
  std::string slug;
  for (char c : text) slug += std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c)) : '-';
  return slug;
}

std::string Decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

ReportFigure LearningCurves(TokenFamily family, const IdentificationResult& result) {
  std::vector<PlotSeries> series;
  for (const IdentificationRow& row : result.rows) {
    if (row.family != family || row.state != RowState::kRan) continue;
    PlotSeries s;
    s.label = row.token;
    DecimateForPlot(row.curve, kCurvePoints, &s.x, &s.y);
    series.push_back(s);
  }
  PlotFrame frame;
  frame.title = std::string("Learning curves: ") + FamilyName(family) + " family";
  frame.xLabel = "sample";
  frame.yLabel = "a-priori error power (dB)";
  frame.yFloor = kCurveFloorDb;
  return {"learning-" + Slug(FamilyName(family)) + ".svg", RenderSvgPlot(frame, series)};
}

ReportFigure Coefficients(const IdentificationRow& row) {
  PlotSeries truth, estimate;
  truth.label = "true";
  estimate.label = "estimated";
  truth.line = estimate.line = false;
  truth.markers = estimate.markers = true;
  for (size_t i = 0; i < row.truth.size(); ++i) {
    truth.x.push_back(static_cast<double>(i));
    truth.y.push_back(row.truth[i]);
  }
  for (size_t i = 0; i < row.estimate.size(); ++i) {
    estimate.x.push_back(static_cast<double>(i));
    estimate.y.push_back(row.estimate[i]);
  }
  PlotFrame frame;
  frame.title = row.token + ": coefficients";
  frame.xLabel = row.recursive ? "index (numerator, then feedback)" : "index (channels stacked)";
  frame.yLabel = "value";
  frame.width = 360;
  frame.height = 240;
  return {"coefficients-" + Slug(row.token) + ".svg", RenderSvgPlot(frame, {truth, estimate})};
}

}  // namespace

bool WriteIdentificationReport(const IdentificationSettings& settings, const IdentificationResult& result,
                               const std::string& directory, std::string* error) {
  HtmlReport report("adaptsim demo: system identification");
  std::ostringstream summary;
  PrintIdentificationTable(settings, result, summary);
  const std::string text = summary.str();
  report.paragraph(text.substr(0, text.find("\n\n")));

  std::vector<std::vector<std::string>> table{
      {"token", "family", "samples", "error power (dB)", "misalignment (dB)", "µs/sample", "settings", "note"}};
  for (const IdentificationRow& row : result.rows) {
    const bool ran = row.state == RowState::kRan;
    table.push_back({row.token, FamilyName(row.family), ran ? std::to_string(row.samples) : "-",
                     ran ? Decimal(row.errorPowerDb) : "-", ran ? Decimal(row.misalignmentDb) : "-",
                     ran ? Decimal(row.microsecondsPerSample) : "-", row.settings,
                     ran && row.verdict == Verdict::kConverged ? "converged" : row.note});
  }
  report.heading("Results");
  report.table(table);
  // The closing line: how many converged, and by what measure.
  const size_t lastLine = text.rfind('\n', text.size() - 2);
  report.paragraph(text.substr(lastLine + 1, text.size() - lastLine - 2));

  report.heading("Learning curves");
  report.paragraph("Squared a-priori error averaged over " + std::to_string(settings.runs) +
                   (settings.runs == 1 ? " realisation" : " realisations") + ", in dB against the sample number.");
  std::vector<ReportFigure> curves;
  for (TokenFamily family : kFamilies) {
    for (const IdentificationRow& row : result.rows) {
      if (row.family == family && row.state == RowState::kRan) {
        curves.push_back(LearningCurves(family, result));
        break;
      }
    }
  }
  report.figures(curves);

  report.heading("Coefficients");
  report.paragraph("Coefficients read back from the final-weights files of the first realisation (filled dots) "
                   "against the plant's (circles).");
  std::vector<ReportFigure> coefficients;
  for (const IdentificationRow& row : result.rows) {
    if (row.state == RowState::kRan) coefficients.push_back(Coefficients(row));
  }
  report.figures(coefficients);
  return report.write(directory, error);
}
