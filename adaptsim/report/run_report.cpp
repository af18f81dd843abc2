#include "adaptsim/report/run_report.h"

#include "adaptsim/io/final_weights_reader.h"
#include "adaptsim/report/html_report.h"
#include "adaptsim/report/learning_curve.h"
#include "adaptsim/report/svg_plot.h"

namespace {

constexpr size_t kCurvePoints = 400;
constexpr double kCurveFloorDb = -200.0;

}  // namespace

bool WriteRunReport(const TokenInfo& token, const std::vector<std::string>& outputNames, const SampleTable& outputs,
                    const std::vector<std::string>& weightsPaths, const std::string& directory, std::string* error) {
  HtmlReport report("adaptsim run " + token.name);
  report.paragraph(token.description + " " + std::to_string(outputs.rows()) + " samples.");

  // The errors when the run has them; a general token alone has only its
  // output.
  std::vector<size_t> ports;
  for (size_t o = 0; o < outputNames.size(); ++o) {
    if (outputNames[o] == "PriError" || outputNames[o] == "PostError" || outputNames[o] == "Error") ports.push_back(o);
  }
  if (ports.empty()) ports.push_back(0);
  std::vector<PlotSeries> series;
  for (size_t o : ports) {
    std::vector<double> power(outputs.rows());
    for (size_t n = 0; n < outputs.rows(); ++n) power[n] = outputs.row(n)[o] * outputs.row(n)[o];
    PlotSeries s;
    s.label = outputNames[o];
    DecimateForPlot(power, kCurvePoints, &s.x, &s.y);
    series.push_back(s);
  }
  PlotFrame frame;
  frame.title = token.name + ": power of " + (ports.size() > 1 || outputNames[ports[0]] != "Output" ? "the errors" : "the output");
  frame.xLabel = "sample";
  frame.yLabel = "power (dB)";
  frame.yFloor = kCurveFloorDb;
  report.heading("Learning curve");
  report.figures({{"learning-curve.svg", RenderSvgPlot(frame, series)}});

  if (!weightsPaths.empty()) {
    report.heading("Final weights");
    std::vector<ReportFigure> figures;
    for (size_t c = 0; c < weightsPaths.size(); ++c) {
      FinalWeights weights;
      std::string reason;
      if (!ReadFinalWeights(weightsPaths[c], &weights, &reason)) {
        report.paragraph(reason);
        continue;
      }
      if (weights.singular) {
        report.paragraph(weightsPaths[c] + ": Matrix close to singular...");
        continue;
      }
      PlotSeries numerator, denominator;
      numerator.label = "numerator";
      denominator.label = "denominator";
      numerator.markers = denominator.markers = true;
      for (size_t i = 0; i < weights.numerator.size(); ++i) {
        numerator.x.push_back(static_cast<double>(i));
        numerator.y.push_back(weights.numerator[i]);
      }
      for (size_t i = 0; i < weights.denominator.size(); ++i) {
        denominator.x.push_back(static_cast<double>(i));
        denominator.y.push_back(weights.denominator[i]);
      }
      PlotFrame coefficients;
      coefficients.title = weightsPaths[c];
      coefficients.xLabel = "index";
      coefficients.yLabel = "coefficient";
      coefficients.width = 420;
      coefficients.height = 280;
      figures.push_back({"weights-" + std::to_string(c + 1) + ".svg", RenderSvgPlot(coefficients, {numerator, denominator})});
    }
    report.figures(figures);
  }
  return report.write(directory, error);
}
