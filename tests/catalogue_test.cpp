#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/catalogue.h"

namespace {

// The host's side of a USERCODE call: every array allocated to the largest
// counts and every byte pre-set, so that untouched slots can be recognised.
struct HostCatalogue {
  static constexpr unsigned char kFill = 0xA5;
  LibraryInfo info;
  TokenDescriptor tokens[kCatalogueSize];
  const char* inputNames[kCatalogueSize][kMaxInputPorts];
  const char* outputNames[kCatalogueSize][kMaxOutputPorts];
  const char* parameterNames[kCatalogueSize][kMaxParameters];
  double parameterDefaults[kCatalogueSize][kMaxParameters];

  HostCatalogue() {
    std::memset(static_cast<void*>(this), kFill, sizeof(*this));
    info.tokens = tokens;
    for (int k = 0; k < kCatalogueSize; ++k) {
      tokens[k].inputNames = inputNames[k];
      tokens[k].outputNames = outputNames[k];
      tokens[k].parameterNames = parameterNames[k];
      tokens[k].parameterDefaults = parameterDefaults[k];
    }
  }
};

bool IsFill(const void* p, size_t size) {
  const unsigned char* bytes = static_cast<const unsigned char*>(p);
  for (size_t i = 0; i < size; ++i) {
    if (bytes[i] != HostCatalogue::kFill) return false;
  }
  return true;
}

// One row of the catalogue as the token tables give it: lists separated by
// "; " and parameters written "name = default".
struct ExpectedToken {
  const char* name;
  const char* description;
  const char* icon;
  const char* file;
  const char* inputs;
  const char* outputs;
  const char* parameters;
};

const ExpectedToken kExpected[] = {
    {"LMS", "Implements an one channel Feintuch's LMS algorithm.", "lmsx.wmf", "lms.txt",
     "Input; Desired", "Output; PriError; PostError",
     "Numerator Coeffs = 10; Mu Forward = 0.01; Leakage Forward = 1; Denominator Coeffs = 1; "
     "Mu Backward = 0.01; Leakage Backward = 1"},
    {"LMS2", "Implements a two channel LMS algorithm.", "lmsx.wmf", "lms2.txt",
     "Input 1; Input 2; Desired", "Output; PriError; PostError",
     "Numerator Coeffs  1 = 10; Mu 1 = 0.01; Leakage 1 = 1; Numerator Coeffs  2 = 10; "
     "Mu 2 = 0.01; Leakage 2 = 1"},
    {"LMS3", "Implements a three channel LMS algorithm.", "lmsx.wmf", "lms3.txt",
     "Input 1; Input 2; Input 3; Desired", "Output; PriError; PostError",
     "Numerator Coeffs  1 = 10; Mu 1 = 0.01; Leakage 1 = 1; Numerator Coeffs  2 = 10; "
     "Mu 2 = 0.01; Leakage 2 = 1; Numerator Coeffs  3 = 10; Mu 3 = 0.01; Leakage 3 = 1"},
    {"GenLMS_A", "Implements an FIR General LMS algorithm.", "lmsx.wmf", "genlms_a.txt",
     "Input; - de/dw; Error; Mu; Leakage", "Output",
     "Numerator Coeffs = 10; First Tap Value = 0; Middle Tap Value = 0; Last Tap Value = 0"},
    {"GenLMS_B", "Implements an FIR General LMS algorithm.", "lmsx.wmf", "genlms_b.txt",
     "Input; - de/dw; Error", "Output",
     "Numerator Coeffs = 10; Mu = 0.01; Leakage Factor = 1; First Tap Value = 0; "
     "Middle Tap Value = 0; Last Tap Value = 0"},
    {"GenNLMS", "Implements an FIR General NLMS algorithm.", "nlmsx.wmf", "gennlms.txt",
     "Input; - de/dw; Error", "Output",
     "Numerator Coeffs = 10; Mu = 0.5; Leakage Factor = 1; First Tap Value = 0; "
     "Middle Tap Value = 0; Last Tap Value = 0"},
    {"NLMS", "Implements an one channel normalised LMS algorithm.", "nlmsx.wmf", "nlms.txt",
     "Input; Desired", "Output; PriError; PostError",
     "Numerator Coeffs = 10; Mu Forward = 0.5; Leakage Forward = 1; Denominator Coeffs = 1; "
     "Mu Backward = 0.5; Leakage Backward = 1"},
    {"NLMS2", "Implements an two channel normalised LMS algorithm.", "nlmsx.wmf", "nlms2.txt",
     "Input 1; Input 2; Desired", "Output; PriError; PostError",
     "Numerator Coeffs  1 = 10; Mu 1 = 0.5; Leakage 1 = 1; Numerator Coeffs  2 = 10; "
     "Mu 2 = 0.5; Leakage 2 = 1"},
    {"NLMS3", "Implements an three channel normalised LMS algorithm.", "nlmsx.wmf", "nlms3.txt",
     "Input 1; Input 2; Input 3; Desired", "Output; PriError; PostError",
     "Numerator Coeffs  1 = 10; Mu 1 = 0.5; Leakage 1 = 1; Numerator Coeffs  2 = 10; "
     "Mu 2 = 0.5; Leakage 2 = 1; Numerator Coeffs  3 = 10; Mu 3 = 0.5; Leakage 3 = 1"},
    {"GenNEW", "Implements an one channel general Newton algorithm.", "newx.wmf", "gennew.txt",
     "Input; Error", "Output",
     "Numerator Coeffs = 10; Lambda = 0.999; Mu = 0.1; Leakage = 1; Init = 0.00001; "
     "First Tap Value = 0; Middle Tap Value = 0; Last Tap Value = 0"},
    {"NEW", "Implements an one channel Newton algorithm.", "newx.wmf", "new.txt",
     "Input; Desired", "Output; PriError; PostError",
     "Numerator Coeffs = 10; Denominator Coeffs = 1; Lambda = 0.999; Mu = 0.1; Leakage = 1; "
     "Init = 0.00001"},
    {"NEW2", "Implements a two channel Newton algorithm.", "newx.wmf", "new2.txt",
     "Input 1; Input 2; Desired", "Output; PriError; PostError",
     "Numerator Coeffs  1 = 10; Numerator Coeffs  2 = 10; Lambda = 0.999; Mu = 0.1; "
     "Leakage = 1; Init = 0.00001"},
    {"NEW3", "Implements a three channel Newton algorithm.", "newx.wmf", "new3.txt",
     "Input 1; Input 2; Input 3; Desired", "Output; PriError; PostError",
     "Numerator Coeffs  1 = 10; Numerator Coeffs  2 = 10; Numerator Coeffs  3 = 10; "
     "Lambda = 0.999; Mu = 0.1; Leakage = 1; Init = 0.00001"},
    {"QR1", "Implements an one channel QR algorithm.", "qrx.wmf", "qr1.txt",
     "Input; Desired", "Output; PriError; PostError; Gamma",
     "Numerator Coeffs = 10; Lambda = 0.999"},
    {"QR2", "Implements a two channel QR algorithm.", "qrx.wmf", "qr2.txt",
     "Input 1; Input 2; Desired", "Output; PriError; PostError; Gamma",
     "Numerator Coeffs  1 = 10; Numerator Coeffs  2 = 10; Lambda = 0.999"},
    {"QR3", "Implements a three channel QR algorithm.", "qrx.wmf", "qr3.txt",
     "Input 1; Input 2; Input 3; Desired", "Output; PriError; PostError; Gamma",
     "Numerator Coeffs  1 = 10; Numerator Coeffs  2 = 10; Numerator Coeffs  3 = 10; "
     "Lambda = 0.999"},
    {"GenRLS", "Implements a general RLS algorithm.", "rlsx.wmf", "genrls.txt",
     "Input; Error", "Output",
     "Numerator Coeffs = 10; Lambda = 0.999; Init = 0.00001; First Tap Value = 0; "
     "Middle Tap Value = 0; Last Tap Value = 0"},
    {"RLS1", "Implements an one channel RLS algorithm.", "rlsx.wmf", "rls1.txt",
     "Input; Desired", "Output; PriError; PostError",
     "Numerator Coeffs = 10; Lambda = 0.999; Init = 0.00001"},
    {"RLS2", "Implements a two channel RLS algorithm.", "rlsx.wmf", "rls2.txt",
     "Input 1; Input 2; Desired", "Output; PriError; PostError",
     "Numerator Coeffs  1 = 10; Numerator Coeffs  2 = 10; Lambda = 0.999; Init = 0.00001"},
    {"RLS3", "Implements a three channel RLS algorithm.", "rlsx.wmf", "rls3.txt",
     "Input 1; Input 2; Input 3; Desired", "Output; PriError; PostError",
     "Numerator Coeffs  1 = 10; Numerator Coeffs  2 = 10; Numerator Coeffs  3 = 10; "
     "Lambda = 0.999; Init = 0.00001"},
    {"GenRW", "Implements a general RW algorithm.", "rwx.wmf", "genrw.txt",
     "Input; Error", "Output",
     "Numerator Coeffs = 10; Lambda = 0.999; Init = 0.00001; Random Walk Variance = 1; "
     "First Tap Value = 0; Middle Tap Value = 0; Last Tap Value = 0"},
    {"RW1", "Implements an one channel random walk algorithm.", "rwx.wmf", "rw1.txt",
     "Input; Desired", "Output; PriError; PostError",
     "Numerator Coeffs = 10; Lambda = 0.999; Init = 0.00001; Random Walk Variance = 1"},
    {"RW2", "Implements a two channel random walk algorithm.", "rwx.wmf", "rw2.txt",
     "Input 1; Input 2; Desired", "Output; PriError; PostError",
     "Numerator Coeffs  1 = 10; Numerator Coeffs  2 = 10; Lambda = 0.999; Init = 0.00001; "
     "Random Walk Variance = 1"},
    {"RW3", "Implements a three channel random walk algorithm.", "rwx.wmf", "rw3.txt",
     "Input 1; Input 2; Input 3; Desired", "Output; PriError; PostError",
     "Numerator Coeffs  1 = 10; Numerator Coeffs  2 = 10; Numerator Coeffs  3 = 10; "
     "Lambda = 0.999; Init = 0.00001; Random Walk Variance = 1"},
};

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find("; ", start);
    items.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return items;
    start = end + 2;
  }
}

std::vector<std::string> Names(const char* const* names, int32_t count) {
  return std::vector<std::string>(names, names + count);
}

TEST(Catalogue, FirstEntryAndHeaderHoldTheirConstants) {
  HostCatalogue host;
  USERCODE(&host.info);
  EXPECT_EQ(host.info.version, 10);
  EXPECT_EQ(host.info.tokenCount, 24);
  EXPECT_EQ(host.info.tokens, host.tokens);

  const TokenDescriptor& lms = host.tokens[0];
  EXPECT_EQ(lms.kind, 2);
  EXPECT_STREQ(lms.entryName, "LMS");
  EXPECT_STREQ(lms.displayName, "LMS");
  EXPECT_STREQ(lms.description, "Implements an one channel Feintuch's LMS algorithm.");
  EXPECT_STREQ(lms.iconFile, "lmsx.wmf");
  EXPECT_EQ(lms.inputCount, 2);
  EXPECT_EQ(lms.portKind, 1);
  EXPECT_EQ(lms.outputCount, 3);
  EXPECT_EQ(lms.parameterCount, 6);
  EXPECT_STREQ(lms.fileLabel, "Filename for Final Weights");
  EXPECT_STREQ(lms.defaultFileName, "lms.txt");

  const double genNew[] = {10, 0.999, 0.1, 1, 0.00001, 0, 0, 0};
  ASSERT_STREQ(host.tokens[9].entryName, "GenNEW");
  ASSERT_EQ(host.tokens[9].parameterCount, 8);
  for (int k = 0; k < 8; ++k) EXPECT_EQ(host.parameterDefaults[9][k], genNew[k]) << k;
}

TEST(Catalogue, EveryEntryMatchesTheTokenTables) {
  HostCatalogue host;
  USERCODE(&host.info);
  ASSERT_EQ(sizeof(kExpected) / sizeof(kExpected[0]), static_cast<size_t>(kCatalogueSize));
  for (int k = 0; k < kCatalogueSize; ++k) {
    const ExpectedToken& want = kExpected[k];
    const TokenDescriptor& got = host.tokens[k];
    SCOPED_TRACE(want.name);
    EXPECT_EQ(got.kind, 2);
    EXPECT_EQ(got.portKind, 1);
    EXPECT_STREQ(got.entryName, want.name);
    EXPECT_STREQ(got.displayName, want.name);
    EXPECT_STREQ(got.description, want.description);
    EXPECT_STREQ(got.iconFile, want.icon);
    EXPECT_STREQ(got.fileLabel, "Filename for Final Weights");
    EXPECT_STREQ(got.defaultFileName, want.file);

    const std::vector<std::string> inputs = SplitList(want.inputs);
    ASSERT_EQ(got.inputCount, static_cast<int32_t>(inputs.size()));
    EXPECT_EQ(Names(got.inputNames, got.inputCount), inputs);
    const std::vector<std::string> outputs = SplitList(want.outputs);
    ASSERT_EQ(got.outputCount, static_cast<int32_t>(outputs.size()));
    EXPECT_EQ(Names(got.outputNames, got.outputCount), outputs);

    const std::vector<std::string> parameters = SplitList(want.parameters);
    ASSERT_EQ(got.parameterCount, static_cast<int32_t>(parameters.size()));
    for (size_t p = 0; p < parameters.size(); ++p) {
      const size_t eq = parameters[p].find(" = ");
      ASSERT_NE(eq, std::string::npos);
      EXPECT_EQ(std::string(got.parameterNames[p]), parameters[p].substr(0, eq)) << p;
      const double value = std::strtod(parameters[p].c_str() + eq + 3, nullptr);
      EXPECT_EQ(got.parameterDefaults[p], value) << parameters[p];
    }
  }
}

TEST(Catalogue, LargestCountsAreTheHostArraySizes) {
  HostCatalogue host;
  USERCODE(&host.info);
  int32_t inputs = 0, outputs = 0, parameters = 0;
  for (const TokenDescriptor& d : host.tokens) {
    inputs = std::max(inputs, d.inputCount);
    outputs = std::max(outputs, d.outputCount);
    parameters = std::max(parameters, d.parameterCount);
  }
  EXPECT_EQ(inputs, kMaxInputPorts);
  EXPECT_EQ(outputs, kMaxOutputPorts);
  EXPECT_EQ(parameters, kMaxParameters);
  EXPECT_EQ(host.tokens[3].inputCount, 5);       // GenLMS_A
  EXPECT_EQ(host.tokens[13].outputCount, 4);     // QR1
  EXPECT_EQ(host.tokens[8].parameterCount, 9);   // NLMS3
}

TEST(Catalogue, HostSlotsOutsideTheCatalogueKeepTheirBytes) {
  HostCatalogue host;
  USERCODE(&host.info);
  for (int k = 0; k < kCatalogueSize; ++k) {
    const TokenDescriptor& d = host.tokens[k];
    SCOPED_TRACE(d.entryName);
    EXPECT_TRUE(IsFill(&d.hostReserved, sizeof(d.hostReserved)));
    for (int i = d.inputCount; i < kMaxInputPorts; ++i) {
      EXPECT_TRUE(IsFill(&host.inputNames[k][i], sizeof(const char*))) << i;
    }
    for (int i = d.outputCount; i < kMaxOutputPorts; ++i) {
      EXPECT_TRUE(IsFill(&host.outputNames[k][i], sizeof(const char*))) << i;
    }
    for (int i = d.parameterCount; i < kMaxParameters; ++i) {
      EXPECT_TRUE(IsFill(&host.parameterNames[k][i], sizeof(const char*))) << i;
      EXPECT_TRUE(IsFill(&host.parameterDefaults[k][i], sizeof(double))) << i;
    }
  }
}

TEST(Catalogue, RepeatedCallsGiveTheSameCatalogue) {
  HostCatalogue host;
  USERCODE(&host.info);
  std::vector<unsigned char> before(sizeof(host));
  std::memcpy(before.data(), static_cast<const void*>(&host), sizeof(host));
  USERCODE(&host.info);
  EXPECT_EQ(std::memcmp(before.data(), static_cast<const void*>(&host), sizeof(host)), 0);
}

TEST(Catalogue, AccessorAgreesWithWhatTheHostReceives) {
  HostCatalogue host;
  USERCODE(&host.info);
  const CatalogueEntry* entries = CatalogueEntries();
  for (int k = 0; k < kCatalogueSize; ++k) {
    EXPECT_EQ(entries[k].name, host.tokens[k].entryName) << k;
    EXPECT_EQ(entries[k].parameterCount, host.tokens[k].parameterCount) << k;
  }
}

}  // namespace
