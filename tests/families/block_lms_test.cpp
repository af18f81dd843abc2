// The block LMS token against its plain model, and against LMS with L = 1.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "adaptive/filter.h"
#include "families/block_lms/block_lms_token.h"
#include "tests/families/block_models.h"
#include "tests/reference/same_bits.h"

namespace adaptive {

namespace {

using namespace block_models;

TEST(BlockLms, MatchesThePlainModelOverRandomSettings) {
  // The token adds (2μ·e)·x per sample where the model adds e·x and scales
  // the block's sum: the two agree to rounding, 1e-12 of the signal's scale.
  std::mt19937 gen(36);
  for (int trial = 0; trial < 20; ++trial) {
    const int n = 1 + int(gen() % 24);
    const int blockLength = 1 + int(gen() % 12);
    const double mu = 0.5 / (n * blockLength) * std::uniform_real_distribution<double>(0.5, 1.0)(gen);
    SCOPED_TRACE(testing::Message() << "N " << n << " L " << blockLength << " mu " << mu);
    MadeToken made = Make<BlockLmsToken>({double(n), double(blockLength), mu});
    ASSERT_EQ(made.status, 0) << made.message;
    BlockLmsModel model(n, blockLength, mu);
    const Identification data(6000, n, trial);
    for (size_t k = 0; k < data.x.size(); ++k) {
      double in[2] = {data.x[k], data.d[k]}, out[2], y, e;
      made.token->compute(in, out);
      model.step(data.x[k], data.d[k], y, e);
      ASSERT_NEAR(out[0], y, 1e-12 * (1.0 + std::fabs(y))) << "sample " << k;
      ASSERT_NEAR(out[1], e, 1e-12 * (1.0 + std::fabs(e))) << "sample " << k;
    }
    // The model itself converged to the plant.
    for (int i = 0; i < n; ++i) EXPECT_NEAR(model.weights()[i], data.plant[i], 0.02);
    CallStatus ending(nullptr);
    made.token->finish(ending);
  }
}

TEST(BlockLms, BlockOfOneIsLmsBitForBit) {
  const Identification data(2000, 16, 7);
  for (double mu : {0.001, 0.01}) {
    MadeToken made = Make<BlockLmsToken>({16, 1, mu});
    ASSERT_EQ(made.status, 0);
    Filter lms("LMS", {{"Numerator Coeffs", 16}, {"Mu Forward", mu}, {"Denominator Coeffs", 1}});
    for (size_t k = 0; k < data.x.size(); ++k) {
      double in[2] = {data.x[k], data.d[k]}, out[2];
      made.token->compute(in, out);
      const std::vector<double> expected = lms.step({data.x[k], data.d[k]});
      ASSERT_TRUE(SameBits(out[0], expected[0]) && SameBits(out[1], expected[1])) << "sample " << k;
    }
    CallStatus ending(nullptr);
    made.token->finish(ending);
  }
}

TEST(BlockLms, RefusesBadParameters) {
  struct Case {
    std::vector<double> parameters;
    const char* message;
  };
  for (const Case& c : {Case{{0, 4, 0.01}, "Improper length of Adaptive Filter.\nMust be greater than 0..."},
                        Case{{8, 0, 0.01}, "Improper block length of Adaptive Filter.\nMust be greater than 0..."},
                        Case{{8, NAN, 0.01}, "Improper block length of Adaptive Filter.\nMust be greater than 0..."},
                        Case{{8, 4, -1}, "Improper step size of Adaptive Filter.\nMust be greater than 0..."}}) {
    const MadeToken made = Make<BlockLmsToken>(c.parameters);
    EXPECT_EQ(made.status, kStatusBadParameter);
    EXPECT_EQ(made.message, c.message);
  }
}

}  // namespace

}  // namespace adaptive
