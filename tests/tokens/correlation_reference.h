// The helpers that run the RLS, random-walk, Newton and QR tokens beside their
// plain models (tests/reference/correlation_model.h). The tokens'
// allocation-free paths must reproduce the models bit for bit.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "numerics/arithmetic.h"
#include "tests/reference/correlation_model.h"
#include "tests/reference/same_bits.h"
#include "api/token_session.h"
#include "tests/support/file_text.h"
#include "plugin/exports.h"

namespace adaptive {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
constexpr const char* kTransversal = "\nDenominator Coefficients =1\n1\n";

// A final-weights section as the tokens write it, from a model's weights.
inline std::string CoefficientText(const Vector& w, int start, int count, const char* denominator) {
  std::string text = "Numerator Coefficients =" + std::to_string(count) + "\n";
  char value[64];
  for (int k = start; k < start + count; ++k) {
    std::snprintf(value, sizeof value, "%20.15E\n", w(k));
    text += value;
  }
  return text + denominator;
}

// The numbers of a final-weights file's numerator section.
inline std::vector<double> Coefficients(const std::string& text) {
  std::vector<double> values;
  int count = 0;
  if (std::sscanf(text.c_str(), "Numerator Coefficients =%d", &count) != 1) return values;
  for (const char* p = std::strchr(text.c_str(), '\n'); p != nullptr && count-- > 0; p = std::strchr(p + 1, '\n'))
    values.push_back(std::strtod(p + 1, nullptr));
  return values;
}

inline std::string FileOfChannel(const std::string& base, int channels, int c) {
  return channels == 1 ? base + ".txt" : base + std::to_string(c + 1) + ".txt";
}
inline void RemoveFiles(const std::string& base, int channels) {
  for (int c = 0; c < channels; ++c) std::remove(FileOfChannel(base, channels, c).c_str());
}

// Status and message of a creation with these parameters; the destruction
// that follows must succeed whatever the creation did.
inline std::pair<int, std::string> CreateStatus(TokenEntryPoint entry, int inputs, int outputs,
                                                std::vector<double> parameters) {
  TokenSession host(entry, inputs, outputs, std::move(parameters));
  host.clearErrorText();
  const int status = host.create();
  const std::string text = host.errorText();
  EXPECT_EQ(host.terminate(), 0);
  return {status, text};
}

// Feeds the same random samples to a token and to `model` (inputs → outputs)
// and compares every output bit for bit. With `special`, an infinite input and
// later a NaN desired value enter near the end.
template <class Model>
void ExpectSameOutputs(TokenSession& host, int steps, unsigned seed, bool special, Model model) {
  std::mt19937 rng(seed);
  std::normal_distribution<double> n01;
  for (int n = 0; n < steps; ++n) {
    std::vector<double> in(host.inputRecords().size());
    for (double& v : in) v = n01(rng);
    if (special && n == steps - 8) in[0] = kInf;
    if (special && n == steps - 4) in.back() = kNaN;
    const std::vector<double> want = model(in);
    host.run(in);
    for (size_t o = 0; o < want.size(); ++o) ASSERT_TRUE(SameBits(host.output(o).value, want[o])) << n;
  }
}

// A token beside its model over 80 random samples, then (unless `special`,
// whose files would only hold NaNs) each channel's final-weights file. A
// general token (`lengths` of one entry, error input, "Output" only) updates
// with the previous regressor before it takes the new sample.
inline void ExpectMatchesModel(TokenEntryPoint entry, const std::vector<double>& parameters,
                               const std::vector<int>& lengths, bool general, unsigned seed, bool special,
                               CorrelationModel model) {
  const int C = static_cast<int>(lengths.size());
  RemoveFiles("model", C);
  StackedTaps taps(lengths);
  {
    TokenSession host(entry, C + 1, general ? 1 : 3, parameters, "model.txt");
    ASSERT_EQ(host.create(), 0);
    ExpectSameOutputs(host, 80, seed, special, [&](const std::vector<double>& in) {
      if (!general) return model.step(taps.push(in), in[C]);
      model.update(taps.regressor, in[1]);
      return std::vector<double>{model.Output(taps.push(in))};
    });
  }
  const char* denominator = entry == &GenNEW ? "Denominator Coefficients =1\n1\n" : kTransversal;
  for (int c = 0, start = 0; c < C && !special; start += lengths[c++])
    EXPECT_EQ(ReadFileText(FileOfChannel("model", C, c)), CoefficientText(model.weights, start, lengths[c], denominator));
}

// The coefficients, all channels in order, that a channel token reaches on
// noiseless samples of the FIR system `truth` over the stacked regressor; the
// a-posteriori error must vanish once the first 3·N samples are in.
inline std::vector<double> IdentifiedCoefficients(TokenSession& host, const std::vector<int>& lengths,
                                                  const std::vector<double>& truth, double tolerance) {
  const int C = static_cast<int>(lengths.size());
  RemoveFiles("fir", C);
  host.setFileName("fir.txt");
  EXPECT_EQ(host.create(), 0);
  std::mt19937 rng(2024);
  std::normal_distribution<double> n01;
  StackedTaps taps(lengths);
  for (int n = 0; n < 200; ++n) {
    std::vector<double> in(C + 1);
    for (int c = 0; c < C; ++c) in[c] = n01(rng);
    in[C] = dot(transpose(Column(truth)), taps.push(in));
    host.run(in);
    if (n >= 3 * static_cast<int>(truth.size())) {
      EXPECT_NEAR(host.output(2).value, 0.0, tolerance) << n;
    }
  }
  host.terminate();
  std::vector<double> got;
  for (int c = 0; c < C; ++c) {
    const std::vector<double> block = Coefficients(ReadFileText(FileOfChannel("fir", C, c)));
    EXPECT_EQ(block.size(), static_cast<size_t>(lengths[c]));
    got.insert(got.end(), block.begin(), block.end());
  }
  return got;
}

}  // namespace adaptive
