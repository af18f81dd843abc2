// The families through adaptive::Filter, as users reach them: a block, the
// same samples one by one and a run split in two give the same bits and the
// same final-weights file; a refusal for storage names its cause.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "adaptive/filter.h"
#include "tests/reference/same_bits.h"
#include "tests/support/file_text.h"

namespace adaptive {

namespace {

const char* const kFamilyTokens[] = {"AP", "IPNLMS", "SELMS", "SDLMS", "SSLMS"};

std::vector<double> Rows(size_t samples) {
  std::mt19937_64 rng(34);
  std::normal_distribution<double> normal;
  std::vector<double> rows(2 * samples);
  for (size_t n = 0; n < samples; ++n) {
    rows[2 * n] = normal(rng);
    rows[2 * n + 1] = 0.7 * rows[2 * n] + (n ? -0.3 * rows[2 * n - 2] : 0.0) + 0.01 * normal(rng);
  }
  return rows;
}

bool SameValues(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k)
    if (!SameBits(a[k], b[k])) return false;
  return true;
}

TEST(FamiliesThroughFilter, BlockStepsAndASplitRunGiveTheSameBitsAndFiles) {
  const std::vector<double> rows = Rows(700);
  for (const char* token : kFamilyTokens) {
    const Filter::Parameters parameters = {{"Numerator Coeffs", 12}};
    Filter block(token, parameters, std::string(token) + "_block.txt");
    const std::vector<double> whole = block.process(rows);
    block.close();

    Filter stepped(token, parameters, std::string(token) + "_step.txt");
    std::vector<double> one;
    for (size_t n = 0; n < rows.size() / 2; ++n) {
      const std::vector<double> out = stepped.step({rows[2 * n], rows[2 * n + 1]});
      one.insert(one.end(), out.begin(), out.end());
    }
    stepped.close();

    Filter split(token, parameters, std::string(token) + "_split.txt");
    std::vector<double> halves = split.process(std::vector<double>(rows.begin(), rows.begin() + 502));
    const std::vector<double> rest = split.process(std::vector<double>(rows.begin() + 502, rows.end()));
    halves.insert(halves.end(), rest.begin(), rest.end());
    split.close();

    EXPECT_TRUE(SameValues(whole, one)) << token;
    EXPECT_TRUE(SameValues(whole, halves)) << token;
    const std::string file = ReadFileText(std::string(token) + "_block.txt");
    EXPECT_EQ(file.rfind("Numerator Coefficients =12\n", 0), 0u) << token << ": " << file;
    EXPECT_EQ(ReadFileText(std::string(token) + "_step.txt"), file) << token;
    EXPECT_EQ(ReadFileText(std::string(token) + "_split.txt"), file) << token;
  }
}

TEST(FamiliesThroughFilter, AnOrderWhoseMatricesOutgrow32BitsIsNamed) {
  try {
    Filter("AP", {{"Numerator Coeffs", 70000}, {"Projection Order", 66000}});
    FAIL() << "K = 66000 was taken";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("\"Projection Order\" = 66000 makes K × K matrices of 4356000000 elements", 0),
              0u)
        << e.what();
  }
}

}  // namespace

}  // namespace adaptive
