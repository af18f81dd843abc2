// The one driver: blocks of any size give the bits of single samples, the
// closed loop is the plain loop of a diagram, the divergence watch counts
// samples over the driver's life, a stop between samples loses nothing, and
// a failing run call is reported after the samples before it. Its history is
// Filter::process's (filter_weights_test.cpp).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "adaptive/driver.h"
#include "tests/support/token_inputs.h"

namespace adaptive {

namespace {

// `samples` rows for `token` in `loop`: the token's inputs as TokenInputs
// makes them, or "Input", "Desired" from them and "Mu", "Leakage" constants.
std::vector<double> Rows(const TokenInfo& token, Driver::Loop loop, size_t samples) {
  if (loop == Driver::Loop::kOpen) return TokenInputs(token, samples, 0.5);
  const std::vector<PortRole> roles = Driver::columnRoles(token, loop);
  const std::vector<double> noise = TokenInputs(token, samples, 0.5);
  std::vector<double> rows(samples * roles.size());
  for (size_t n = 0; n < samples; ++n) {
    const double signal = noise[n * token.inputNames.size()];
    Driver::Sample sample{&signal, 0.8 * signal + 0.1, 0.01, 0.999};
    Driver::fillRow(roles, sample, &rows[n * roles.size()]);
  }
  return rows;
}

std::vector<double> Coefficients(const Filter& filter) {
  std::vector<double> all;
  for (const ChannelWeights& channel : filter.weights()) {
    all.insert(all.end(), channel.numerator.begin(), channel.numerator.end());
    all.insert(all.end(), channel.denominator.begin(), channel.denominator.end());
  }
  return all;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

}  // namespace

TEST(Driver, BlocksOfAnySizeAndSingleSamplesComputeTheSameBits) {
  constexpr size_t kSamples = 40;
  for (const TokenInfo& token : tokens()) {
    for (const Driver::Loop loop : {Driver::Loop::kOpen, Driver::Loop::kClosed}) {
      if (loop == Driver::Loop::kClosed && !Driver::closedLoopRefusal(token).empty()) continue;
      SCOPED_TRACE(token.name + (loop == Driver::Loop::kClosed ? " closed" : " open"));
      const std::vector<double> rows = Rows(token, loop, kSamples);
      Filter whole(token.name, ShortFilter(token)), single(token.name, ShortFilter(token)),
          chunked(token.name, ShortFilter(token));
      Driver wholly(whole, loop), singly(single, loop), inChunks(chunked, loop);
      const size_t in = wholly.inputCount(), out = wholly.outputCount();
      std::vector<double> a(kSamples * out), b(a.size()), c(a.size());
      ASSERT_EQ(wholly.run(rows.data(), kSamples, a.data()), kSamples);
      for (size_t n = 0; n < kSamples; ++n) ASSERT_TRUE(singly.step(&rows[n * in], &b[n * out]));
      for (size_t n = 0, size = 1; n < kSamples; n += size, ++size) {
        const size_t count = std::min(size, kSamples - n);
        ASSERT_EQ(inChunks.run(&rows[n * in], count, &c[n * out]), count);
      }
      EXPECT_TRUE(SameBits(a, b));
      EXPECT_TRUE(SameBits(a, c));
      EXPECT_TRUE(SameBits(Coefficients(whole), Coefficients(single)));
      EXPECT_TRUE(SameBits(Coefficients(whole), Coefficients(chunked)));
      EXPECT_EQ(inChunks.samplesRun(), static_cast<int64_t>(kSamples));
    }
  }
}

// What a diagram does around a general token, written out: "Error" gets the
// previous sample's Desired - Output, "- de/dw" the input.
TEST(Driver, TheClosedLoopIsThePlainLoopOfADiagram) {
  constexpr size_t kSamples = 50;
  int looped = 0;
  for (const TokenInfo& token : tokens()) {
    if (!Driver::closedLoopRefusal(token).empty()) {
      Filter filter(token.name, ShortFilter(token));
      EXPECT_THROW(Driver(filter, Driver::Loop::kClosed), std::invalid_argument) << token.name;
      continue;
    }
    SCOPED_TRACE(token.name);
    ++looped;
    const std::vector<double> rows = Rows(token, Driver::Loop::kClosed, kSamples);
    Filter driven(token.name, ShortFilter(token)), plain(token.name, ShortFilter(token));
    Driver driver(driven, Driver::Loop::kClosed);
    const std::vector<std::string>& columns = driver.inputNames();
    ASSERT_GE(columns.size(), 2u);
    EXPECT_EQ(columns[0], "Input");
    EXPECT_EQ(columns[1], "Desired");
    EXPECT_EQ(driver.outputNames().back(), "Error");
    std::vector<double> outputs(kSamples * driver.outputCount());
    driver.run(rows.data(), kSamples, outputs.data());

    const int output = token.outputIndex("Output");
    double error = 0.0;
    for (size_t n = 0; n < kSamples; ++n) {
      const double* row = &rows[n * columns.size()];
      std::vector<double> ports;
      for (const std::string& name : token.inputNames) {
        if (name == "Input" || name == "- de/dw") ports.push_back(row[0]);
        else if (name == "Error") ports.push_back(error);
        else ports.push_back(row[std::find(columns.begin(), columns.end(), name) - columns.begin()]);
      }
      std::vector<double> expected = plain.step(ports);
      error = row[1] - expected[static_cast<size_t>(output)];
      expected.push_back(error);
      const std::vector<double> got(&outputs[n * expected.size()], &outputs[(n + 1) * expected.size()]);
      ASSERT_TRUE(SameBits(got, expected)) << "sample " << n;
    }
    EXPECT_TRUE(SameBits(Coefficients(driven), Coefficients(plain)));
  }
  EXPECT_GE(looped, 4);  // the general tokens, with and without "Mu" and "Leakage" ports
}

// LMS with a step size far too large runs away; the watch names the first
// sample whose output exceeds a million times the input's RMS so far, once.
TEST(Driver, TheWatchWarnsOnceAtTheFirstRunawaySampleOfTheDriversLife) {
  const TokenInfo& token = Library::linked().token("LMS");
  const Filter::Parameters wild = {{"Numerator Coeffs", 4}, {"Mu Forward", 5.0}};
  const std::vector<double> rows = TokenInputs(token, 200);
  Filter plain("LMS", wild);
  size_t first = rows.size();
  double squares = 0.0;
  for (size_t n = 0; n < 200 && first == rows.size(); ++n) {
    squares += rows[2 * n] * rows[2 * n] + rows[2 * n + 1] * rows[2 * n + 1];
    const double rms = std::sqrt(squares / static_cast<double>(2 * (n + 1)));
    for (double y : plain.step({rows[2 * n], rows[2 * n + 1]})) {
      if (!std::isfinite(y) || std::fabs(y) > 1e6 * rms) first = n;
    }
  }
  ASSERT_LT(first, 150u) << "the filter did not run away";

  Filter filter("LMS", wild);
  Driver driver(filter);
  driver.watchDivergence();
  std::vector<double> out(200 * driver.outputCount());
  std::vector<std::string> warnings;
  for (size_t n = 0; n < 200; n += 7) {
    driver.run(&rows[2 * n], std::min<size_t>(7, 200 - n), &out[n * driver.outputCount()]);
    const std::string warning = driver.takeWarning();
    if (!warning.empty()) warnings.push_back(warning);
  }
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("at sample " + std::to_string(first) + " (counted from 0)"), std::string::npos)
      << warnings[0];
  EXPECT_NE(warnings[0].find("try a smaller step size"), std::string::npos) << warnings[0];

  // NaN in, NaN out is no fault; nor is a filter that stays put.
  Filter quiet("LMS"), fed("LMS");
  Driver quietly(quiet), nanFed(fed);
  quietly.watchDivergence();
  nanFed.watchDivergence();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<double> nanRows = {nan, 1.0, 0.5, 0.25};
  quietly.run(rows.data(), 200, out.data());
  nanFed.run(nanRows.data(), 2, out.data());
  EXPECT_EQ(quietly.takeWarning(), "");
  EXPECT_EQ(nanFed.takeWarning(), "");
}

// The stop test is asked before every sample: the run stops before the
// first sample it refuses, and going on later gives the bits of a run never
// stopped.
TEST(Driver, AStopBetweenSamplesRunsNothingMoreAndLosesNothing) {
  const TokenInfo& token = Library::linked().token("GenNLMS");
  const std::vector<double> rows = Rows(token, Driver::Loop::kClosed, 30);
  Filter stopped(token.name, ShortFilter(token)), whole(token.name, ShortFilter(token));
  Driver stopping(stopped, Driver::Loop::kClosed), running(whole, Driver::Loop::kClosed);
  const size_t width = running.outputCount();
  std::vector<double> expected(30 * width), got(30 * width, -1.0);
  running.run(rows.data(), 30, expected.data());

  int asked = 0;
  stopping.stopWhen([&asked] { return ++asked > 12; });
  EXPECT_EQ(stopping.run(rows.data(), 30, got.data()), 12u);
  EXPECT_EQ(stopping.samplesRun(), 12);
  EXPECT_EQ(got[12 * width], -1.0);  // the rows after the stop are left alone
  EXPECT_FALSE(stopping.step(&rows[12 * 2], &got[12 * width]));
  stopping.stopWhen(nullptr);
  EXPECT_EQ(stopping.run(&rows[12 * 2], 18, &got[12 * width]), 18u);
  EXPECT_TRUE(SameBits(got, expected));
  EXPECT_TRUE(SameBits(Coefficients(stopped), Coefficients(whole)));
}

// A plug-in's failing run call is an Error with its status and message,
// thrown after the samples before it ran; the filter then closes as usual.
TEST(Driver, AFailingRunCallIsReportedAfterTheSamplesBeforeIt) {
  const Library failing = Library::load(ADAPTIVE_FAILING_RUN_PLUGIN_PATH);
  const TokenInfo& token = failing.token("LMS");
  const std::vector<double> rows = TokenInputs(token, 8);
  Filter loaded(failing, "LMS", {}, ""), linked("LMS");
  Driver driver(loaded);
  std::vector<double> out(8 * token.outputNames.size(), -1.0);
  try {
    driver.run(rows.data(), 8, out.data());
    FAIL() << "the failure was taken for a sample";
  } catch (const Error& e) {
    EXPECT_EQ(e.status(), 7);
    EXPECT_EQ(e.libraryText(), "sample refused");
  }
  EXPECT_EQ(driver.samplesRun(), 3);
  std::vector<double> before = linked.process(std::vector<double>(rows.begin(), rows.begin() + 3 * 2));
  EXPECT_TRUE(SameBits(std::vector<double>(out.begin(), out.begin() + before.size()), before));
  EXPECT_THROW(loaded.process(rows), Error);
  EXPECT_NO_THROW(loaded.close());
}

}  // namespace adaptive
