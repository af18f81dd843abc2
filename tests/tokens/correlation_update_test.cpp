// The allocation-free correlation kernels against the matrix expressions they
// replace (identical bits on random data, also with NaN and infinities inside),
// and what the RLS, random-walk and Newton tokens share: the refusal of
// impossible lengths, the initial tap layout and the joint P of the channels.
#include "tokens/correlation_update.h"

#include <gtest/gtest.h>

#include "tests/tokens/correlation_reference.h"
#include "tokens/vector_lanes.h"

namespace adaptive {

namespace {

void ExpectSameElements(const Matrix& want, const double* got, const char* what) {
  ASSERT_TRUE(want.hasstorage());
  for (std::ptrdiff_t k = 0; k < want.size(); ++k) ASSERT_TRUE(SameBits(want.data()[k], got[k])) << what << " " << k;
}

// Random values with a few NaNs and infinities sprinkled in when `special`.
void Fill(Matrix& m, std::mt19937& rng, bool special) {
  std::normal_distribution<double> n01;
  std::uniform_int_distribution<int> pick(0, 120);
  for (std::ptrdiff_t k = 0; k < m.size(); ++k) {
    const int p = special ? pick(rng) : 99;
    m.data()[k] = p == 0 ? kNaN : p == 1 ? kInf : p == 2 ? -kInf : p == 3 ? 0.0 : n01(rng);
  }
}

void ExpectKernelsEqualExpressions(int n, bool special, std::mt19937& rng) {
  Matrix P(n, n, nullptr), start(n, n, nullptr);
  Vector u(n), gain(n);
  Fill(P, rng, special);
  Fill(u, rng, special);
  Fill(gain, rng, special);
  const double lambdaInverse = 1.0 / 0.97;
  DelayLine line;
  line.setlength(n);
  for (int k = n - 1; k >= 0; --k) line.push(u(k));  // tap k = u(k)

  Vector work(n);
  CopyTaps(line, &work(0));
  ExpectSameElements(u, &work(0), "taps");

  MultiplyByVector(P.data(), n, &u(0), &work(0));
  const Vector pi = P * u;
  ExpectSameElements(pi, &work(0), "P × u");

  ComputeGain(&u(0), &pi(0), n, lambdaInverse, &work(0));
  const double d = dot(transpose(u), pi) * lambdaInverse + 1.0;
  ExpectSameElements((pi * lambdaInverse) / d, &work(0), "gain");

  start = P;
  RowFormUpdate(start.data(), n, &u(0), &gain(0), lambdaInverse);
  ExpectSameElements((P - gain * (line * P)) * lambdaInverse, start.data(), "row form");

  start = P;
  OuterProductWork outer;
  ASSERT_FALSE(outer.allocate(n));
  OuterProductUpdate(start.data(), n, &gain(0), &u(0), lambdaInverse, outer, &work(0));
  const Matrix G = gain * transpose(u);
  const Matrix updated = (P - G * P) * lambdaInverse;
  ExpectSameElements(updated, start.data(), "outer-product form");
  ExpectSameElements(updated * u, &work(0), "new P × u");
}

TEST(CorrelationUpdate, KernelsEqualTheExpressionForms) {
  std::mt19937 rng(42);
  // Every vector width the processor has (a width it lacks runs the widest
  // it has); lengths around the edges of the product's column blocks (three
  // columns, one on 32-bit x86) and of its row tiles (four vectors: 8, 16 or
  // 32 rows), with every count of padding rows (n up to a multiple of eight)
  // and of vectors left below the last whole tile.
  for (int lanes : {2, 4, 8}) {
    const int previous = SelectKernelLanes(lanes);
    for (bool special : {false, true})
      for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 30, 33, 64}) {
        SCOPED_TRACE(testing::Message() << "n = " << n << ", " << KernelLanes() << " lanes"
                                        << (special ? ", with NaN and infinities" : ""));
        ExpectKernelsEqualExpressions(n, special, rng);
      }
    SelectKernelLanes(previous);
  }
}

TEST(CorrelationTokens, LengthsWhoseSquareCannotExistAreRefusedBeforeAllocating) {
  // Through a token, so that the failure reaches a host record.
  for (double n : {2147483647.0, 1073741824.0}) {
    EXPECT_EQ(CreateStatus(&RLS1, 2, 3, {n, 0.999, 1e-5}),
              std::make_pair(1002, std::string("Memory (s_) allocation error.")));
    EXPECT_EQ(CreateStatus(&NEW, 2, 3, {n, 1, 0.999, 0.1, 1, 1e-5}).first, 1002);
  }
  // A feedback count that overflows N, and Ps that fit the size computation
  // but not the address space.
  EXPECT_EQ(CreateStatus(&NEW, 2, 3, {2147483647.0, 2, 0.999, 0.1, 1, 1e-5}).first, 1002);
  EXPECT_EQ(CreateStatus(&GenRLS, 2, 1, {8388608.0, 0.999, 1e-5, 0, 0, 0}).first, 1002);
  EXPECT_EQ(CreateStatus(&NEW2, 3, 3, {8388608.0, 1, 0.999, 0.1, 1, 1e-5}).first, 1002);
}

// File 1 of a two-channel token with lengths 1 and 1 after these samples.
// With the second sample's channel-1 input 0, only the off-diagonal part of a
// joint P can move the channel-1 coefficient.
std::string FirstChannelFile(TokenEntryPoint entry, std::vector<double> parameters,
                             const std::vector<std::vector<double>>& samples) {
  std::remove("coupled1.txt");
  {
    TokenSession host(entry, 3, 3, std::move(parameters), "coupled.txt");
    EXPECT_EQ(host.create(), 0);
    for (const auto& s : samples) host.run(s);
  }
  return ReadFileText("coupled1.txt");
}

TEST(CorrelationTokens, InitialTapLayoutsAndJointP) {
  const std::vector<std::vector<double>> layouts = {{1, 2, 0, 3}, {1, 2, 3}, {1, 3}, {1}};
  for (const auto& want : layouts) {
    const double N = static_cast<double>(want.size());
    for (auto [entry, parameters] : {std::make_pair(&GenRLS, std::vector<double>{N, 0.99, 1e-5, 1, 2, 3}),
                                     std::make_pair(&GenRW, std::vector<double>{N, 0.99, 1e-5, 1, 1, 2, 3}),
                                     std::make_pair(&GenNEW, std::vector<double>{N, 0.99, 0.1, 1, 1e-5, 1, 2, 3})}) {
      std::remove("taps.txt");
      TokenSession(entry, 2, 1, parameters, "taps.txt").create();  // destroyed at once
      EXPECT_EQ(ReadFileText("taps.txt"),
                CoefficientText(Column(want), 0, static_cast<int>(N),
                                entry == &GenNEW ? "Denominator Coefficients =1\n1\n" : kTransversal));
    }
  }
  for (auto [entry, parameters] : {std::make_pair(&RLS2, std::vector<double>{1, 1, 1.0, 1.0}),
                                   std::make_pair(&NEW2, std::vector<double>{1, 1, 1.0, 1.0, 1.0, 1.0}),
                                   std::make_pair(&RW2, std::vector<double>{1, 1, 1.0, 1.0, 0.5})}) {
    const std::string first = FirstChannelFile(entry, parameters, {{1, 1, 1}});
    EXPECT_EQ(FirstChannelFile(entry, parameters, {{1, 1, 1}, {0, 0, 3}}), first);
    EXPECT_NE(FirstChannelFile(entry, parameters, {{1, 1, 1}, {0, 1, 3}}), first);
  }
}

}  // namespace

}  // namespace adaptive
