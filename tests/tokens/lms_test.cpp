// The LMS tokens' worked example and multi-channel cases, and every LMS-type
// token (plain and normalised gain, recursive and multi-channel form) against the
// plain model of its equations, bit for bit.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/tokens/lms_reference.h"

namespace adaptive {

namespace {

using namespace lms_reference;

TEST(LmsToken, FirstSampleExample) {
  TokenSession host(&LMS, 2, 3, {2, 0.01, 1, 1, 0.01, 1});
  ASSERT_EQ(host.create(), 0);
  host.run({1.0, 1.0});
  EXPECT_EQ(host.output(0).value, 0.0);
  EXPECT_EQ(host.output(1).value, 1.0);
  EXPECT_EQ(host.output(2).value, 1.0 - 1.0 * (2.0 * 0.01 * 1.0));
  EXPECT_NEAR(host.output(2).value, 0.98, 1e-15);
}

TEST(LmsTypeReference, TokensMatchTheEquations) {
  struct Case {
    TokenEntryPoint entry;
    bool recursive, normalised;
    std::vector<double> p;
  };
  // Among them the limiting cases: μ = 0 with leakage 1 adapts nothing (Output
  // 0, both errors the desired sample) and leakage 0 makes each coefficient
  // exactly g × tap.
  const Case cases[] = {
      {&LMS, true, false, {5, 0.01, 1, 3, 0.005, 1}},  {&LMS, true, false, {1, 0.02, 0.99, 2, 0.01, 0.9}},
      {&LMS, true, false, {7, 0.003, 1, 1, 0.01, 1}},  {&LMS, true, false, {4, 0.0, 1, 3, 0.0, 1}},
      {&LMS, true, false, {3, 0.05, 0.0, 1, 0.01, 1}}, {&LMS2, false, false, {4, 0.02, 1, 3, 0.01, 0.98}},
      {&LMS3, false, false, {3, 0.01, 1.0, 1, 0.03, 0.95, 4, 0.002, 0.999}},
      {&NLMS, true, true, {5, 0.5, 1, 1, 0.5, 1}},     {&NLMS, true, true, {4, 0.3, 0.99, 3, 0.05, 0.95}},
      {&NLMS, true, true, {1, 0.8, 0.5, 2, 0.2, 1}},   {&NLMS, true, true, {7, 0.0, 1, 2, 0.0, 0.0}},
      {&NLMS2, false, true, {3, 0.5, 1, 2, 0.1, 0.9}}, {&NLMS3, false, true, {1, 0.5, 0, 1, 0, 1, 2, 1, 1}},
      {&NLMS3, false, true, {3, 0.2, 1.0, 1, 0.6, 0.95, 4, 0.05, 0.999}}};
  for (bool nonFinite : {false, true}) {
    for (const Case& c : cases) {
      const size_t inputs = c.recursive ? 2 : c.p.size() / 3 + 1;
      TokenSession host(c.entry, static_cast<int>(inputs), 3, c.p, "lmsref.txt");
      ASSERT_EQ(host.create(), 0);
      LmsModel model(c.p, c.recursive, c.normalised);
      Samples s(static_cast<unsigned>(c.p[0] * 10 + c.p[3]), nonFinite);
      std::vector<double> in(inputs);
      for (int n = 0; n < 300; ++n) {
        for (double& v : in) v = s();
        in.back() = 0.8 * in[0] - 0.5 * in[inputs - 2] + 0.1 * s();
        host.run(in);
        ExpectSameOutputs(host, model.step(in), n);
        if (HasFatalFailure()) return;
      }
      ASSERT_EQ(host.terminate(), 0);
      for (size_t f = 0; f < model.files(); ++f) {
        const std::string name = c.recursive ? "lmsref.txt" : "lmsref" + std::to_string(f + 1) + ".txt";
        EXPECT_EQ(NanSignless(ReadFileText(name)), NanSignless(model.fileText(f))) << name;
      }
    }
  }
}

TEST(MultiChannelLms, SilentSecondChannelActsAsOneChannel) {
  std::remove("mc2.txt");
  TokenSession two(&LMS2, 3, 3, {4, 0.02, 1, 3, 0.02, 1}, "mc.txt");
  TokenSession one(&LMS, 2, 3, {4, 0.02, 1, 1, 0.02, 1});
  ASSERT_EQ(two.create(), 0);
  ASSERT_EQ(one.create(), 0);
  Samples s(3);
  for (int n = 0; n < 100; ++n) {
    const double x = s(), d = 0.5 * x;
    two.run({x, 0.0, d});
    one.run({x, d});
    for (int o = 0; o < 3; ++o) ASSERT_EQ(two.output(o).value, one.output(o).value) << n;
  }
  ASSERT_EQ(two.terminate(), 0);
  EXPECT_EQ(ReadFileText("mc2.txt"), TransversalFile({0, 0, 0}));
}

TEST(MultiChannelLms, SkippedSamplesLeaveTheStateAlone) {
  TokenSession skipping(&LMS2, 3, 3, {2, 0.05, 1, 2, 0.05, 1});
  TokenSession plain(&LMS2, 3, 3, {2, 0.05, 1, 2, 0.05, 1});
  ASSERT_EQ(skipping.create(), 0);
  ASSERT_EQ(plain.create(), 0);
  for (int n = 0; n < 20; ++n) {
    const double x1 = n % 3, x2 = 1.0 - n % 2, d = 0.3 * n;
    if (n % 4 == 1) {
      skipping.inputRecords()[0].skip = 1;
      skipping.run({99.0, 99.0, 99.0});
      EXPECT_EQ(skipping.outputRecords()[0].skip, 1);
      skipping.inputRecords()[0].skip = 0;
    }
    skipping.run({x1, x2, d});
    plain.run({x1, x2, d});
    ASSERT_EQ(skipping.output(2).value, plain.output(2).value);
  }
}

}  // namespace

}  // namespace adaptive
