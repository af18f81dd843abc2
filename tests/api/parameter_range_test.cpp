// What `describe` (and with it the manual) says each parameter accepts, tried
// on the library: for every parameter of every token, each bound the text
// states just inside, at and just outside, and NaN. The text is read back with
// a parser of its own, so a range sentence that misstates the checks fails.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <regex>
#include <string>
#include <vector>

#include "adaptive/describe.h"
#include "adaptive/filter.h"
#include "adaptive/library.h"
#include "tests/support/describe_text.h"

namespace {

struct Probe {
  double value;
  bool accepted;
};

// The probes of the range `phrase` states: each bound at, just inside and just
// outside (the next double), and NaN.
std::vector<Probe> ProbesOf(const std::string& phrase) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const auto below = [](double v) { return std::nextafter(v, -INFINITY); };
  const auto above = [](double v) { return std::nextafter(v, INFINITY); };
  std::smatch m;
  if (phrase == "any value") return {{0.0, true}, {-1e300, true}, {1e300, true}, {nan, true}};
  if (phrase == "any number but 0")
    return {{0.0, false}, {-0.0, false}, {below(0.0), true}, {above(0.0), true}, {-1.0, true}, {nan, false}};
  if (std::regex_match(phrase, m, std::regex("a whole number from (\\S+) to (\\S+)"))) {
    const double low = std::stod(m[1]), high = std::stod(m[2]);
    // The inside of the upper bound would allocate gigabytes: only its outside is tried.
    return {{low, true}, {low + 0.5, true}, {below(low), false}, {low - 1.0, false}, {high + 1.0, false}, {nan, false}};
  }
  if (std::regex_match(phrase, m, std::regex("(\\S+) or more"))) {
    const double low = std::stod(m[1]);
    return {{low, true}, {above(low), true}, {below(low), false}, {nan, false}};
  }
  if (std::regex_match(phrase, m, std::regex("above (\\S+)"))) {
    const double low = std::stod(m[1]);
    return {{low, false}, {above(low), true}, {below(low), false}, {nan, false}};
  }
  if (std::regex_match(phrase, m, std::regex("from (\\S+) to (\\S+)"))) {
    const double low = std::stod(m[1]), high = std::stod(m[2]);
    return {{low, true}, {above(low), true}, {below(low), false}, {high, true}, {below(high), true}, {above(high), false},
            {nan, false}};
  }
  if (std::regex_match(phrase, m, std::regex("from (\\S+) below (\\S+)"))) {
    const double low = std::stod(m[1]), high = std::stod(m[2]);
    return {{low, true}, {above(low), true}, {below(low), false}, {high, false}, {below(high), true}, {nan, false}};
  }
  if (std::regex_match(phrase, m, std::regex("above (\\S+) and at most (\\S+)"))) {
    const double low = std::stod(m[1]), high = std::stod(m[2]);
    return {{low, false}, {above(low), true}, {below(low), false}, {high, true}, {below(high), true},
            {above(high), false}, {nan, false}};
  }
  return {};
}

// Parameter k at `value`, the others at their defaults, except that a length
// is probed with blocks and projection orders of 1, as a block must divide
// the length and an order may not exceed it.
adaptive::Filter::Parameters Probing(const adaptive::TokenInfo& token, size_t k, double value) {
  adaptive::Filter::Parameters parameters = {{token.parameterNames[k], value}};
  if (token.parameterRoles[k] != adaptive::ParameterRole::kLength) return parameters;
  for (adaptive::ParameterRole role : {adaptive::ParameterRole::kBlockLength, adaptive::ParameterRole::kProjectionOrder})
    for (size_t b : token.parametersWithRole(role)) parameters.emplace_back(token.parameterNames[b], 1.0);
  return parameters;
}

TEST(ParameterRanges, EveryBoundTheDescriptionStatesIsTheLibrarysOwn) {
  const std::regex accepted("Accepted: ([^;,]+)[;,].*refused \\(\"([^\"]+)\"\\)");
  const std::regex anyValue("Any value is taken as it is\\.");
  int probes = 0;
  for (const adaptive::TokenInfo& token : adaptive::tokens()) {
    const std::string text = adaptive::Describe(token);
    for (size_t k = 0; k < token.parameterNames.size(); ++k) {
      const std::string& name = token.parameterNames[k];
      SCOPED_TRACE(token.name + " \"" + name + "\"");
      const std::string note = adaptive::test::IndentedAfter(text, "  " + std::to_string(k) + "  \"" + name + "\" = ");
      std::smatch m;
      std::string phrase = "any value", refusal;
      if (std::regex_search(note, m, accepted)) {
        phrase = m[1];
        refusal = m[2];
      } else {
        ASSERT_TRUE(std::regex_search(note, anyValue)) << "no range stated in: " << note;
      }
      const std::vector<Probe> tried = ProbesOf(phrase);
      ASSERT_FALSE(tried.empty()) << "a range the test cannot read: " << phrase;
      for (const Probe& probe : tried) {
        SCOPED_TRACE("value " + std::to_string(probe.value));
        ++probes;
        try {
          adaptive::Filter filter(token.name, Probing(token, k, probe.value));
          EXPECT_TRUE(probe.accepted) << "accepted, though the text says " << phrase;
        } catch (const adaptive::Error& e) {
          EXPECT_FALSE(probe.accepted) << "refused, though the text says " << phrase << ": " << e.what();
          EXPECT_EQ(e.status(), 1);
          const std::string message = e.what();
          // The refusal names the parameter and its value before the library's text.
          EXPECT_EQ(message.rfind("\"" + name + "\" = ", 0), 0u) << message;
          EXPECT_NE(message.find(refusal), std::string::npos) << message;
        }
      }
    }
  }
  EXPECT_GT(probes, 500);
}

TEST(ParameterRanges, ARefusalNamesTheParameterItsValueAndItsRange) {
  try {
    adaptive::Filter filter("NLMS3", {{"Mu 2", -1.0}});
    FAIL() << "a negative step size was accepted";
  } catch (const adaptive::Error& e) {
    EXPECT_STREQ(e.what(),
                 "\"Mu 2\" = -1 is refused; it takes 0 or more: Improper step size of Adaptive Filter.\n"
                 "Must be greater than 0...");
  }
  // Of two values out of range, the one the library checks first.
  try {
    adaptive::Filter filter("RLS2", {{"Init", 0.0}, {"Lambda", 1.5}});
    FAIL() << "an out-of-range Lambda was accepted";
  } catch (const adaptive::Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("\"Lambda\" = 1.5 is refused; it takes above 0 and at most 1: Improper forgetting", 0), 0u)
        << e.what();
  }
}

}  // namespace
