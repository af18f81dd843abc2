#include "adaptsim/lab/example_signals.h"

#include <sndfile.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>

#include "adaptsim/lab/random_source.h"
#include "adaptsim/io/csv.h"
#include "adaptsim/io/sound_file.h"

namespace {

constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

double Filter(const std::vector<double>& h, const std::vector<double>& x, size_t n) {
  double y = 0.0;
  for (size_t i = 0; i < h.size() && i <= n; ++i) y += h[i] * x[n - i];
  return y;
}

bool Write(const std::string& path, const std::vector<std::vector<double>>& channels, std::string* error) {
  SampleTable table;
  table.columns = channels.size();
  for (size_t n = 0; n < channels[0].size(); ++n) {
    for (const std::vector<double>& channel : channels) table.values.push_back(channel[n]);
  }
  int64_t clipped = 0;
  if (!WriteSoundFile(path, {kExampleRate, kWav16}, table, &clipped, error)) return false;
  // A clipped sample is an error the system did not make: the recordings
  // must stay within full scale.
  if (clipped > 0) {
    *error = path + ": " + std::to_string(clipped) + " samples beyond full scale";
    return false;
  }
  return true;
}

}  // namespace

const std::vector<double>& ExampleSystem() {
  static const std::vector<double> h{0.6, 0.3, -0.2, 0.1, 0.05, -0.02};
  return h;
}

const std::vector<double>& ExamplePath(int channel) {
  static const std::vector<double> first{0.8, -0.4, 0.2, -0.1};
  static const std::vector<double> second{0.3, 0.3, 0.2, 0.1, 0.05, 0.025, 0, 0, 0, 0};
  return channel == 1 ? first : second;
}

namespace {

bool WriteSignalsCsv(const std::string& path, RandomSource* random, std::string* error) {
  const size_t n = 4000;
  std::vector<double> x1(n), x2(n);
  for (size_t k = 0; k < n; ++k) {
    x1[k] = random->gaussian();
    x2[k] = random->gaussian();
  }
  std::ofstream out(path, std::ios::binary);
  WriteCsvHeader(out, {"Input 1", "Input 2", "Desired"});
  for (size_t k = 0; k < n; ++k) {
    const double row[] = {x1[k], x2[k], Filter(ExamplePath(1), x1, k) + Filter(ExamplePath(2), x2, k)};
    WriteCsvRow(out, row, 3);
  }
  out.close();
  if (!out) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace

bool WriteExampleSignals(const std::string& directory, std::string* error) {
  RandomSource random(2024, 0);
  const size_t n = 3 * kExampleRate;
  std::vector<double> input(n), output(n);
  // Peaks of five standard deviations stay within full scale.
  for (double& x : input) x = 0.18 * random.gaussian();
  for (size_t k = 0; k < n; ++k) output[k] = Filter(ExampleSystem(), input, k);
  if (!Write(directory + "/ident.wav", {input, output}, error)) return false;

  // A voice-like signal: two tones whose loudness comes and goes, heard
  // through a fan's broadband noise and a mains hum, each reaching the
  // primary microphone through a short acoustic path.
  std::vector<double> fan(n), hum(n), clean(n), primary(n);
  const std::vector<double> fanPath{0.8, 0.35, -0.15, 0.05};
  const std::vector<double> humPath{0.5, -0.3, 0.1};
  double smoothed = 0.0;
  for (size_t k = 0; k < n; ++k) {
    const double t = static_cast<double>(k) / kExampleRate;
    smoothed = 0.7 * smoothed + 0.3 * random.gaussian();
    fan[k] = 0.3 * smoothed;
    hum[k] = 0.2 * std::sin(2 * M_PI * 50 * t) + 0.1 * std::sin(2 * M_PI * 150 * t + 0.3) + 0.02 * random.gaussian();
    const double loudness = 0.5 + 0.5 * std::sin(2 * M_PI * 1.5 * t);
    clean[k] = 0.15 * loudness * (std::sin(2 * M_PI * 440 * t) + 0.5 * std::sin(2 * M_PI * 660 * t));
  }
  for (size_t k = 0; k < n; ++k) primary[k] = clean[k] + Filter(fanPath, fan, k) + Filter(humPath, hum, k);
  return Write(directory + "/noisy.wav", {fan, hum, primary}, error) &&
         Write(directory + "/clean.wav", {clean}, error) && WriteSignalsCsv(directory + "/signals.csv", &random, error);
}
