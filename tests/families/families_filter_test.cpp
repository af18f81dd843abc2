// The block families through adaptive::Filter: block process, sample-by-sample
// step and a run split in two give the same bits and coefficients.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adaptive/describe.h"
#include "adaptive/filter.h"
#include "adaptive/library.h"
#include "tests/families/block_models.h"
#include "tests/reference/same_bits.h"

namespace adaptive {

namespace {

struct Setting {
  std::string token;
  Filter::Parameters parameters;
};

std::vector<Setting> Settings() {
  std::vector<Setting> all = {{"BLMS", {{"Numerator Coeffs", 24}, {"Block Length", 6}, {"Mu", 0.002}}}};
#ifdef ADAPTIVE_FREQUENCY_DOMAIN
  for (int constraint : {0, 1, 2}) {
    all.push_back({"FDAF", {{"Numerator Coeffs", 24}, {"Constrained", constraint}}});
    all.push_back({"PBFDAF", {{"Numerator Coeffs", 24}, {"Block Length", 6}, {"Constrained", constraint}}});
  }
#endif
  return all;
}

void ExpectSameBits(const std::vector<double>& a, const std::vector<double>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (size_t k = 0; k < a.size(); ++k) ASSERT_TRUE(SameBits(a[k], b[k])) << "value " << k;
}

TEST(BlockFamilies, ProcessStepAndSplitRunGiveTheSameBits) {
  const block_models::Identification data(1000, 24, 4);
  std::vector<double> inputs;
  for (size_t n = 0; n < data.x.size(); ++n) inputs.insert(inputs.end(), {data.x[n], data.d[n]});
  for (const Setting& s : Settings()) {
    SCOPED_TRACE(s.token);
    Filter whole(s.token, s.parameters), stepped(s.token, s.parameters), split(s.token, s.parameters);
    const std::vector<double> block = whole.process(inputs);
    std::vector<double> sampled;
    for (size_t n = 0; n < data.x.size(); ++n) {
      const std::vector<double> out = stepped.step({data.x[n], data.d[n]});
      sampled.insert(sampled.end(), out.begin(), out.end());
    }
    // Split inside a block.
    const size_t half = 2 * 501;
    std::vector<double> parts = split.process(std::vector<double>(inputs.begin(), inputs.begin() + half));
    const std::vector<double> rest = split.process(std::vector<double>(inputs.begin() + half, inputs.end()));
    parts.insert(parts.end(), rest.begin(), rest.end());
    ExpectSameBits(sampled, block);
    ExpectSameBits(parts, block);
    ExpectSameBits(stepped.weights()[0].numerator, whole.weights()[0].numerator);
    ExpectSameBits(split.weights()[0].numerator, whole.weights()[0].numerator);
    // The coefficients learnt something.
    EXPECT_NE(whole.weights()[0].numerator[0], 0.0);
  }
}

TEST(BlockFamilies, DescribeStatesTheLatencyAndItsParameter) {
  std::vector<std::pair<std::string, std::string>> latencies = {{"BLMS", ""}};
#ifdef ADAPTIVE_FREQUENCY_DOMAIN
  latencies.insert(latencies.end(), {{"FDAF", "Numerator Coeffs"}, {"PBFDAF", "Block Length"}});
#endif
  for (const auto& [token, parameter] : latencies) {
    const std::string text = Describe(Library::linked().token(token));
    const size_t at = text.find("Latency: the outputs of sample n come out at sample n + \"");
    EXPECT_EQ(at == std::string::npos, parameter.empty()) << token;
    if (!parameter.empty()) EXPECT_EQ(text.find("\"" + parameter + "\"", at), text.find('"', at)) << token;
  }
}

}  // namespace

}  // namespace adaptive
