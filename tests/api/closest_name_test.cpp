// The "did you mean" of every interface: one suggestion, and none where a
// guess would be a coin toss or far off.
#include "adaptive/closest_name.h"

#include <gtest/gtest.h>

#include "adaptive/error.h"
#include "adaptive/filter.h"
#include "adaptive/library.h"

namespace {

TEST(ClosestName, SuggestsTheOneNameATypoStandsFor) {
  std::vector<std::string> tokens;
  for (const adaptive::TokenInfo& token : adaptive::tokens()) tokens.push_back(token.name);
  EXPECT_EQ(adaptive::ClosestName(tokens, "NMLS"), "NLMS");       // two letters swapped
  EXPECT_EQ(adaptive::ClosestName(tokens, "gennlm"), "GenNLMS");  // case aside, one dropped
  EXPECT_EQ(adaptive::ClosestName(tokens, "RLS"), "");            // RLS1, RLS2 and RLS3 equally close
  EXPECT_EQ(adaptive::ClosestName(tokens, "XYZ"), "");            // nothing near
  EXPECT_EQ(adaptive::ClosestName(tokens, "Q"), "");              // too short to guess from
  const std::vector<std::string> parameters = adaptive::Library::linked().token("NLMS3").parameterNames;
  EXPECT_EQ(adaptive::ClosestName(parameters, "Mu2"), "Mu 2");
  EXPECT_EQ(adaptive::ClosestName(parameters, "Leakge 3"), "Leakage 3");
}

TEST(ClosestName, TheInterfacesSuggestIt) {
  try {
    adaptive::Filter filter("NMLS");
    FAIL() << "an unknown token was accepted";
  } catch (const adaptive::Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("no token called \"NMLS\" (did you mean \"NLMS\"?); the library has LMS,", 0),
              0u)
        << e.what();
  }
  try {
    adaptive::Filter filter("RLS1", {{"Lamda", 0.99}});
    FAIL() << "an unknown parameter was accepted";
  } catch (const adaptive::Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("RLS1 has no parameter \"Lamda\" (did you mean \"Lambda\"?);", 0), 0u)
        << e.what();
  }
}

}  // namespace
