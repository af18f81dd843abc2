// The pieces of adaptsim's demo that need no token library: signals, the
// equalizer's channels, worker processes, sound files and options.
#if defined(ADAPTSIM_PATH)

#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "adaptsim/lab/byte_stream.h"
#include "adaptsim/cli/demo_options.h"
#include "adaptsim/lab/equalizer_demo.h"
#include "adaptsim/lab/random_source.h"
#include "adaptsim/io/sound_file.h"
#include "adaptsim/lab/system_scenario.h"
#include "adaptsim/lab/trial_pool.h"

namespace adaptive {

namespace {

TEST(DemoSignals, AreReproducibleAndHaveTheChosenNoise) {
  RandomSource a(7, 1), b(7, 1), c(7, 2);
  double sum = 0.0, squares = 0.0;
  bool differs = false;
  for (int i = 0; i < 20000; ++i) {
    const double x = a.gaussian();
    ASSERT_EQ(x, b.gaussian());
    differs = differs || x != c.gaussian();
    sum += x;
    squares += x * x;
  }
  EXPECT_TRUE(differs);
  EXPECT_NEAR(sum / 20000, 0.0, 0.03);
  EXPECT_NEAR(squares / 20000, 1.0, 0.05);

  ScenarioSettings settings;
  settings.samples = 20000;
  settings.snrDb = 20.0;
  const Plant plant = MakePlant(settings, 2, false);
  ASSERT_EQ(plant.stacked().size(), 16u);
  double energy = 0.0;
  for (double h : plant.stacked()) energy += h * h;
  EXPECT_NEAR(energy, 1.0, 1e-12);
  const Signals s = MakeSignals(settings, plant, 3);
  // The desired signal is the plant's output plus noise 20 dB below it.
  double noise = 0.0;
  for (size_t n = 20; n < s.desired.size(); ++n) {
    double y = 0.0;
    for (size_t c2 = 0; c2 < 2; ++c2) {
      for (size_t i = 0; i < 8; ++i) y += plant.numerators[c2][i] * s.inputs[c2][n - i];
    }
    noise += (s.desired[n] - y) * (s.desired[n] - y);
  }
  EXPECT_NEAR(noise / static_cast<double>(s.desired.size() - 20), s.noiseVariance, 0.1 * s.noiseVariance);
  EXPECT_NEAR(10 * std::log10(s.noiseVariance), -20.0, 0.5);  // unit-energy plant, unit-power inputs

  settings.snrDb = INFINITY;
  const Plant recursive = MakePlant(settings, 1, true);
  EXPECT_EQ(recursive.feedback, (std::vector<double>{0.6, -0.2}));
  const Signals quiet = MakeSignals(settings, recursive, 0);
  EXPECT_EQ(quiet.noiseVariance, 0.0);
  double y1 = 0.0, y2 = 0.0;  // the recursion, run again here
  for (size_t n = 0; n < 100; ++n) {
    double y = 0.6 * y1 - 0.2 * y2;
    for (size_t i = 0; i < 8 && i <= n; ++i) y += recursive.numerators[0][i] * quiet.inputs[0][n - i];
    EXPECT_NEAR(quiet.desired[n], y, 1e-12);
    y2 = y1;
    y1 = y;
  }
  EXPECT_DOUBLE_EQ(MisalignmentDb({1.1, 0.0}, {1.0, 0.0}), -20.0);
  EXPECT_TRUE(std::isnan(MisalignmentDb({1.0}, {1.0, 2.0})));
}

TEST(EqualizerExperiment, ChannelAndEigenvalueSpreadsAreTheTextbooks) {
  const std::vector<double> h = RaisedCosineChannel(3.1);
  ASSERT_EQ(h.size(), 3u);
  EXPECT_DOUBLE_EQ(h[1], 1.0);
  EXPECT_DOUBLE_EQ(h[0], h[2]);
  EXPECT_NEAR(h[0], 0.2798, 1e-4);
  const double widths[] = {2.9, 3.1, 3.3, 3.5}, spreads[] = {6.0782, 11.1238, 21.7132, 46.8216};
  for (int k = 0; k < 4; ++k) {
    EXPECT_NEAR(EigenvalueSpread(RaisedCosineChannel(widths[k]), 0.001, 11), spreads[k], 1e-3) << widths[k];
  }
  // Without noise and with a one-tap channel the input is white.
  EXPECT_NEAR(EigenvalueSpread({1.0}, 0.0, 5), 1.0, 1e-12);
}

TEST(TrialPool, TimingsNeedThreeRealisations) {
  TrialTotals two;
  TrialOutcome outcome;
  outcome.squaredError = {1.0, 1.0};
  outcome.seconds = 1.0;
  two.add(outcome, 0);
  two.add(outcome, 1);
  EXPECT_TRUE(std::isnan(MedianMicrosecondsPerSample({&two})));
  TrialTotals third;
  outcome.seconds = 9.0;
  third.add(outcome, 2);
  EXPECT_DOUBLE_EQ(MedianMicrosecondsPerSample({&two, &third}), 0.5e6);  // not the mean, 1.83e6
}

TEST(TrialPool, SumsEveryJobOnceWhateverTheWorkerCount) {
  std::vector<TrialJob> jobs;
  for (int k = 0; k < 15; ++k) jobs.push_back({k % 3, k % 3 % 2, static_cast<uint64_t>(k / 3)});
  const TrialFunction work = [](const TrialJob& job) {
    TrialOutcome outcome;
    outcome.squaredError = {static_cast<double>(job.token), static_cast<double>(job.realisation)};
    outcome.coefficients = {static_cast<double>(job.realisation)};
    outcome.misalignment = 0.5;
    outcome.seconds = 1.0 + static_cast<double>(job.realisation);  // per sample: half that
    outcome.diverged = job.realisation % 2 == 1;
    if (job.token == 2 && job.realisation == 3) {
      outcome.status = 1;
      outcome.message = "Improper length";
    }
    return outcome;
  };
  std::vector<TrialTotals> totals;
  std::string error;
  for (int workers : {1, 3, 8}) {
    ASSERT_TRUE(RunTrialJobs(jobs, workers, work, nullptr, &totals, &error)) << error;
    ASSERT_EQ(totals.size(), 3u);
    for (int t = 0; t < 3; ++t) {
      const TrialTotals* s = FindTotals(totals, t, t % 2);
      ASSERT_NE(s, nullptr);
      EXPECT_EQ(s->runs, 5);
      const int good = t == 2 ? 4 : 5;
      EXPECT_EQ(s->samples, 2 * good);
      EXPECT_EQ(s->squaredErrorSum, (std::vector<double>{static_cast<double>(t * good), t == 2 ? 7.0 : 10.0}));
      EXPECT_DOUBLE_EQ(s->misalignmentSum, 0.5 * good);
      EXPECT_EQ(s->divergedRuns, t == 2 ? 1 : 2);  // realisations 1 and 3, each counted once
      // The median of the realisations' 0.5 ... 2.5 s per sample (token 2 lost its 2), in µs.
      EXPECT_DOUBLE_EQ(MedianMicrosecondsPerSample({s}), t == 2 ? 1.25e6 : 1.5e6);
      EXPECT_EQ(s->coefficients, std::vector<double>{0.0});  // from the lowest realisation
      EXPECT_EQ(s->status, t == 2 ? 1 : 0);
      EXPECT_EQ(s->message, t == 2 ? "Improper length" : "");
    }
  }

  // A worker that dies takes its results with it, and says so.
  const TrialFunction crash = [&](const TrialJob& job) {
    if (job.token == 1) std::abort();
    return work(job);
  };
  ASSERT_TRUE(RunTrialJobs(jobs, 1, crash, nullptr, &totals, &error)) << error;
  for (const TrialTotals& t : totals) {
    EXPECT_EQ(t.status, kWorkerLost);
    EXPECT_NE(t.message.find("signal"), std::string::npos) << t.message;
  }
  EXPECT_GT(AvailableProcessors(), 0);
}

TEST(TrialPool, ByteStreamsRefuseShortOrImplausibleData) {
  ByteWriter out;
  out.putInt(-5);
  out.putDouble(NAN);
  out.putString("a\0b");
  out.putDoubles({1.5, -INFINITY});
  ByteReader in(out.bytes());
  int64_t i = 0;
  double d = 0;
  std::string s;
  std::vector<double> v;
  ASSERT_TRUE(in.getInt(&i) && in.getDouble(&d) && in.getString(&s) && in.getDoubles(&v));
  EXPECT_TRUE(i == -5 && std::isnan(d) && s == "a" && v == (std::vector<double>{1.5, -INFINITY}));
  EXPECT_TRUE(in.atEnd());
  EXPECT_FALSE(in.getInt(&i));

  const std::string cut = out.bytes().substr(0, out.bytes().size() - 1);
  ByteReader shortReader(cut);
  EXPECT_TRUE(shortReader.getInt(&i) && shortReader.getDouble(&d) && shortReader.getString(&s));
  EXPECT_FALSE(shortReader.getDoubles(&v));
  ByteWriter huge;
  huge.putInt(int64_t{1} << 60);  // a count no data backs
  ByteReader hugeReader(huge.bytes());
  EXPECT_FALSE(hugeReader.getDoubles(&v));
}

TEST(SoundFiles, WavRoundTripKeepsEverySample) {
  SampleTable table;
  table.columns = 2;
  for (int k = -300; k < 300; ++k) {
    table.values.push_back(k / 32768.0 * 100);
    table.values.push_back(-k / 32768.0);
  }
  std::string error;
  int64_t clipped = -1;
  ASSERT_TRUE(WriteSoundFile("round.wav", {8000, SF_FORMAT_WAV | SF_FORMAT_PCM_16}, table, &clipped, &error)) << error;
  EXPECT_EQ(clipped, 0);
  SampleTable back;
  SoundFormat format;
  ASSERT_TRUE(ReadSoundFile("round.wav", &back, &format, &error)) << error;
  EXPECT_EQ(format.sampleRate, 8000);
  EXPECT_EQ(format.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  EXPECT_EQ(back.columns, 2u);
  EXPECT_EQ(back.values, table.values);

  // Doubles survive bit for bit; full-scale overflow is clipped and counted.
  table.values[0] = 0.1234567890123456789;
  table.values[1] = -3.5;
  ASSERT_TRUE(WriteSoundFile("round64.wav", {44100, SF_FORMAT_WAV | SF_FORMAT_DOUBLE}, table, &clipped, &error));
  ASSERT_TRUE(ReadSoundFile("round64.wav", &back, &format, &error)) << error;
  EXPECT_EQ(back.values, table.values);
  ASSERT_TRUE(WriteSoundFile("clip.wav", {8000, SF_FORMAT_WAV | SF_FORMAT_PCM_16}, table, &clipped, &error));
  EXPECT_EQ(clipped, 1);
  ASSERT_TRUE(ReadSoundFile("clip.wav", &back, &format, &error));
  EXPECT_EQ(back.values[1], -1.0);

  std::ofstream("not_sound.wav") << "plain text";
  EXPECT_FALSE(ReadSoundFile("not_sound.wav", &back, &format, &error));
  EXPECT_NE(error.find("not_sound.wav"), std::string::npos);
  table.columns = 3;
  table.values.resize(9);
  EXPECT_FALSE(WriteSoundFile("bad.wav", {8000, SF_FORMAT_WAV | 0x7fff}, table, &clipped, &error));
  // Sound files by the extensions libsndfile knows, in any case; CSV for
  // everything else, special files included.
  for (const char* sound : {"a.wav", "a.WAV", "dir.x/a.flac", "a.aif", "a.aiff", "a.ogg", "a.au"}) {
    EXPECT_TRUE(IsSoundFilePath(sound)) << sound;
  }
  for (const char* csv : {"-", "", "a.csv", "a.txt", "result.dat", "/dev/null", "/dev/stdout", "wav", "dir.wav/a"}) {
    EXPECT_FALSE(IsSoundFilePath(csv)) << csv;
  }
  // Another extension than the input's writes that format, keeping the
  // input's encoding where the new format has it.
  SoundFormat chosen;
  const SoundFormat wav16{8000, SF_FORMAT_WAV | SF_FORMAT_PCM_16};
  ASSERT_TRUE(ChooseSoundFormat("x.flac", &wav16, 8000, 1, &chosen, &error)) << error;
  EXPECT_EQ(chosen.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  const SoundFormat wavFloat{8000, SF_FORMAT_WAV | SF_FORMAT_FLOAT};
  ASSERT_TRUE(ChooseSoundFormat("x.flac", &wavFloat, 8000, 1, &chosen, &error)) << error;
  EXPECT_EQ(chosen.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
  ASSERT_TRUE(ChooseSoundFormat("x.aiff", nullptr, 44100, 2, &chosen, &error)) << error;
  EXPECT_EQ(chosen.format, SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
  EXPECT_FALSE(ChooseSoundFormat("x.flac", &wav16, 8000, 300, &chosen, &error));
  EXPECT_NE(error.find("cannot hold 300 channels"), std::string::npos) << error;
}

TEST(DemoOptions, RangesAndDefaults) {
  const auto parse = [](const std::vector<std::string>& words, DemoOptions* options, std::string* error) {
    ParsedArguments arguments;
    std::vector<OptionSpec> specs{{"coloured", 0, nullptr, ""}};
    for (const char* name : {"scenario", "samples", "snr", "taps", "seed", "tokens", "runs", "workers", "report"})
      specs.push_back({name, 0, "N", ""});
    EXPECT_TRUE(ParseArguments(words, specs, &arguments, error)) << *error;
    return ReadDemoOptions(arguments, 4, options, error);
  };
  DemoOptions options;
  std::string error;
  ASSERT_TRUE(parse({}, &options, &error)) << error;
  EXPECT_EQ(options.scenario, DemoScenario::kIdentification);
  EXPECT_EQ(options.identification.workers, 4);
  EXPECT_EQ(options.identification.scenario.samples, 4000);
  ASSERT_TRUE(parse({"--snr", "inf", "--tokens", "LMS,,RLS1", "--samples", "100", "--coloured"}, &options, &error));
  EXPECT_TRUE(std::isinf(options.identification.scenario.snrDb));
  EXPECT_EQ(options.identification.tokens, (std::vector<std::string>{"LMS", "RLS1"}));
  EXPECT_TRUE(options.samplesGiven && options.identification.scenario.coloured);

  const struct {
    std::vector<std::string> words;
    const char* message;
  } bad[] = {{{"--samples", "0"}, "--samples must be a whole number from 1"},
             {{"--samples", "2.5"}, "--samples"},
             {{"--taps", "65"}, "--taps must be a whole number from 1 to 64"},
             {{"--runs", "0"}, "--runs"},
             {{"--workers", "x"}, "--workers"},
             {{"--seed", "-1"}, "--seed"},
             {{"--snr", "loud"}, "--snr must be a number of dB or inf"},
             {{"--snr", "-inf"}, "--snr"},
             {{"--scenario", "radar"}, "--scenario must be identification or equalizer"},
             {{"--scenario", "equalizer", "--snr", "10"}, "the equalizer's noise is fixed"},
             {{"--tokens", ","}, "--tokens needs at least one token"},
             {{"--samples", "10000000", "--runs", "1000"}, "below 1e9"},
             {{"extra"}, "takes no arguments"}};
  for (const auto& c : bad) {
    EXPECT_FALSE(parse(c.words, &options, &error)) << c.message;
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
}

}  // namespace

#endif

}  // namespace adaptive
