#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "api/host_catalogue_records.h"
#include "core/catalogue.h"
#include "plugin/exports.h"

namespace adaptive {

namespace {

// The host's side of a USERCODE call: every array allocated to the largest
// counts and every byte pre-set, so that untouched slots can be recognised.
struct HostCatalogue : adaptive::HostCatalogueRecords {
  static constexpr unsigned char kFill = 0xA5;
  HostCatalogue() : HostCatalogueRecords(kFill) { USERCODE(&info); }
};

bool IsFill(const void* p, size_t size) {
  const unsigned char* bytes = static_cast<const unsigned char*>(p);
  return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == HostCatalogue::kFill; });
}

std::vector<std::string> Names(const char* const* names, int32_t count) {
  return std::vector<std::string>(names, names + count);
}

// What each entry holds is in the checked-in listing (catalogue.txt beside
// this file, compared by CTest through adaptsim): here, that USERCODE hands the
// host every entry of the table whole, with the library's fixed words.
TEST(Catalogue, UsercodeCopiesEveryEntry) {
  const HostCatalogue host;
  EXPECT_EQ(host.info.version, 10);
  EXPECT_EQ(host.info.tokenCount, 24);
  EXPECT_EQ(host.info.tokens, host.tokens);
  int32_t inputs = 0, outputs = 0, parameters = 0;
  for (int k = 0; k < kCatalogueSize; ++k) {
    const CatalogueEntry& want = CatalogueEntries()[k];
    const TokenDescriptor& got = host.tokens[k];
    SCOPED_TRACE(want.name);
    EXPECT_EQ(got.kind, 2);
    EXPECT_EQ(got.portKind, 1);
    EXPECT_STREQ(got.entryName, want.name);
    EXPECT_STREQ(got.displayName, want.name);
    EXPECT_STREQ(got.description, want.description);
    EXPECT_STREQ(got.iconFile, want.iconFile);
    EXPECT_STREQ(got.fileLabel, "Filename for Final Weights");
    EXPECT_STREQ(got.defaultFileName, want.defaultFileName);
    ASSERT_EQ(got.inputCount, want.inputCount);
    EXPECT_EQ(Names(got.inputNames, got.inputCount), Names(want.inputNames, want.inputCount));
    ASSERT_EQ(got.outputCount, want.outputCount);
    EXPECT_EQ(Names(got.outputNames, got.outputCount), Names(want.outputNames, want.outputCount));
    ASSERT_EQ(got.parameterCount, want.parameterCount);
    for (int32_t p = 0; p < want.parameterCount; ++p) {
      EXPECT_STREQ(got.parameterNames[p], want.parameters[p].name);
      EXPECT_EQ(got.parameterDefaults[p], want.parameters[p].defaultValue) << want.parameters[p].name;
    }
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

}  // namespace adaptive
