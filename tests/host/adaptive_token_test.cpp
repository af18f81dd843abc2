// Reference-input choice and the per-sample port bookkeeping of the token base.
#include <gtest/gtest.h>

#include "host/adaptive_token.h"
#include "host/dispatch.h"
#include "tests/support/token_harness.h"

namespace adaptive {

namespace {

int steps = 0;

template <int Inputs>
class CountingToken : public AdaptiveToken {
 public:
  explicit CountingToken(TokenSetup&) : AdaptiveToken(Inputs, 2) { markConstructed(); }
  void Finish(CallStatus&) override {}

 protected:
  void Step(const double*, double* out) override {
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
void ExpectOutputs(const TokenHarness& host, double rate, double time, int skip, int code, int width, int exponent) {
  for (const PortRecord& o : host.outputPorts) {
    EXPECT_EQ(o.sampleRate, rate);
    EXPECT_EQ(o.sampleTime, time);
    EXPECT_EQ(o.skip, skip);
    EXPECT_EQ(o.formatCode, code);
    EXPECT_EQ(o.formatWidth, width);
    EXPECT_EQ(o.formatExponent, exponent);
  }
}

TEST_F(AdaptiveTokenTest, HighestRateIsReferenceLowestIndexOnTies) {
  TokenHarness host(&Entry<CountingToken<2>>, 2, 2, {});
  host.inputPorts[0].sampleRate = 8000;
  host.inputPorts[1].sampleRate = 16000;
  host.inputPorts[1].sampleTime = 0.25;
  host.inputPorts[1].skip = 1;
  SetFormat(host.inputPorts[1], 7, 8, 9);
  ASSERT_EQ(host.Create(), 0);
  EXPECT_EQ(host.record.instance->referenceInputIndex(), 1);
  ExpectOutputs(host, 16000, 0.25, 1, 7, 8, 9);

  TokenHarness equal(&Entry<CountingToken<2>>, 2, 2, {});
  ASSERT_EQ(equal.Create(), 0);
  EXPECT_EQ(equal.record.instance->referenceInputIndex(), 0);

  TokenHarness silent(&Entry<CountingToken<2>>, 2, 2, {});
  silent.inputPorts[0].sampleRate = 0;
  silent.inputPorts[1].sampleRate = -5;
  ASSERT_EQ(silent.Create(), 0);
  EXPECT_EQ(silent.record.instance->referenceInputIndex(), 0);
  EXPECT_EQ(silent.outputPorts[1].sampleRate, 0);
}

TEST_F(AdaptiveTokenTest, SkippedReferenceSuspendsTheStep) {
  TokenHarness host(&Entry<CountingToken<2>>, 2, 2, {});
  host.inputPorts[1].sampleRate = 2000;  // input 1 is the reference
  ASSERT_EQ(host.Create(), 0);
  host.Run({0, 0});
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(host.outputPorts[0].skip, 0);
  const double timeBefore = host.outputPorts[0].sampleTime;

  host.inputPorts[1].skip = 1;
  SetFormat(host.inputPorts[1], 1, 2, 3);
  host.Run({0, 0});
  EXPECT_EQ(steps, 1);
  for (const PortRecord& o : host.outputPorts) {
    EXPECT_EQ(o.skip, 1);
    EXPECT_EQ(o.sampleTime, timeBefore);
    EXPECT_NE(o.formatCode, 1);
  }
  EXPECT_EQ(host.Output(0), 1.0);

  // A skip mark on a non-reference input has no effect.
  host.inputPorts[1].skip = 0;
  host.inputPorts[0].skip = 1;
  host.Run({0, 0});
  EXPECT_EQ(steps, 2);
  EXPECT_EQ(host.outputPorts[1].skip, 0);
  EXPECT_EQ(host.outputPorts[1].sampleTime, host.inputPorts[1].sampleTime);
  EXPECT_EQ(host.outputPorts[1].formatCode, 1);
}

}  // namespace

}  // namespace adaptive
