#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <sstream>
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
    USERCODE(&info);
  }
};

bool IsFill(const void* p, size_t size) {
  const unsigned char* bytes = static_cast<const unsigned char*>(p);
  return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == HostCatalogue::kFill; });
}

// One row of the token tables; lists are separated by ';' and parameters
// written "name=default".
struct ExpectedToken {
  const char* name;
  const char* description;
  const char* icon;
  const char* file;
  const char* inputs;
  const char* outputs;
  const char* parameters;
};

const char kIn1[] = "Input;Desired", kIn2[] = "Input 1;Input 2;Desired", kIn3[] = "Input 1;Input 2;Input 3;Desired";
const char kGenIn[] = "Input;- de/dw;Error", kGenOut[] = "Output";
const char kOut3[] = "Output;PriError;PostError", kOut4[] = "Output;PriError;PostError;Gamma";

const ExpectedToken kExpected[] = {
    {"LMS", "Implements an one channel Feintuch's LMS algorithm.", "lmsx.wmf", "lms.txt", kIn1, kOut3,
     "Numerator Coeffs=10;Mu Forward=0.01;Leakage Forward=1;Denominator Coeffs=1;Mu Backward=0.01;Leakage Backward=1"},
    {"LMS2", "Implements a two channel LMS algorithm.", "lmsx.wmf", "lms2.txt", kIn2, kOut3,
     "Numerator Coeffs  1=10;Mu 1=0.01;Leakage 1=1;Numerator Coeffs  2=10;Mu 2=0.01;Leakage 2=1"},
    {"LMS3", "Implements a three channel LMS algorithm.", "lmsx.wmf", "lms3.txt", kIn3, kOut3,
     "Numerator Coeffs  1=10;Mu 1=0.01;Leakage 1=1;Numerator Coeffs  2=10;Mu 2=0.01;Leakage 2=1;"
     "Numerator Coeffs  3=10;Mu 3=0.01;Leakage 3=1"},
    {"GenLMS_A", "Implements an FIR General LMS algorithm.", "lmsx.wmf", "genlms_a.txt",
     "Input;- de/dw;Error;Mu;Leakage", kGenOut,
     "Numerator Coeffs=10;First Tap Value=0;Middle Tap Value=0;Last Tap Value=0"},
    {"GenLMS_B", "Implements an FIR General LMS algorithm.", "lmsx.wmf", "genlms_b.txt", kGenIn, kGenOut,
     "Numerator Coeffs=10;Mu=0.01;Leakage Factor=1;First Tap Value=0;Middle Tap Value=0;Last Tap Value=0"},
    {"GenNLMS", "Implements an FIR General NLMS algorithm.", "nlmsx.wmf", "gennlms.txt", kGenIn, kGenOut,
     "Numerator Coeffs=10;Mu=0.5;Leakage Factor=1;First Tap Value=0;Middle Tap Value=0;Last Tap Value=0"},
    {"NLMS", "Implements an one channel normalised LMS algorithm.", "nlmsx.wmf", "nlms.txt", kIn1, kOut3,
     "Numerator Coeffs=10;Mu Forward=0.5;Leakage Forward=1;Denominator Coeffs=1;Mu Backward=0.5;Leakage Backward=1"},
    {"NLMS2", "Implements an two channel normalised LMS algorithm.", "nlmsx.wmf", "nlms2.txt", kIn2, kOut3,
     "Numerator Coeffs  1=10;Mu 1=0.5;Leakage 1=1;Numerator Coeffs  2=10;Mu 2=0.5;Leakage 2=1"},
    {"NLMS3", "Implements an three channel normalised LMS algorithm.", "nlmsx.wmf", "nlms3.txt", kIn3, kOut3,
     "Numerator Coeffs  1=10;Mu 1=0.5;Leakage 1=1;Numerator Coeffs  2=10;Mu 2=0.5;Leakage 2=1;"
     "Numerator Coeffs  3=10;Mu 3=0.5;Leakage 3=1"},
    {"GenNEW", "Implements an one channel general Newton algorithm.", "newx.wmf", "gennew.txt", "Input;Error", kGenOut,
     "Numerator Coeffs=10;Lambda=0.999;Mu=0.1;Leakage=1;Init=0.00001;First Tap Value=0;Middle Tap Value=0;"
     "Last Tap Value=0"},
    {"NEW", "Implements an one channel Newton algorithm.", "newx.wmf", "new.txt", kIn1, kOut3,
     "Numerator Coeffs=10;Denominator Coeffs=1;Lambda=0.999;Mu=0.1;Leakage=1;Init=0.00001"},
    {"NEW2", "Implements a two channel Newton algorithm.", "newx.wmf", "new2.txt", kIn2, kOut3,
     "Numerator Coeffs  1=10;Numerator Coeffs  2=10;Lambda=0.999;Mu=0.1;Leakage=1;Init=0.00001"},
    {"NEW3", "Implements a three channel Newton algorithm.", "newx.wmf", "new3.txt", kIn3, kOut3,
     "Numerator Coeffs  1=10;Numerator Coeffs  2=10;Numerator Coeffs  3=10;Lambda=0.999;Mu=0.1;Leakage=1;Init=0.00001"},
    {"QR1", "Implements an one channel QR algorithm.", "qrx.wmf", "qr1.txt", kIn1, kOut4,
     "Numerator Coeffs=10;Lambda=0.999"},
    {"QR2", "Implements a two channel QR algorithm.", "qrx.wmf", "qr2.txt", kIn2, kOut4,
     "Numerator Coeffs  1=10;Numerator Coeffs  2=10;Lambda=0.999"},
    {"QR3", "Implements a three channel QR algorithm.", "qrx.wmf", "qr3.txt", kIn3, kOut4,
     "Numerator Coeffs  1=10;Numerator Coeffs  2=10;Numerator Coeffs  3=10;Lambda=0.999"},
    {"GenRLS", "Implements a general RLS algorithm.", "rlsx.wmf", "genrls.txt", "Input;Error", kGenOut,
     "Numerator Coeffs=10;Lambda=0.999;Init=0.00001;First Tap Value=0;Middle Tap Value=0;Last Tap Value=0"},
    {"RLS1", "Implements an one channel RLS algorithm.", "rlsx.wmf", "rls1.txt", kIn1, kOut3,
     "Numerator Coeffs=10;Lambda=0.999;Init=0.00001"},
    {"RLS2", "Implements a two channel RLS algorithm.", "rlsx.wmf", "rls2.txt", kIn2, kOut3,
     "Numerator Coeffs  1=10;Numerator Coeffs  2=10;Lambda=0.999;Init=0.00001"},
    {"RLS3", "Implements a three channel RLS algorithm.", "rlsx.wmf", "rls3.txt", kIn3, kOut3,
     "Numerator Coeffs  1=10;Numerator Coeffs  2=10;Numerator Coeffs  3=10;Lambda=0.999;Init=0.00001"},
    {"GenRW", "Implements a general RW algorithm.", "rwx.wmf", "genrw.txt", "Input;Error", kGenOut,
     "Numerator Coeffs=10;Lambda=0.999;Init=0.00001;Random Walk Variance=1;First Tap Value=0;Middle Tap Value=0;"
     "Last Tap Value=0"},
    {"RW1", "Implements an one channel random walk algorithm.", "rwx.wmf", "rw1.txt", kIn1, kOut3,
     "Numerator Coeffs=10;Lambda=0.999;Init=0.00001;Random Walk Variance=1"},
    {"RW2", "Implements a two channel random walk algorithm.", "rwx.wmf", "rw2.txt", kIn2, kOut3,
     "Numerator Coeffs  1=10;Numerator Coeffs  2=10;Lambda=0.999;Init=0.00001;Random Walk Variance=1"},
    {"RW3", "Implements a three channel random walk algorithm.", "rwx.wmf", "rw3.txt", kIn3, kOut3,
     "Numerator Coeffs  1=10;Numerator Coeffs  2=10;Numerator Coeffs  3=10;Lambda=0.999;Init=0.00001;"
     "Random Walk Variance=1"},
};

std::vector<std::string> Split(const char* list) {
  std::vector<std::string> items;
  std::istringstream in(list);
  for (std::string item; std::getline(in, item, ';');) items.push_back(item);
  return items;
}

std::vector<std::string> Names(const char* const* names, int32_t count) {
  return std::vector<std::string>(names, names + count);
}

TEST(Catalogue, EveryEntryMatchesTheTokenTables) {
  const HostCatalogue host;
  EXPECT_EQ(host.info.version, 10);
  EXPECT_EQ(host.info.tokenCount, 24);
  EXPECT_EQ(host.info.tokens, host.tokens);
  ASSERT_EQ(std::size(kExpected), static_cast<size_t>(kCatalogueSize));
  int32_t inputs = 0, outputs = 0, parameters = 0;
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
    ASSERT_EQ(got.inputCount, static_cast<int32_t>(Split(want.inputs).size()));
    EXPECT_EQ(Names(got.inputNames, got.inputCount), Split(want.inputs));
    ASSERT_EQ(got.outputCount, static_cast<int32_t>(Split(want.outputs).size()));
    EXPECT_EQ(Names(got.outputNames, got.outputCount), Split(want.outputs));
    const std::vector<std::string> settings = Split(want.parameters);
    ASSERT_EQ(got.parameterCount, static_cast<int32_t>(settings.size()));
    for (size_t p = 0; p < settings.size(); ++p) {
      const size_t eq = settings[p].find('=');
      EXPECT_EQ(settings[p].substr(0, eq), got.parameterNames[p]);
      EXPECT_EQ(std::strtod(settings[p].c_str() + eq + 1, nullptr), got.parameterDefaults[p]) << settings[p];
    }
    // The library's own accessor is the table USERCODE copies from.
    EXPECT_STREQ(CatalogueEntries()[k].name, got.entryName);
    EXPECT_EQ(CatalogueEntries()[k].parameterCount, got.parameterCount);
    inputs = std::max(inputs, got.inputCount);
    outputs = std::max(outputs, got.outputCount);
    parameters = std::max(parameters, got.parameterCount);
  }
  // The largest counts are the sizes a host allocates for every token.
  EXPECT_EQ(inputs, kMaxInputPorts);
  EXPECT_EQ(outputs, kMaxOutputPorts);
  EXPECT_EQ(parameters, kMaxParameters);
}

TEST(Catalogue, WritesTheSameCatalogueEachTimeAndNoHostSlotBeyondIt) {
  HostCatalogue host;
  for (int k = 0; k < kCatalogueSize; ++k) {
    const TokenDescriptor& d = host.tokens[k];
    SCOPED_TRACE(d.entryName);
    ASSERT_TRUE(d.inputCount <= kMaxInputPorts && d.outputCount <= kMaxOutputPorts);
    ASSERT_LE(d.parameterCount, kMaxParameters);
    EXPECT_TRUE(IsFill(&d.hostReserved, sizeof(d.hostReserved)));
    EXPECT_TRUE(IsFill(&host.inputNames[k][d.inputCount], sizeof(const char*) * (kMaxInputPorts - d.inputCount)));
    EXPECT_TRUE(IsFill(&host.outputNames[k][d.outputCount], sizeof(const char*) * (kMaxOutputPorts - d.outputCount)));
    const size_t unused = static_cast<size_t>(kMaxParameters - d.parameterCount);
    EXPECT_TRUE(IsFill(&host.parameterNames[k][d.parameterCount], sizeof(const char*) * unused));
    EXPECT_TRUE(IsFill(&host.parameterDefaults[k][d.parameterCount], sizeof(double) * unused));
  }
  std::vector<unsigned char> before(sizeof(host));
  std::memcpy(before.data(), static_cast<const void*>(&host), sizeof(host));
  USERCODE(&host.info);
  EXPECT_EQ(std::memcmp(before.data(), static_cast<const void*>(&host), sizeof(host)), 0);
}

}  // namespace
