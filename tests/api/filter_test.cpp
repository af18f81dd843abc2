// The C++ interface: a Filter of the linked library and one of the plug-in
// loaded at run time compute the same bits; refusals carry the library's
// status and message; closing, moving and failed creations lose nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "adaptive/filter.h"
#include "api/token_session.h"
#include "tests/support/file_text.h"
#include "tests/support/token_inputs.h"

namespace adaptive {

namespace {

using adaptive::Filter;
using adaptive::Library;

std::string WeightsFile(const std::string& base, int channels) {
  return ReadFileText(channels == 1 ? base + ".txt" : base + "1.txt");
}

TEST(Filter, LinkedLibraryAndLoadedPluginComputeTheSameBits) {
  const Library plugin = Library::load(ADAPTIVE_PLUGIN_PATH);
  size_t inCatalogue = 0;
  for (const adaptive::TokenInfo& token : adaptive::tokens()) {
    if (!token.inCatalogue) continue;  // the plug-in has only its catalogue
    ++inCatalogue;
    SCOPED_TRACE(token.name);
    const size_t samples = 64;
    const std::vector<double> in = TokenInputs(token, samples);
    std::vector<double> linkedOut(samples * token.outputNames.size());
    std::vector<double> loadedOut(linkedOut.size(), 1.0);
    {
      Filter linked(token.name, ShortFilter(token), "linked.txt");
      Filter loaded(plugin, token.name, ShortFilter(token), "loaded.txt");
      linked.processUnchecked(in.data(), samples, linkedOut.data());
      loaded.processUnchecked(in.data(), samples, loadedOut.data());
    }
    EXPECT_EQ(0, std::memcmp(linkedOut.data(), loadedOut.data(), linkedOut.size() * sizeof(double)));
    const std::string weights = WeightsFile("linked", token.filterChannels());
    EXPECT_NE(weights.find("Numerator Coefficients =3\n"), std::string::npos);
    EXPECT_EQ(weights, WeightsFile("loaded", token.filterChannels()));
  }
  EXPECT_EQ(inCatalogue, plugin.tokens().size());
}

TEST(Filter, StepsAndBlocksAgreeAndParametersTakeDefaults) {
  Filter block("NLMS2", {{"Numerator Coeffs  2", 4}, {"Mu 1", 0.25}});
  Filter steps("NLMS2", {{"Mu 1", 0.25}, {"Numerator Coeffs  2", 4}});
  EXPECT_EQ(block.parameters(), (std::vector<double>{10, 0.25, 1, 4, 0.5, 1}));
  const std::vector<double> in = TokenInputs(block.token(), 50);
  std::vector<double> whole(50 * 3), single(50 * 3);
  block.processUnchecked(in.data(), 50, whole.data());
  for (size_t n = 0; n < 50; ++n) steps.stepUnchecked(&in[n * 3], &single[n * 3]);
  EXPECT_EQ(whole, single);
}

TEST(Filter, NamesOutsideTheCatalogueAreRefusedWithTheValidOnes) {
  const auto refusal = [](auto make) -> std::string {
    try {
      make();
    } catch (const adaptive::Error& e) {
      EXPECT_EQ(e.status(), adaptive::Error::kBadParameter);
      return e.what();
    }
    return "no error";
  };
  EXPECT_EQ(refusal([] { Filter("RLS4"); }).find("no token called \"RLS4\"; the library has LMS, LMS2"), 0u);
  EXPECT_EQ(refusal([] { Filter("RLS3", {{"Numerator Coeffs 4", 8}}); }),
            "RLS3 has no parameter \"Numerator Coeffs 4\"; its parameters are \"Numerator Coeffs  1\", "
            "\"Numerator Coeffs  2\", \"Numerator Coeffs  3\", \"Lambda\", \"Init\"");
  EXPECT_EQ(refusal([] { Filter("QR1", {{"Lambda", 0.9}, {"lambda", 0.8}}); }),
            "the parameter \"Lambda\" of QR1 is given twice");
  // A name pasted by mistake is not echoed whole.
  const std::string pasted(1000000, 'x');
  const std::string unknown = refusal([&] { Filter filter(pasted); });
  EXPECT_EQ(unknown.find("no token called \"" + std::string(61, 'x') + "...\"; the library has"), 0u);
  std::string accents, thirty;  // two bytes each: the cut falls between characters
  for (int k = 0; k < 500000; ++k) accents += "\xC3\xA9";
  for (int k = 0; k < 30; ++k) thirty += "\xC3\xA9";
  const std::string parameter = refusal([&] { Filter("LMS", {{accents, 1}}); });
  EXPECT_EQ(parameter.find("LMS has no parameter \"" + thirty + "...\"; its"), 0u);
  // Names match as adaptsim matches them: any letter case, any run of blanks.
  const Filter loose("rls3", {{"numerator coeffs 2", 4}, {"LAMBDA", 0.5}});
  EXPECT_EQ(loose.token().name, "RLS3");
  EXPECT_EQ(loose.parameters(), (std::vector<double>{10, 4, 10, 0.5, 1e-5}));
}

TEST(Filter, RefusedParametersAreNamedWithWhyBeforeTheLibrarysText) {
  const auto message = [](const char* token, const Filter::Parameters& parameters) -> std::string {
    try {
      Filter(token, parameters);
    } catch (const adaptive::Error& e) {
      return std::to_string(e.status()) + " " + e.what();
    }
    return "created";
  };
  EXPECT_EQ(message("LMS2", {{"Numerator Coeffs  2", 2147483648.0}}),
            "1 \"Numerator Coeffs  2\" = 2147483648 does not fit a 32-bit count: "
            "Improper length of Adaptive Filter.\nMust be greater than 0...");
  EXPECT_EQ(message("RLS1", {{"Numerator Coeffs", 1e5}}),
            "1002 RLS1 with 100000 taps needs 80 GB for P: Memory (s_) allocation error.");
  EXPECT_EQ(message("QR3", {{"Numerator Coeffs  1", 2e9}, {"Numerator Coeffs  2", 2e9}}),
            "1002 the lengths of QR3 with 4000000010 taps in all do not fit a 32-bit count: "
            "Memory (s_) allocation error.");
  EXPECT_EQ(message("NLMS2", {{"Mu 1", -1}}),
            "1 \"Mu 1\" = -1 is refused; it takes 0 or more: Improper step size of Adaptive Filter.\n"
            "Must be greater than 0...");
}

TEST(Filter, SizedViewsRefuseSizesThatMissThePortsAndRunNothing) {
  Filter checked("QR1", {{"Numerator Coeffs", 2}});  // 2 inputs, 4 outputs
  Filter plain("QR1", {{"Numerator Coeffs", 2}});
  const std::vector<double> in{0.5, 1.0, -0.25, 0.5, 1.0, -1.0};
  std::vector<double> out(12), expected(12);
  EXPECT_THROW(checked.step(in.data(), 2, out.data(), 3), std::invalid_argument);  // a probe that assumed 3
  EXPECT_THROW(checked.step({0.5}), std::invalid_argument);
  EXPECT_THROW(checked.process(in.data(), 5, out.data(), 12), std::invalid_argument);
  EXPECT_THROW(checked.process(in.data(), 6, out.data(), 9), std::invalid_argument);
  checked.process(in.data(), 6, out.data(), 12);
  plain.processUnchecked(in.data(), 3, expected.data());
  EXPECT_EQ(out, expected);  // the refused calls ran no sample
}

TEST(Filter, FailedCreationThrowsTheLibrarysStatusAndMessageAndKeepsNoFile) {
  try {
    Filter("RW2", {{"Random Walk Variance", -1}}, "never.txt");
    FAIL() << "created";
  } catch (const adaptive::Error& e) {
    EXPECT_EQ(e.status(), 1);
    EXPECT_STREQ(e.what(), "\"Random Walk Variance\" = -1 is refused; it takes 0 or more: "
                           "Improper random walk variance of Adaptive Filter.\nMust be between bigger than 0");
  }
  EXPECT_FALSE(FileExists("never1.txt"));
  // The second file cannot be opened: the first, already open, is closed by
  // the terminate call of the half-built instance and holds its coefficients.
  ASSERT_TRUE(mkdir("w2.txt", 0755) == 0 || errno == EEXIST);
  try {
    Filter("LMS2", {{"Numerator Coeffs  1", 2}}, "w.txt");
    FAIL() << "created";
  } catch (const adaptive::Error& e) {
    EXPECT_EQ(e.status(), 1);
    EXPECT_STREQ(e.what(), "Problems opening w2.txt");
  }
  EXPECT_EQ(ReadFileText("w1.txt").rfind("Numerator Coefficients =2\n", 0), 0u);
  EXPECT_THROW(Library::load("no/such/libadaptive.so"), adaptive::Error);
}

TEST(Filter, CloseWritesOnceMovesCarryTheInstanceAndClosedFiltersRefuseSamples) {
  Filter first("RLS1", {{"Numerator Coeffs", 2}}, "moved.txt");
  const std::vector<double> in = {1, 0.5, -1, 0.25};
  std::vector<double> out(6);
  first.processUnchecked(in.data(), 2, out.data());
  Filter second(std::move(first));
  EXPECT_FALSE(first.isOpen());
  EXPECT_THROW(first.stepUnchecked(in.data(), out.data()), std::logic_error);
  EXPECT_EQ(ReadFileText("moved.txt"), "");  // written only by the terminate call
  Filter third("NLMS", {}, "replaced.txt");
  third = std::move(second);  // the NLMS instance ends here
  EXPECT_EQ(ReadFileText("replaced.txt").rfind("Numerator Coefficients =10\n", 0), 0u);
  third.close();
  const std::string written = ReadFileText("moved.txt");
  EXPECT_EQ(written.rfind("Numerator Coefficients =2\n", 0), 0u);
  third.close();
  EXPECT_EQ(ReadFileText("moved.txt"), written);
}

TEST(Filter, ADestructorWhoseCloseFailsSaysSoOnStandardError) {
  ASSERT_TRUE(mkdir("gone", 0755) == 0 || errno == EEXIST);
  testing::internal::CaptureStderr();
  {
    Filter filter("RLS1", {}, "gone/w.txt");
    ASSERT_EQ(std::remove("gone/w.txt"), 0);
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "adaptive: closing the RLS1 filter in its destructor failed (status 1): Problems writing gone/w.txt\n");
}

TEST(TokenInfo, FactsComeFromTheCatalogue) {
  const Library linked = Library::linked();
  struct Expected {
    const char* name;
    adaptive::Family family;
    int channels;
    bool general;
    int counts;
  };
  for (const Expected& e : {Expected{"LMS", adaptive::Family::kLms, 1, false, 2},
                            Expected{"NLMS3", adaptive::Family::kNlms, 3, false, 3},
                            Expected{"GenLMS_A", adaptive::Family::kGeneralGradient, 1, true, 1},
                            Expected{"GenNLMS", adaptive::Family::kGeneralGradient, 1, true, 1},
                            Expected{"NEW2", adaptive::Family::kNewton, 2, false, 2},
                            Expected{"GenRLS", adaptive::Family::kRls, 1, true, 1},
                            Expected{"QR3", adaptive::Family::kQr, 3, false, 3},
                            Expected{"RW1", adaptive::Family::kRandomWalk, 1, false, 1}}) {
    const adaptive::TokenInfo& token = linked.token(e.name);
    EXPECT_EQ(token.family(), e.family) << e.name;
    EXPECT_EQ(token.filterChannels(), e.channels) << e.name;
    EXPECT_EQ(token.isGeneral(), e.general) << e.name;
    EXPECT_EQ(token.lengthParameters().size(), static_cast<size_t>(e.channels)) << e.name;
    int counts = 0;
    for (size_t k = 0; k < token.parameterNames.size(); ++k) counts += token.isCount(k) ? 1 : 0;
    EXPECT_EQ(counts, e.counts) << e.name;
  }
  EXPECT_STREQ(adaptive::FamilyName(adaptive::Family::kRandomWalk), "random walk");
}

}  // namespace

}  // namespace adaptive
