// The facts the interface states of a token come from its family's
// descriptor: the same for the linked library and for the plug-in loaded from
// a file (matched by name and parameters), unknown for a token that is not
// ours; and each family's factories make the tokens its rows describe.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adaptive/describe.h"
#include "adaptive/filter.h"
#include "adaptive/library.h"
#include "api/divergence_watch.h"
#include "api/families.h"
#include "tokens/catalogue_families.h"

namespace {

using adaptive::Family;
using adaptive::ParameterRole;
using adaptive::TokenInfo;

TEST(Families, TheLoadedPlugInsTokensCarryTheLinkedLibrarysFacts) {
  const adaptive::Library plugin = adaptive::Library::load(ADAPTIVE_PLUGIN_PATH);
  ASSERT_EQ(plugin.tokens().size(), static_cast<size_t>(adaptive::kCatalogueSize));
  for (const TokenInfo& loaded : plugin.tokens()) {
    SCOPED_TRACE(loaded.name);
    const TokenInfo& linked = adaptive::Library::linked().token(loaded.name);
    EXPECT_EQ(loaded.familyName, linked.familyName);
    EXPECT_NE(loaded.family(), Family::kOther);
    EXPECT_EQ(loaded.parameterRoles, linked.parameterRoles);
    EXPECT_TRUE(loaded.inCatalogue);
    EXPECT_TRUE(linked.inCatalogue);
    EXPECT_EQ(adaptive::Describe(loaded), adaptive::Describe(linked));
  }
}

TEST(Families, ATokenWhoseParametersAreNotOursIsUnknown) {
  TokenInfo token = adaptive::Library::linked().token("RLS1");
  token.parameterNames[1] = "Forgetting";
  adaptive::AddKnownFacts(token);
  EXPECT_EQ(token.familyName, "");
  EXPECT_EQ(token.family(), Family::kOther);
  EXPECT_EQ(token.parameterRoles, std::vector<ParameterRole>(3, ParameterRole::kUnknown));
  EXPECT_TRUE(token.lengthParameters().empty());
  EXPECT_FALSE(token.isCount(0));
  EXPECT_EQ(adaptive::Describe(token).find("Update, for sample n:"), std::string::npos);

  token.name = "Elsewhere";
  token.parameterNames[1] = "Lambda";
  adaptive::AddKnownFacts(token);
  EXPECT_EQ(token.familyName, "");
}

TEST(Families, StepSizesAreTheParametersTheDescriptorCallsSo) {
  const TokenInfo& lms = adaptive::Library::linked().token("LMS");
  EXPECT_EQ(lms.parametersWithRole(ParameterRole::kStepSize), (std::vector<size_t>{1, 4}));
  EXPECT_EQ(adaptive::StepSizeAdvice(lms), "try a smaller step size (\"Mu Forward\", \"Mu Backward\")");
  // GenLMS_A takes its step size on a port: no parameter to name.
  EXPECT_EQ(adaptive::StepSizeAdvice(adaptive::Library::linked().token("GenLMS_A")).find("step size"),
            std::string::npos);
  EXPECT_EQ(adaptive::Library::linked().token("NEW3").lengthParameters(), (std::vector<size_t>{0, 1, 2}));
}

// A factory listed out of step with its family's rows would make a token with
// another token's ports: every factory is tried with its row's defaults.
TEST(Families, EveryFactoryMakesTheTokenOfItsRow) {
  for (const adaptive::KnownToken& known : adaptive::KnownTokens()) {
    SCOPED_TRACE(known.row->name);
    std::vector<double> defaults;
    for (int32_t k = 0; k < known.row->parameterCount; ++k) defaults.push_back(known.row->parameters[k].defaultValue);
    char fileName[1] = {'\0'};
    char errorText[adaptive::kErrorTextCapacity + 1] = {};
    adaptive::CallStatus status(errorText);
    adaptive::TokenSetup setup{defaults.data(), fileName, status};
    std::unique_ptr<adaptive::AdaptiveToken> token(known.factory(setup));
    ASSERT_NE(token, nullptr);
    EXPECT_TRUE(status.ok()) << errorText;
    EXPECT_EQ(token->inputs(), known.row->inputCount);
    EXPECT_EQ(token->outputs(), known.row->outputCount);
    token->finish(status);
  }
}

TEST(Families, TheCatalogueIsTheCatalogueFamiliesRowsInOrder) {
  size_t k = 0;
  for (const adaptive::KnownToken& known : adaptive::KnownTokens()) {
    if (!known.inCatalogue) continue;
    ASSERT_LT(k, adaptive::kCatalogue.size());
    EXPECT_STREQ(adaptive::kCatalogue[k].name, known.row->name);
    EXPECT_EQ(adaptive::CatalogueFactory(static_cast<int>(k)), known.factory) << known.row->name;
    ++k;
  }
  EXPECT_EQ(k, adaptive::kCatalogue.size());
}

}  // namespace
