#include "adaptsim/lab/equalizer_demo.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "adaptsim/report/learning_curve.h"
#include "adaptsim/lab/random_source.h"
#include "adaptsim/lab/trial_pool.h"

namespace {

constexpr uint64_t kSymbolStream = 32;
constexpr uint64_t kNoiseStream = 33;
constexpr double kMarginDb = 3.0;
constexpr int kSmoothing = 5;  // half-width of the window that SamplesToReach smooths over

// The textbook's LMS step 0.075 for w += mu e u; the tokens' rule has 2 mu.
RigChoices EqualizerChoices(const EqualizerSettings& settings) {
  RigChoices choices;
  choices.taps = settings.taps;
  choices.feedback = 0;
  choices.lmsMu = 0.0375;
  choices.nlmsMu = 0.25;
  choices.init = 0.004;
  return choices;
}

// The value of parameter `name` in the rig, or `otherwise` where it has none.
double RigValue(const TokenInfo& token, const TokenRig& rig, const char* name, double otherwise) {
  const int k = token.parameterIndex(name);
  return k < 0 ? otherwise : rig.parameters[static_cast<size_t>(k)];
}

EqualizerTarget TargetFor(const TokenInfo& token, const TokenRig& rig, const std::vector<double>& channel,
                          double noiseVariance, int taps, double minimumMseDb) {
  double inputPower = noiseVariance;
  for (const double h : channel) inputPower += h * h;
  const double n = taps;
  const double mu = rig.wiring == Wiring::kGradientPorts ? rig.portMu
                                                         : RigValue(token, rig, "Mu", RigValue(token, rig, "Mu Forward", 0.0));
  const double lambda = RigValue(token, rig, "Lambda", 1.0);
  EqualizerTarget target;
  switch (token.family()) {
    case TokenFamily::kLms:
    case TokenFamily::kGeneralGradient:
      target.misadjustment = token.name == "GenNLMS" ? mu / (1.0 - mu) : mu * n * inputPower;
      break;
    case TokenFamily::kNlms: target.misadjustment = mu / (1.0 - mu); break;
    case TokenFamily::kRls: target.misadjustment = n * (1.0 - lambda) / (1.0 + lambda); break;
    case TokenFamily::kQr: target.misadjustment = n * (1.0 - lambda * lambda) / (1.0 + lambda * lambda); break;
    default: target.misadjustment = NAN;
  }
  const double m = std::isnan(target.misadjustment) ? 0.0 : target.misadjustment;
  target.powerDb = minimumMseDb + Decibels(1.0 + m);
  return target;
}

bool IsOneChannel(const TokenInfo& token) {
  return std::find(token.inputNames.begin(), token.inputNames.end(), "Input") != token.inputNames.end();
}

struct EqualizerSignals {
  std::vector<std::vector<double>> inputs;
  std::vector<double> desired;
};

EqualizerSignals MakeEqualizerSignals(const EqualizerSettings& settings, const std::vector<double>& channel,
                                      uint64_t realisation) {
  const size_t n = static_cast<size_t>(settings.samples);
  RandomSource symbols(settings.seed, realisation * 64 + kSymbolStream);
  RandomSource noise(settings.seed, realisation * 64 + kNoiseStream);
  std::vector<double> a(n);
  for (double& value : a) value = symbols.sign();
  EqualizerSignals s;
  s.inputs.assign(1, std::vector<double>(n));
  s.desired.assign(n, 0.0);
  const double deviation = std::sqrt(settings.noiseVariance);
  for (size_t k = 0; k < n; ++k) {
    double u = 0.0;
    for (size_t i = 0; i < channel.size(); ++i) {
      if (k >= i + 1) u += channel[i] * a[k - i - 1];  // channel[i] is h(i + 1)
    }
    s.inputs[0][k] = u + deviation * noise.gaussian();
    if (k >= static_cast<size_t>(settings.delay)) s.desired[k] = a[k - static_cast<size_t>(settings.delay)];
  }
  return s;
}

}  // namespace

std::vector<double> RaisedCosineChannel(double width) {
  std::vector<double> h;
  for (int n = 1; n <= 3; ++n) h.push_back(0.5 * (1.0 + std::cos(2.0 * M_PI * (n - 2) / width)));
  return h;
}

namespace {

// The taps x taps correlation matrix of the channel's output: r(k) = sum_i
// h(i) h(i + k) for unit-power white symbols; the noise adds to r(0).
Eigen::MatrixXd Correlation(const std::vector<double>& channel, double noiseVariance, int taps) {
  Eigen::MatrixXd r = Eigen::MatrixXd::Zero(taps, taps);
  for (int i = 0; i < taps; ++i) {
    for (int j = 0; j < taps; ++j) {
      const size_t lag = static_cast<size_t>(std::abs(i - j));
      double value = lag == 0 ? noiseVariance : 0.0;
      for (size_t k = 0; k + lag < channel.size(); ++k) value += channel[k] * channel[k + lag];
      r(i, j) = value;
    }
  }
  return r;
}

}  // namespace

double MinimumMseDb(const std::vector<double>& channel, double noiseVariance, int taps, int delay) {
  // p(k) = E[u(n - k) a(n - delay)] = h(delay - k), channel[i] being h(i + 1).
  Eigen::VectorXd p = Eigen::VectorXd::Zero(taps);
  for (int k = 0; k < taps; ++k) {
    const int i = delay - k - 1;
    if (i >= 0 && i < static_cast<int>(channel.size())) p(k) = channel[static_cast<size_t>(i)];
  }
  const Eigen::MatrixXd r = Correlation(channel, noiseVariance, taps);
  return Decibels(1.0 - p.dot(r.ldlt().solve(p)));
}

double EigenvalueSpread(const std::vector<double>& channel, double noiseVariance, int taps) {
  const Eigen::MatrixXd r = Correlation(channel, noiseVariance, taps);
  const Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> solver(r, Eigen::EigenvaluesOnly);
  const Eigen::VectorXd& eigenvalues = solver.eigenvalues();  // ascending
  return eigenvalues(taps - 1) / eigenvalues(0);
}

bool CheckEqualizerTokens(const Plugin& plugin, const std::vector<std::string>& names, std::string* error) {
  if (!CheckTokenNames(plugin, names, error)) return false;
  for (const std::string& name : names) {
    if (!IsOneChannel(*plugin.find(name))) {
      *error = name + " has several input channels; the equalizer experiment has one";
      return false;
    }
  }
  return true;
}

bool RunEqualizer(const Plugin& plugin, const EqualizerSettings& settings, ProgressBar* progress,
                  EqualizerResult* result, std::string* error) {
  result->spreads.clear();
  result->rows.clear();
  std::vector<std::vector<double>> channels;
  for (double width : settings.widths) {
    channels.push_back(RaisedCosineChannel(width));
    result->spreads.push_back(EigenvalueSpread(channels.back(), settings.noiseVariance, settings.taps));
    result->minimumMseDb.push_back(
        MinimumMseDb(channels.back(), settings.noiseVariance, settings.taps, settings.delay));
  }
  std::vector<const TokenInfo*> tokens;
  std::vector<TokenRig> rigs;
  for (const TokenInfo& token : plugin.catalogue()) {
    const bool chosen = settings.tokens.empty()
                            ? IsOneChannel(token)
                            : std::find(settings.tokens.begin(), settings.tokens.end(), token.name) != settings.tokens.end();
    if (!chosen) continue;
    EqualizerRow row;
    row.token = token.name;
    TokenRig rig;
    if (!plugin.exports(token.name)) {
      row.state = RowState::kNotInBuild;
      row.note = "not in this build";
    } else if (!MakeRig(token, EqualizerChoices(settings), &rig, &row.note)) {
      row.state = RowState::kFailed;
    } else {
      row.settings = AdaptationSettings(token, rig);
      tokens.push_back(&token);
      rigs.push_back(rig);
    }
    result->rows.push_back(row);
  }

  std::vector<TrialJob> jobs;
  for (int r = 0; r < settings.runs; ++r) {
    for (size_t w = 0; w < settings.widths.size(); ++w) {
      for (size_t k = 0; k < tokens.size(); ++k) {
        jobs.push_back({static_cast<int>(k), static_cast<int>(w), static_cast<uint64_t>(r)});
      }
    }
  }
  const TrialFunction work = [&](const TrialJob& job) {
    const size_t k = static_cast<size_t>(job.token);
    const EqualizerSignals s =
        MakeEqualizerSignals(settings, channels[static_cast<size_t>(job.condition)], job.realisation);
    // No final-weights files: the experiment judges the error only.
    return RunTrial(plugin.tokenLibrary(), *tokens[k], rigs[k], s.inputs, s.desired, "");
  };
  std::vector<TrialTotals> totals;
  if (!RunTrialJobs(jobs, settings.workers, work, progress, &totals, error)) return false;

  int index = 0;
  for (EqualizerRow& row : result->rows) {
    if (row.state != RowState::kRan) continue;
    std::vector<const TrialTotals*> timed;
    for (size_t w = 0; w < settings.widths.size(); ++w) {
      const TrialTotals* t = FindTotals(totals, index, static_cast<int>(w));
      if (t == nullptr || t->status != 0) {
        row.state = RowState::kFailed;
        row.note = t != nullptr ? t->message : "no result";
        break;
      }
      EqualizerCell cell;
      cell.curve = AveragedCurve(t->squaredErrorSum, t->samples / settings.samples);
      cell.finalPowerDb = Decibels(SteadyStatePower(cell.curve));
      cell.target = TargetFor(*tokens[static_cast<size_t>(index)], rigs[static_cast<size_t>(index)], channels[w],
                              settings.noiseVariance, settings.taps, result->minimumMseDb[w]);
      cell.samplesToTarget =
          SamplesToReach(cell.curve, std::pow(10.0, cell.target.powerDb / 10.0), kMarginDb, kSmoothing);
      row.cells.push_back(cell);
      timed.push_back(t);
    }
    row.microsecondsPerSample = MedianMicrosecondsPerSample(timed);
    ++index;
  }
  return true;
}

void PrintEqualizerTable(const EqualizerSettings& settings, const EqualizerResult& result, std::ostream& out) {
  char text[128];
  out << "Adaptive equalisation: random +-1 symbols through the raised-cosine channel\n"
         "h(n) = 1/2 [1 + cos(2 pi (n - 2) / W)], n = 1, 2, 3, white noise of variance "
      << settings.noiseVariance << ", " << settings.taps << "-tap equaliser, desired signal the symbols delayed by "
      << settings.delay << ";\n"
      << settings.samples << " samples, learning curves averaged over " << settings.runs << " runs, seed "
      << settings.seed << ", " << settings.workers << (settings.workers == 1 ? " process" : " processes") << ".\n\n";
  out << "W                        ";
  for (double w : settings.widths) {
    std::snprintf(text, sizeof text, "%14.1f", w);
    out << text;
  }
  out << "\neigenvalue spread        ";
  for (double spread : result.spreads) {
    std::snprintf(text, sizeof text, "%14.2f", spread);
    out << text;
  }
  out << "\nminimum MSE (dB)         ";
  for (double db : result.minimumMseDb) {
    std::snprintf(text, sizeof text, "%14.1f", db);
    out << text;
  }
  out << "\n\nSamples until the a-priori error power stays within 3 dB of J_min + the predicted excess\n"
         "(M·J_min: M = mu N P_x for LMS, mu/(1 - mu) for NLMS, N(1 - lambda)/(1 + lambda) for RLS; none for\n"
         "Newton and random walk, marked *), then the final power in dB:\n";
  for (const EqualizerRow& row : result.rows) {
    std::snprintf(text, sizeof text, "%-9s", row.token.c_str());
    out << text << std::string(16, ' ');
    if (row.state != RowState::kRan) {
      out << row.note << '\n';
      continue;
    }
    for (const EqualizerCell& cell : row.cells) {
      char count[32];
      if (cell.samplesToTarget < 0) {
        std::snprintf(count, sizeof count, "never");
      } else {
        std::snprintf(count, sizeof count, "%lld%s", static_cast<long long>(cell.samplesToTarget),
                      std::isnan(cell.target.misadjustment) ? "*" : "");
      }
      std::snprintf(text, sizeof text, "%6s (%5.1f)", count, cell.finalPowerDb);
      out << text;
    }
    if (!std::isnan(row.microsecondsPerSample)) {
      std::snprintf(text, sizeof text, "   %.2f us/sample (median)", row.microsecondsPerSample);
      out << text;
    }
    out << '\n';
  }
}
