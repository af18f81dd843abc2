#include <algorithm>
#include <cmath>
#include <cstdio>

#include "adaptsim/lab/equalizer_demo.h"
#include "adaptsim/report/html_report.h"
#include "adaptsim/report/learning_curve.h"
#include "adaptsim/report/svg_plot.h"

namespace {

// The tokens whose curves the textbooks compare side by side.
const char* const kPlotted[] = {"LMS", "NLMS", "RLS1", "QR1", "NEW"};
// Curves rising this far above the symbols' unit power are clipped.
constexpr double kExcursionDb = 10.0;

std::string Decimal(double value, const char* format) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

struct Panel {
  const EqualizerRow* row;
  std::vector<PlotSeries> series;
};

}  // namespace

bool WriteEqualizerReport(const EqualizerSettings& settings, const EqualizerResult& result,
                          const std::string& directory, std::string* error) {
  HtmlReport report("adaptsim demo: adaptive equalisation");
  report.paragraph("Random ±1 symbols through the raised-cosine channel h(n) = ½[1 + cos(2π(n − 2)/W)] for "
                   "n = 1, 2, 3, white noise of variance " + Decimal(settings.noiseVariance, "%g") + ", a " +
                   std::to_string(settings.taps) + "-tap equaliser and the symbols delayed by " +
                   std::to_string(settings.delay) + " as its desired signal; learning curves averaged over " +
                   std::to_string(settings.runs) + " runs of " + std::to_string(settings.samples) + " samples.");

  std::vector<std::vector<std::string>> spreads{{"W"}, {"eigenvalue spread"}, {"minimum MSE J_min (dB)"}};
  for (size_t w = 0; w < settings.widths.size(); ++w) {
    spreads[0].push_back(Decimal(settings.widths[w], "%.1f"));
    spreads[1].push_back(Decimal(result.spreads[w], "%.2f"));
    spreads[2].push_back(Decimal(result.minimumMseDb[w], "%.1f"));
  }
  report.table(spreads);

  report.heading("Samples to converge: to within 3 dB of J_min and the predicted excess");
  report.paragraph("Each cell: the samples after which the smoothed a-priori error power stays within 3 dB of "
                   "J_min·(1 + M), M the excess the small-step theory predicts for the token's settings (μ·N·P_x "
                   "for the 2μ LMS gain, μ/(1 − μ) for the normalised tokens, N(1 − λ)/(1 + λ) for RLS, with λ^2 "
                   "for QR; the Newton and random-walk tokens have none, marked *, and are measured against J_min "
                   "alone), then the final error power. \"never\": it did not stay there within the run. "
                   "µs/sample: the median over the realisations.");
  std::vector<std::vector<std::string>> table{{"token"}};
  for (double w : settings.widths) table[0].push_back("W = " + Decimal(w, "%.1f"));
  table[0].push_back("µs/sample");
  table[0].push_back("settings");
  std::vector<size_t> flagged;
  for (const EqualizerRow& row : result.rows) {
    std::vector<std::string> line{row.token};
    if (row.state != RowState::kRan) {
      flagged.push_back(table.size());
      line.push_back("✗ " + row.note);
    } else {
      for (const EqualizerCell& cell : row.cells) {
        if (cell.samplesToTarget < 0 && (flagged.empty() || flagged.back() != table.size())) flagged.push_back(table.size());
        line.push_back((cell.samplesToTarget < 0 ? std::string("never") : std::to_string(cell.samplesToTarget)) +
                       (std::isnan(cell.target.misadjustment) ? "*" : "") + " (" + Decimal(cell.finalPowerDb, "%.1f") +
                       " dB)");
      }
      line.push_back(std::isnan(row.microsecondsPerSample) ? "-" : Decimal(row.microsecondsPerSample, "%.2f"));
      line.push_back(row.settings);
    }
    table.push_back(line);
  }
  report.table(table, flagged);

  std::vector<Panel> panels;
  std::vector<PlotSeries> all;
  size_t widest = 0;
  for (const char* name : kPlotted) {
    for (const EqualizerRow& row : result.rows) {
      if (row.token != name || row.state != RowState::kRan) continue;
      Panel panel{&row, {}};
      for (size_t w = 0; w < row.cells.size(); ++w) {
        PlotSeries s;
        s.label = "W = " + Decimal(settings.widths[w], "%.1f");
        widest = std::max(widest, DecimateForPlot(row.cells[w].curve, kCurvePoints, &s.x, &s.y));
        panel.series.push_back(s);
      }
      all.insert(all.end(), panel.series.begin(), panel.series.end());
      panels.push_back(panel);
    }
  }
  double low = NAN, high = NAN;
  SharedRange(all, kExcursionDb, &low, &high);
  for (double db : result.minimumMseDb) low = std::min(low, db);

  report.heading("Learning curves");
  report.paragraph("Squared a-priori error averaged over " + std::to_string(settings.runs) +
                   " runs, in dB relative to the unit power of the symbols (0 dB: an equaliser that gives back "
                   "nothing). The dashed lines are each W's minimum MSE J_min, the error of the best " +
                   std::to_string(settings.taps) +
                   "-tap equaliser; all panels share one y range, and a curve rising more than " +
                   Decimal(kExcursionDb, "%.0f") + " dB above 0 dB is clipped at the top edge and marked. The error "
                   "is exactly 0 for the first " + std::to_string(settings.delay) +
                   " samples, before the delayed symbols start; those samples have no point on the log scale. " +
                   SmoothingText(static_cast<size_t>(settings.samples), widest));
  std::vector<ReportFigure> figures;
  for (const Panel& panel : panels) {
    const EqualizerRow& row = *panel.row;
    PlotFrame frame = LearningCurveFrame(row.token + (row.token == "LMS" || row.token == "NLMS" ? " (transversal)" : ""),
                                         "a-priori error power (dB re 1)", settings.samples);
    frame.width = 400;
    frame.height = 300;
    frame.yLow = low;
    frame.yHigh = high;
    for (size_t w = 0; w < settings.widths.size(); ++w) {
      frame.levels.push_back({result.minimumMseDb[w],
                              "J_min, W = " + Decimal(settings.widths[w], "%.1f") + ": " +
                                  Decimal(result.minimumMseDb[w], "%.1f") + " dB",
                              static_cast<int>(w)});
    }
    std::string caption = row.token + ": " + row.settings + ".";
    if (row.token.rfind("QR", 0) == 0) {
      caption += " The QR tokens start from an empty triangle (they have no Init): until it holds as many "
                 "independent rows as the equaliser's " + std::to_string(settings.taps) +
                 " coefficients, the weights solved from it are poorly determined, and the a-priori error of those "
                 "first samples rises far above the symbols' power (the clipped peak).";
    }
    figures.push_back({"equalizer-" + row.token + ".svg", RenderSvgPlot(frame, panel.series), caption});
  }
  report.figures(figures);
  return report.write(directory, error);
}
