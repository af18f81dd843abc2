#include <cstdio>

#include "adaptsim/lab/equalizer_demo.h"
#include "adaptsim/report/html_report.h"
#include "adaptsim/report/learning_curve.h"
#include "adaptsim/report/svg_plot.h"

namespace {

constexpr size_t kCurvePoints = 400;
// The tokens whose curves the textbooks compare side by side.
const char* const kPlotted[] = {"LMS", "NLMS", "RLS1", "QR1", "NEW"};

std::string Decimal(double value, const char* format) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

bool WriteEqualizerReport(const EqualizerSettings& settings, const EqualizerResult& result,
                          const std::string& directory, std::string* error) {
  HtmlReport report("adaptsim demo: adaptive equalisation");
  report.paragraph("Random ±1 symbols through the raised-cosine channel h(n) = ½[1 + cos(2π(n − 2)/W)] for "
                   "n = 1, 2, 3, white noise of variance " + Decimal(settings.noiseVariance, "%g") + ", a " +
                   std::to_string(settings.taps) + "-tap equaliser and the symbols delayed by " +
                   std::to_string(settings.delay) + " as its desired signal; learning curves averaged over " +
                   std::to_string(settings.runs) + " runs of " + std::to_string(settings.samples) + " samples.");

  std::vector<std::vector<std::string>> spreads{{"W"}, {"eigenvalue spread"}};
  for (size_t w = 0; w < settings.widths.size(); ++w) {
    spreads[0].push_back(Decimal(settings.widths[w], "%.1f"));
    spreads[1].push_back(Decimal(result.spreads[w], "%.2f"));
  }
  report.table(spreads);

  report.heading("Samples to come within 3 dB of the final error power");
  std::vector<std::vector<std::string>> table{{"token"}};
  for (double w : settings.widths) table[0].push_back("W = " + Decimal(w, "%.1f"));
  table[0].push_back("µs/sample");
  for (const EqualizerRow& row : result.rows) {
    std::vector<std::string> line{row.token};
    if (row.state != RowState::kRan) {
      line.push_back(row.note);
    } else {
      for (const EqualizerCell& cell : row.cells) {
        line.push_back((cell.samplesTo3Db < 0 ? std::string("never") : std::to_string(cell.samplesTo3Db)) + " (" +
                       Decimal(cell.finalPowerDb, "%.1f") + " dB)");
      }
      line.push_back(Decimal(row.microsecondsPerSample, "%.2f"));
    }
    table.push_back(line);
  }
  report.table(table);

  report.heading("Learning curves");
  std::vector<ReportFigure> figures;
  for (const char* name : kPlotted) {
    for (const EqualizerRow& row : result.rows) {
      if (row.token != name || row.state != RowState::kRan) continue;
      std::vector<PlotSeries> series;
      for (size_t w = 0; w < row.cells.size(); ++w) {
        PlotSeries s;
        s.label = "W = " + Decimal(settings.widths[w], "%.1f");
        DecimateForPlot(row.cells[w].curve, kCurvePoints, &s.x, &s.y);
        series.push_back(s);
      }
      PlotFrame frame;
      frame.title = row.token + (row.token == "LMS" || row.token == "NLMS" ? " (transversal)" : "");
      frame.xLabel = "sample";
      frame.yLabel = "a-priori error power (dB)";
      frame.width = 420;
      frame.height = 300;
      figures.push_back({"equalizer-" + row.token + ".svg", RenderSvgPlot(frame, series)});
    }
  }
  report.figures(figures);
  return report.write(directory, error);
}
