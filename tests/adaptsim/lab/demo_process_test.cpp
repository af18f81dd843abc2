// adaptsim's demo, examples and sound-file runs against the built token
// library: the figures must be those of the tokens' own outputs and files.
#if defined(ADAPTSIM_PATH)

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "adaptsim/lab/example_signals.h"
#include "adaptsim/io/final_weights_reader.h"
#include "adaptsim/lab/identification_demo.h"
#include "adaptsim/io/sound_file.h"
#include "adaptsim/lab/token_rig.h"
#include "tests/support/adaptsim_process.h"
#include "tests/support/svg_check.h"

namespace adaptive {

namespace {

// The misalignment column of `token`'s row in the demo's table.
double MisalignmentInTable(const std::string& table, const std::string& token) {
  std::istringstream lines(table);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string name, family, samples, error;
    double misalignment = NAN;
    if (words >> name >> family >> samples >> error >> misalignment && name == token) return misalignment;
  }
  return NAN;
}

TEST(DemoTrial, FiguresComeFromTheTokensOutputsAndFinalWeightsFiles) {
  const std::unique_ptr<Plugin> plugin = LoadBuiltPlugin();
  ASSERT_TRUE(plugin);
  const TokenInfo& lms = *plugin->find("LMS");
  RigChoices choices;
  choices.taps = 1;
  choices.lmsMu = 0.1;
  TokenRig rig;
  std::string error;
  ASSERT_TRUE(MakeRig(lms, choices, &rig, &error)) << error;
  EXPECT_EQ(rig.wiring, Wiring::kDesired);
  EXPECT_FALSE(rig.recursive);

  // A plant with the single coefficient 0.5.
  std::vector<std::vector<double>> inputs(1);
  std::vector<double> desired;
  for (int n = 0; n < 400; ++n) {
    inputs[0].push_back(std::sin(0.37 * n) + 0.3 * std::cos(1.9 * n));
    desired.push_back(0.5 * inputs[0].back());
  }
  const auto trial = [&](const char* name) {
    return RunTrial(plugin->tokenLibrary(), lms, rig, inputs, desired, name);
  };
  const TrialOutcome learned = trial("trial_lms");
  ASSERT_EQ(learned.status, 0) << learned.message;
  ASSERT_EQ(learned.coefficients.size(), 1u);
  EXPECT_NEAR(learned.coefficients[0], 0.5, 1e-12);
  EXPECT_EQ(learned.squaredError[0], 0.25 * inputs[0][0] * inputs[0][0]);  // the first output is 0
  EXPECT_LT(learned.squaredError.back(), 1e-20);
  EXPECT_FALSE(FileExists("trial_lms.txt"));  // read back, then removed

  // With a step size of 0 the token never moves: the error is the desired
  // signal itself and the file holds 0, a misalignment of exactly 0 dB.
  double& mu = rig.parameters[static_cast<size_t>(lms.parameterIndex("Mu Forward"))];
  mu = 0.0;
  const TrialOutcome frozen = trial("trial_frozen");
  ASSERT_EQ(frozen.status, 0) << frozen.message;
  for (size_t n = 0; n < desired.size(); ++n) ASSERT_EQ(frozen.squaredError[n], desired[n] * desired[n]);
  EXPECT_EQ(frozen.coefficients, std::vector<double>{0.0});
  EXPECT_EQ(MisalignmentDb(frozen.coefficients, {0.5}), 0.0);

  // A parameter the token refuses comes back with the library's own text.
  mu = -1.0;
  const TrialOutcome refused = trial("trial_refused");
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(Contains(refused.message, "Improper step size of Adaptive Filter.")) << refused.message;
}

TEST(DemoTrial, EveryBuiltTokenConvergesWithoutNoise) {
  const std::unique_ptr<Plugin> plugin = LoadBuiltPlugin();
  ASSERT_TRUE(plugin);
  IdentificationSettings settings;
  settings.scenario.samples = 3000;
  settings.scenario.taps = 3;
  settings.scenario.snrDb = INFINITY;
  settings.workers = 2;
  settings.runs = 1;  // the coefficients read back are the realisation the misalignment is of
  IdentificationResult result;
  std::string error;
  ASSERT_TRUE(RunIdentification(*plugin, settings, nullptr, &result, &error)) << error;
  ASSERT_EQ(result.rows.size(), plugin->catalogue().size());
  for (const IdentificationRow& row : result.rows) {
    if (!plugin->exports(row.token)) {
      EXPECT_EQ(row.state, RowState::kNotInBuild) << row.token;
      EXPECT_EQ(row.note, "not in this build");
      continue;
    }
    ASSERT_EQ(row.state, RowState::kRan) << row.token << ": " << row.note;
    EXPECT_LT(row.misalignmentDb, kConvergedMisalignmentDb) << row.token;
    EXPECT_EQ(row.estimate.size(), row.truth.size()) << row.token;
    EXPECT_NEAR(MisalignmentDb(row.estimate, row.truth), row.misalignmentDb, 1e-6) << row.token;
    EXPECT_EQ(row.curve.size(), 3000u);
    EXPECT_EQ(row.verdict, Verdict::kConverged) << row.token;
    // Converged, though the recursive NLMS and NEW first rise far above the
    // desired signal: the note names it.
    if (row.excursionTo > 0) {
      EXPECT_EQ(row.note.rfind("converged after a transient excursion to ", 0), 0u) << row.note;
      EXPECT_GT(row.peakDb, result.desiredPowerDb + kDivergedMarginDb);
    } else {
      EXPECT_EQ(row.note, "") << row.token;
    }
  }
}

// The verdict looks at the error as well as the coefficients: the recursive
// NLMS blows up in some realisations at these settings, which the averaged
// error shows even where the averaged misalignment looks good.
TEST(DemoProcess, VerdictsFollowTheErrorPowerAndTheMisalignment) {
  const Outcome diverged = Succeeds("diverged", "demo --tokens NLMS,LMS2 --runs 50");
  EXPECT_TRUE(Contains(diverged.out, "1 of 2 tokens converged")) << diverged.out;
  std::istringstream lines(diverged.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("NLMS ", 0) == 0) {
      // One realisation of 50 blew up: its mean looks close to the plant.
      EXPECT_TRUE(Contains(line, "  diverged in 1 of 50 realisations, which dominate the mean: ")) << line;
    }
    if (line.rfind("LMS2 ", 0) == 0) {
      EXPECT_FALSE(Contains(line, "converge")) << line;
    }
  }
  const Outcome shortRun = Succeeds("short", "demo --tokens LMS2 --samples 200 --runs 1");
  EXPECT_TRUE(Contains(shortRun.out, "0 of 1 tokens converged in one realisation")) << shortRun.out;
  EXPECT_TRUE(Contains(shortRun.out, "did not converge: ")) << shortRun.out;
  // The default: 20 realisations, each judged; the recursive NLMS settles in
  // some of them only, which more samples would not change.
  const Outcome ensemble = Succeeds("ensemble", "demo --tokens NLMS,NEW");
  EXPECT_TRUE(Contains(ensemble.out, "in the mean of 20 realisations")) << ensemble.out;
  EXPECT_TRUE(Contains(ensemble.out, "did not converge in 11 of 20 realisations (their own error stayed above"))
      << ensemble.out;
  EXPECT_FALSE(Contains(ensemble.out, "try --samples")) << ensemble.out;
  EXPECT_TRUE(Contains(ensemble.out, "converged after a transient excursion to 74.5 dB")) << ensemble.out;
}

TEST(DemoProcess, PrintsTheTableAndWritesTheReport) {
  std::system("rm -rf demo_report");
  const Outcome demo =
      Succeeds("demo", "demo --tokens LMS2,LMS3 --samples 1500 --snr inf --runs 3 --report demo_report");
  for (const char* part : {"no measurement noise", "3 realisations", "2 of 2 tokens converged"}) {
    EXPECT_TRUE(Contains(demo.out, part)) << part << " in " << demo.out;
  }
  EXPECT_LT(MisalignmentInTable(demo.out, "LMS2"), -20.0) << demo.out;
  EXPECT_LT(MisalignmentInTable(demo.out, "LMS3"), -20.0) << demo.out;
  EXPECT_EQ(demo.err, "");  // no progress bar: standard error is a file
  const std::string page = ReadFileText("demo_report/index.html");
  EXPECT_TRUE(Contains(page, "<img src=\"learning-lms.svg\"")) << page;
  EXPECT_TRUE(Contains(page, "<td>LMS3</td>"));
  EXPECT_TRUE(Contains(page, "<figcaption>LMS2: Mu 1-2 ")) << page;  // the step sizes, rounded
  EXPECT_TRUE(Contains(page, "only the rounding of doubles stops the error")) << page;
  EXPECT_EQ(FigureFault(ReadFileText("demo_report/learning-lms.svg"), true), "");
  EXPECT_EQ(FigureFault(ReadFileText("demo_report/coefficients-lms2.svg"), false), "");
  EXPECT_TRUE(Contains(ReadFileText("demo_report/coefficients-lms2.svg"), ">channel 2</text>"));
  // The coefficient plots show w − h, and say which realisation; the curves
  // are means and say of how many.
  EXPECT_TRUE(Contains(ReadFileText("demo_report/coefficients-lms2.svg"), ">LMS2: w − h, realisation 1 of 3</text>"));
  EXPECT_TRUE(Contains(page, "misalignment of this realisation's coefficients: ")) << page;
  EXPECT_TRUE(Contains(ReadFileText("demo_report/learning-lms.svg"), "a-priori error power, mean of 3 (dB re 1)"));
  // One realisation is labelled as one, and its timings are left out.
  const Outcome single = Succeeds("single", "demo --tokens LMS2 --samples 300 --runs 1 --report single_report");
  EXPECT_TRUE(Contains(ReadFileText("single_report/learning-lms.svg"), "squared error, one realisation (dB re 1)"));
  EXPECT_TRUE(Contains(ReadFileText("single_report/index.html"), "not averaged (a learning curve in the textbook sense"));
  EXPECT_FALSE(Contains(ReadFileText("single_report/coefficients-lms2.svg"), "realisation 1 of"));
  EXPECT_TRUE(Contains(single.out, "          -  ")) << single.out;  // no µs/sample from one run

  // With noise: the floor is drawn at the noise power the table names; the
  // fast tokens' learning shows; families share one y range; the token that
  // did not converge stands out.
  const Outcome noisy = Succeeds("noisy", "demo --tokens GenRLS,RLS1,NLMS --samples 400 --runs 2 --report noisy_report");
  const size_t power = noisy.out.find("noise power ");
  ASSERT_NE(power, std::string::npos) << noisy.out;
  const std::string noiseDb = noisy.out.substr(power + 12, noisy.out.find(" dB", power) - power - 12);
  const std::string rls = ReadFileText("noisy_report/learning-rls.svg");
  const std::string nlms = ReadFileText("noisy_report/learning-nlms.svg");
  EXPECT_EQ(FigureFault(rls, true), "");
  EXPECT_EQ(FigureFault(nlms, true), "");
  EXPECT_TRUE(Contains(rls, ">noise floor (J_min) " + noiseDb + " dB</text>")) << noiseDb;
  const size_t level = rls.find("<line class=\"level\"");
  ASSERT_NE(level, std::string::npos);
  EXPECT_NEAR(SvgNumber(rls, level, "y1"), AxisOfTicks(rls, true, false).pixel(std::stod(noiseDb)), 0.6);
  EXPECT_TRUE(Contains(rls, ">identical to GenRLS</text>"));
  // RLS learns within some 30 samples of 400: those take a third of the width.
  const SvgFrame frame = FrameOf(rls);
  EXPECT_GT(AxisOfTicks(rls, false, true).pixel(30) - frame.x, frame.width / 3);
  const auto yLabels = [](const std::string& svg) {
    std::string labels;
    for (const SvgText& t : SvgTexts(svg)) labels += t.cls == "tick y" ? t.text + " " : "";
    return labels;
  };
  EXPECT_EQ(yLabels(rls), yLabels(nlms));
  const std::string noisyPage = ReadFileText("noisy_report/index.html");
  EXPECT_TRUE(Contains(noisyPage, "<tr class=\"flagged\"><td>NLMS</td>")) << noisyPage;
  EXPECT_TRUE(Contains(noisyPage, "NLMS: did not converge: error power")) << noisyPage;

  const Outcome equalizer = Succeeds(
      "equalizer", "demo --scenario equalizer --runs 4 --samples 300 --tokens LMS,RLS1 --report eq_report");
  EXPECT_TRUE(Contains(equalizer.out, "46.82")) << equalizer.out;
  EXPECT_TRUE(Contains(equalizer.out, "\nLMS ")) << equalizer.out;
  // Convergence is measured against J_min and the predicted excess, not
  // against the final power: LMS at the widest channel has not got there.
  EXPECT_TRUE(Contains(equalizer.out, "stays within 3 dB of J_min + the predicted excess")) << equalizer.out;
  EXPECT_TRUE(Contains(ReadFileText("eq_report/index.html"), "never (")) << equalizer.out;
  // The curves start at zero power (the desired symbols start late): the
  // figures show the rest and call nothing a fault; each W's J_min is drawn.
  const std::string lms = ReadFileText("eq_report/equalizer-LMS.svg");
  const std::string rls1 = ReadFileText("eq_report/equalizer-RLS1.svg");
  EXPECT_EQ(FigureFault(lms, true), "");
  EXPECT_EQ(FigureFault(rls1, true), "");
  EXPECT_FALSE(Contains(lms, "not finite"));
  EXPECT_TRUE(Contains(lms, ">J_min, W = 2.9: -28.6 dB</text>") && Contains(lms, ">J_min, W = 3.5: -23.8 dB</text>"));
  EXPECT_EQ(yLabels(lms), yLabels(rls1));
  EXPECT_EQ(equalizer.out.back(), '\n');

  const Refusal wrong[] = {{"demo --samples 0", 2, "--samples must be a whole number"},
                           {"demo --tokens LMS,Nope", 2, "unknown token \"Nope\""},
                           {"demo --scenario equalizer --tokens LMS2", 2, "LMS2 has several input channels"},
                           {"demo --report", 2, "needs a value"},
                           {"examples", 2, "missing DIR"}};
  for (const Refusal& c : wrong) ExpectRefused("demo_usage", c);
}

TEST(DemoProcess, RunsTokensOnSoundFiles) {
  std::system("rm -rf sound_example && mkdir sound_example");
  const Outcome examples = Succeeds("examples", "examples sound_example");
  // No recording reaches full scale: clipped samples would be errors of a
  // system that made none.
  for (const char* name : {"ident.wav", "noisy.wav", "clean.wav"}) {
    SampleTable recording;
    SoundFormat format;
    std::string error;
    ASSERT_TRUE(ReadSoundFile(std::string("sound_example/") + name, &recording, &format, &error)) << error;
    double peak = 0.0;
    for (double v : recording.values) peak = std::max(peak, std::fabs(v));
    EXPECT_LT(peak, 0.99) << name;
  }

  const Outcome identify = Succeeds(
      "identify", "run LMS -p 'Numerator Coeffs=6' --in sound_example/ident.wav --weights sound_example/system.txt "
                  "--outputs PriError --out sound_example/error.wav --report sound_example/report");
  FinalWeights weights;
  std::string error;
  ASSERT_TRUE(ReadFinalWeights("sound_example/system.txt", &weights, &error)) << error;
  ASSERT_EQ(weights.numerator.size(), ExampleSystem().size());
  for (size_t i = 0; i < weights.numerator.size(); ++i) EXPECT_NEAR(weights.numerator[i], ExampleSystem()[i], 2e-3);
  SampleTable output;
  SoundFormat format;
  ASSERT_TRUE(ReadSoundFile("sound_example/error.wav", &output, &format, &error)) << error;
  EXPECT_EQ(output.columns, 1u);
  EXPECT_EQ(output.rows(), static_cast<size_t>(3 * kExampleRate));
  EXPECT_EQ(format.sampleRate, kExampleRate);
  EXPECT_LT(std::fabs(output.values.back()), 2e-3);  // the error has died away
  // Its report: the error beside Desired, the reduction, the 16-bit floor.
  const std::string report = ReadFileText("sound_example/report/index.html");
  EXPECT_TRUE(Contains(report, " dB below Desired")) << report;
  EXPECT_TRUE(Contains(report, "fixed leading 1 alone (no feedback coefficients) and is not drawn")) << report;
  EXPECT_TRUE(Contains(report, "reached the quantisation floor of the 16-bit recording (-101.1 dB")) << report;
  const std::string curve = ReadFileText("sound_example/report/learning-curve.svg");
  EXPECT_EQ(FigureFault(curve, true), "");
  EXPECT_EQ(SeriesOf(curve).count("Desired"), 1u);
  EXPECT_TRUE(Contains(curve, ">16-bit quantisation floor -101.1 dB</text>"));

  // Channels chosen explicitly, outputs by name into CSV.
  const Outcome chosen = Succeeds("chosen", "run LMS --in sound_example/noisy.wav --channels 3,1 --weights '' "
                                            "--outputs PostError,1 --out sound_example/chosen.csv");
  EXPECT_EQ(ReadFileText("sound_example/chosen.csv").rfind("PostError,Output\n", 0), 0u);

  // Another sound extension writes that format; CSV input with --rate
  // writes a sound file too.
  Succeeds("flac", "run LMS --in sound_example/ident.wav --weights '' --outputs PriError --out sound_example/e.flac");
  SampleTable flac;
  ASSERT_TRUE(ReadSoundFile("sound_example/e.flac", &flac, &format, &error)) << error;
  EXPECT_EQ(format.format & SF_FORMAT_TYPEMASK, SF_FORMAT_FLAC);
  EXPECT_EQ(flac.rows(), static_cast<size_t>(3 * kExampleRate));
  Succeeds("csv2wav", "run LMS -p 0=2 --weights '' --rate 16000 --out sound_example/c.WAV", "0.5,0.25\n0.5,0.25\n");
  SampleTable wav;
  ASSERT_TRUE(ReadSoundFile("sound_example/c.WAV", &wav, &format, &error)) << error;
  EXPECT_EQ(format.format & SF_FORMAT_TYPEMASK, SF_FORMAT_WAV);
  EXPECT_EQ(format.sampleRate, 16000);
  EXPECT_EQ(wav.columns, 3u);
  EXPECT_EQ(wav.rows(), 2u);

  // The manual's noise canceller (docs/reference/running.md) at NLMS2's
  // default step size blows up: the run says where, and still exits 0.
  const Outcome wild = Succeeds("wild", "run NLMS2 -p 'Numerator Coeffs  1=8' -p 'Numerator Coeffs  2=8' "
                                        "--in sound_example/noisy.wav --outputs PriError --out wild.csv --weights ''");
  EXPECT_TRUE(Contains(wild.err, "adaptsim run: warning: output \"")) << wild.err;
  EXPECT_TRUE(Contains(wild.err, "try a smaller step size (\"Mu 1\", \"Mu 2\")")) << wild.err;

  const Refusal wrong[] = {{"run LMS --in sound_example/noisy.wav", 1, "has 3 channels and the run 2 inputs (Input, Desired)"},
                           {"run LMS --in sound_example/ident.wav --channels 1,9", 1, "has only 2 channels"},
                           {"run LMS --in sound_example/ident.wav --channels 1", 2, "one file channel per input of LMS"},
                           {"run LMS --channels 1,2", 2, "a CSV input has one column per input"},
                           {"run LMS --outputs Gamma", 2, "LMS has no output \"Gamma\""},
                           {"run LMS --out x.wav", 2, "needs its sample rate: --rate HZ"},
                           {"run LMS --in sound_example/missing.wav", 1, "cannot read sound_example/missing.wav"}};
  for (const Refusal& c : wrong) ExpectRefused("sound_usage", c);
}

}  // namespace

#endif

}  // namespace adaptive
