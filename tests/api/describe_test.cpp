// The description of every token: every port and parameter of the catalogue
// gets a meaning in the text shown, and the notes name no other.
#include <gtest/gtest.h>

#include <string>

#include "adaptive/describe.h"
#include "adaptive/library.h"
#include "api/families.h"
#include "tests/support/describe_text.h"

namespace {

using adaptive::test::IndentedAfter;
using adaptive::test::Unwrapped;

TEST(Describe, GivesEveryPortAndParameterOfEveryTokenItsMeaning) {
  for (const adaptive::TokenInfo& token : adaptive::tokens()) {
    SCOPED_TRACE(token.name);
    const std::string text = adaptive::Describe(token);
    EXPECT_NE(text.find("Update, for sample n:\n"), std::string::npos);
    EXPECT_NE(text.find("Cost per sample: O("), std::string::npos);
    for (size_t k = 0; k < token.parameterNames.size(); ++k) {
      const std::string meaning = IndentedAfter(text, "  " + std::to_string(k) + "  \"" + token.parameterNames[k] + "\" = ");
      EXPECT_GT(meaning.size(), 20u) << token.parameterNames[k];
    }
    for (size_t k = 0; k < token.outputNames.size(); ++k) {
      EXPECT_GT(IndentedAfter(text, "  " + std::to_string(k) + "  " + token.outputNames[k]).size(), 0u)
          << token.outputNames[k];
    }
  }
}

TEST(Describe, ShowsDefaultsAndConventionsAsTheCatalogueHasThem) {
  const std::string lms = adaptive::Describe(adaptive::Library::linked().token("LMS2"));
  EXPECT_NE(lms.find("  4  \"Mu 2\" = 0.01\n"), std::string::npos);
  EXPECT_NE(lms.find("2μ_c·e(n)·x_c(n)"), std::string::npos);
  EXPECT_NE(lms.find("Filename for Final Weights: lms2.txt\n"), std::string::npos);
  EXPECT_NE(Unwrapped(lms).find("one file per channel, the channel number put before"), std::string::npos);
  EXPECT_NE(adaptive::Describe(adaptive::Library::linked().token("RLS1")).find("  2  \"Init\" = 1e-05\n"),
            std::string::npos);
  EXPECT_NE(Unwrapped(adaptive::Describe(adaptive::Library::linked().token("QR2")))
                .find("the effective forgetting factor is λ^2"),
            std::string::npos);
}

// Tokens that share notes (NEW, NEW2 and NEW3) may each lack a parameter
// that another of them has.
TEST(Describe, NotesNameOnlyParametersOfTheTokensTheyDescribe) {
  for (const adaptive::KnownToken& known : adaptive::KnownTokens()) {
    for (const adaptive::NameNote& note : known.row->notes->parameters) {
      if (note.name == nullptr) break;
      bool used = false;
      for (const adaptive::KnownToken& sharing : adaptive::KnownTokens()) {
        if (sharing.row->notes != known.row->notes) continue;
        for (int32_t k = 0; k < sharing.row->parameterCount; ++k)
          used = used || std::string(sharing.row->parameters[k].name).rfind(note.name, 0) == 0;
      }
      EXPECT_TRUE(used) << known.row->name << ": " << note.name;
    }
  }
}

TEST(Describe, ShowsTheCatalogueEntryOfATokenItHasNoNotesFor) {
  adaptive::TokenInfo token;
  token.name = "Foreign";
  token.displayName = "Foreign";
  token.description = "Another library's token.";
  token.inputNames = {"Input", "Desired"};
  token.outputNames = {"Output"};
  token.parameterNames = {"Numerator Coeffs", "Gain"};
  token.parameterDefaults = {4, 0.25};
  token.fileLabel = "Filename for Final Weights";
  token.defaultFileName = "foreign.txt";
  const std::string text = adaptive::Describe(token);
  EXPECT_NE(text.find("  1  \"Gain\" = 0.25\n"), std::string::npos);
  EXPECT_EQ(text.find("Update"), std::string::npos);
  EXPECT_NE(text.find("Filename for Final Weights: foreign.txt\n"), std::string::npos);
}

}  // namespace
