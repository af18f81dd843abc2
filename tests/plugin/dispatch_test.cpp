// The entry protocol: creation, run, destruction, statuses and the error text,
// observed through a probe token that records what happens to it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/adaptive_token.h"
#include "plugin/dispatch.h"
#include "api/token_session.h"
#include "tests/support/file_text.h"

namespace adaptive {

namespace {

struct ProbeLog {
  int constructed = 0, destroyed = 0, steps = 0;
  int32_t statusSeenByConstructor = -1;
  int32_t failWith = 0;        // status the next constructor sets
  int32_t destructorSets = 0;  // status the destructor sets
  bool factoryFails = false;
};
ProbeLog probe;

class ProbeToken : public AdaptiveToken {
 public:
  explicit ProbeToken(TokenSetup& setup) : AdaptiveToken(1, 1) {
    ++probe.constructed;
    probe.statusSeenByConstructor = setup.status.code();
    if (!setup.status.ok()) return;
    if (probe.failWith != 0) {
      setup.status.fail(probe.failWith, {"probe failed"});
      return;
    }
    markConstructed();
  }
  bool reportCoefficients(CoefficientSink&) const override { return true; }
  void finish(CallStatus& status) override {
    ++probe.destroyed;
    if (probe.destructorSets != 0) status.fail(probe.destructorSets, {"probe destructor"});
  }

 protected:
  void step(const double* in, double* out) override {
    ++probe.steps;
    out[0] = in[0] * 2.0;
  }
};

AdaptiveToken* ProbeFactory(TokenSetup& setup) {
  return probe.factoryFails ? nullptr : new (std::nothrow) ProbeToken(setup);
}

int32_t ADAPTIVE_CALL ProbeEntry(SimContext* c, TokenRecord* r) { return DispatchTokenCall(c, r, &ProbeFactory); }

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override { probe = ProbeLog{}; }
  TokenSession host{&ProbeEntry, 1, 1, {}};
};

TEST_F(DispatchTest, CreateRunTerminateAndRecreate) {
  EXPECT_EQ(host.create(), 0);
  ASSERT_NE(host.record().instance, nullptr);
  EXPECT_EQ(host.run({1.5}), 0);
  EXPECT_EQ(host.output(0).value, 3.0);
  // A second creation destroys the first instance before building the next;
  // both flags at once mean creation too.
  EXPECT_EQ(host.create(), 0);
  host.context().terminateFlag = 1;
  host.context().initFlag = 1;
  EXPECT_EQ(ProbeEntry(&host.context(), &host.record()), 0);
  EXPECT_EQ(probe.constructed, 3);
  EXPECT_EQ(probe.destroyed, 2);
  EXPECT_EQ(host.terminate(), 0);
  EXPECT_EQ(host.record().instance, nullptr);
  // Nothing is destroyed or run twice afterwards.
  EXPECT_EQ(host.terminate(), 0);
  EXPECT_EQ(host.run({1.0}), 0);
  EXPECT_EQ(probe.destroyed, 3);
  EXPECT_EQ(probe.steps, 1);
}

TEST_F(DispatchTest, FailuresAreStoredAndNeverStepped) {
  probe.failWith = 1;
  EXPECT_EQ(host.create(), 1);
  EXPECT_EQ(host.errorText(), "probe failed");
  ASSERT_NE(host.record().instance, nullptr);
  EXPECT_EQ(host.run({1.0}), 0);
  EXPECT_EQ(probe.steps, 0);
  // The status is cleared at the start of every call.
  probe.failWith = 0;
  EXPECT_EQ(host.create(), 0);
  EXPECT_EQ(probe.destroyed, 1);
  // A status the destruction leaves stops the next constructor.
  probe.destructorSets = kStatusNoStorage;
  EXPECT_EQ(host.create(), kStatusNoStorage);
  EXPECT_EQ(probe.statusSeenByConstructor, kStatusNoStorage);
  ASSERT_NE(host.record().instance, nullptr);
  EXPECT_FALSE(host.record().instance->isConstructed());
  // A token that cannot be allocated leaves no instance behind.
  probe.destructorSets = 0;
  probe.factoryFails = true;
  EXPECT_EQ(host.create(), kStatusNoToken);
  EXPECT_EQ(host.errorText(), "Memory allocation error for token.");
  EXPECT_EQ(host.record().instance, nullptr);
  EXPECT_EQ(host.run({1.0}), 0);
  EXPECT_EQ(host.terminate(), 0);
  EXPECT_EQ(probe.destroyed, 3);
  EXPECT_EQ(probe.steps, 0);
}

TEST(ErrorTextTest, NulAfterShortMessageAndCutAt512) {
  char buffer[600];
  const CallStatus status(buffer);

  std::memset(buffer, 'z', sizeof buffer);
  status.write({"abc", "", "def"});
  EXPECT_STREQ(buffer, "abcdef");

  // A message that fills the buffer exactly leaves no room for a NUL and
  // touches nothing beyond 512 bytes.
  std::memset(buffer, 'z', sizeof buffer);
  const std::string full(512, 'm');
  status.write({full.c_str()});
  EXPECT_EQ(std::string(buffer, 512), full);
  EXPECT_EQ(buffer[512], 'z');

  std::memset(buffer, 'z', sizeof buffer);
  const std::string longer(700, 'q');
  status.write({"12", longer.c_str()});
  EXPECT_EQ(std::string(buffer, 2), "12");
  EXPECT_EQ(std::string(buffer + 2, 510), std::string(510, 'q'));
  EXPECT_EQ(buffer[512], 'z');
}

}  // namespace

}  // namespace adaptive
