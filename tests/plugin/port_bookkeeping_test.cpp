// Reference-input choice and the per-sample port bookkeeping of the token base.
#include <gtest/gtest.h>

#include "core/adaptive_token.h"
#include "plugin/dispatch.h"
#include "api/token_session.h"
#include "tests/support/file_text.h"

namespace adaptive {

namespace {

int steps = 0;

template <int Inputs>
class CountingToken : public AdaptiveToken {
 public:
  explicit CountingToken(TokenSetup&) : AdaptiveToken(Inputs, 2) { markConstructed(); }
  void finish(CallStatus&) override {}
  bool reportCoefficients(CoefficientSink&) const override { return true; }

 protected:
  void step(const double*, double* out) override {
    ++steps;
    out[0] = steps;
  }
};

template <class T>
int32_t ADAPTIVE_CALL Entry(SimContext* c, TokenRecord* r) {
  return DispatchTokenCall(c, r, [](TokenSetup& s) { return static_cast<AdaptiveToken*>(new (std::nothrow) T(s)); });
}

class AdaptiveTokenTest : public ::testing::Test {
 protected:
  void SetUp() override { steps = 0; }
};

void SetFormat(PortRecord& p, int a, int b, int c) {
  p.formatCode = a;
  p.formatWidth = b;
  p.formatExponent = c;
}

// Every output port carries this timing and format.
void ExpectOutputs(const TokenSession& host, double rate, double time, int skip, int code, int width, int exponent) {
  for (const PortRecord& o : host.outputRecords()) {
    EXPECT_EQ(o.sampleRate, rate);
    EXPECT_EQ(o.sampleTime, time);
    EXPECT_EQ(o.skip, skip);
    EXPECT_EQ(o.formatCode, code);
    EXPECT_EQ(o.formatWidth, width);
    EXPECT_EQ(o.formatExponent, exponent);
  }
}

TEST_F(AdaptiveTokenTest, HighestRateIsReferenceLowestIndexOnTies) {
  TokenSession host(&Entry<CountingToken<2>>, 2, 2, {});
  host.inputRecords()[0].sampleRate = 8000;
  host.inputRecords()[1].sampleRate = 16000;
  host.inputRecords()[1].sampleTime = 0.25;
  host.inputRecords()[1].skip = 1;
  SetFormat(host.inputRecords()[1], 7, 8, 9);
  ASSERT_EQ(host.create(), 0);
  EXPECT_EQ(host.record().instance->referenceInputIndex(), 1);
  ExpectOutputs(host, 16000, 0.25, 1, 7, 8, 9);

  TokenSession equal(&Entry<CountingToken<2>>, 2, 2, {});
  ASSERT_EQ(equal.create(), 0);
  EXPECT_EQ(equal.record().instance->referenceInputIndex(), 0);

  TokenSession silent(&Entry<CountingToken<2>>, 2, 2, {});
  silent.inputRecords()[0].sampleRate = 0;
  silent.inputRecords()[1].sampleRate = -5;
  ASSERT_EQ(silent.create(), 0);
  EXPECT_EQ(silent.record().instance->referenceInputIndex(), 0);
  EXPECT_EQ(silent.outputRecords()[1].sampleRate, 0);
}

TEST_F(AdaptiveTokenTest, SkippedReferenceSuspendsTheStep) {
  TokenSession host(&Entry<CountingToken<2>>, 2, 2, {});
  host.inputRecords()[1].sampleRate = 2000;  // input 1 is the reference
  ASSERT_EQ(host.create(), 0);
  host.run({0, 0});
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(host.outputRecords()[0].skip, 0);
  const double timeBefore = host.outputRecords()[0].sampleTime;

  host.inputRecords()[1].skip = 1;
  SetFormat(host.inputRecords()[1], 1, 2, 3);
  host.run({0, 0});
  EXPECT_EQ(steps, 1);
  for (const PortRecord& o : host.outputRecords()) {
    EXPECT_EQ(o.skip, 1);
    EXPECT_EQ(o.sampleTime, timeBefore);
    EXPECT_NE(o.formatCode, 1);
  }
  EXPECT_EQ(host.output(0).value, 1.0);

  // A skip mark on a non-reference input has no effect.
  host.inputRecords()[1].skip = 0;
  host.inputRecords()[0].skip = 1;
  host.run({0, 0});
  EXPECT_EQ(steps, 2);
  EXPECT_EQ(host.outputRecords()[1].skip, 0);
  EXPECT_EQ(host.outputRecords()[1].sampleTime, host.inputRecords()[1].sampleTime);
  EXPECT_EQ(host.outputRecords()[1].formatCode, 1);
}

}  // namespace

}  // namespace adaptive
