// Every token through its exported entry point with the stack misaligned as a
// 4-byte aligned host leaves it: the same status codes and output bits as
// with an aligned stack. A kernel that took a stack slot to be aligned would
// fault or, worse, read the wrong bytes.
#include <gtest/gtest.h>

#include <cstring>

#include "core/catalogue.h"
#include "tests/plugin/plugin_tokens.h"
#include "tests/support/stack_offset_call.h"
#include "plugin/exports.h"
#include "tokens/vector_lanes.h"

namespace adaptive {

namespace {

// Compares the calls at several offsets with the aligned call, for the
// catalogue defaults and for lengths of 7 per channel (the matrix kernels'
// tile edges, the QR sweep's short rows).
void ExpectSameBitsAtEveryOffset(const std::string& name, TokenEntryPoint entry, int inputs, int outputs,
                                 const std::vector<std::string>& parameterNames, const std::vector<double>& defaults) {
  std::vector<double> seven = defaults;
  for (size_t p = 0; p < seven.size(); ++p)
    if (parameterNames[p].find("Coeffs") != std::string::npos) seven[p] = 7;
  for (const std::vector<double>& parameters : {defaults, seven}) {
    SCOPED_TRACE(name + (parameters == defaults ? " at its defaults" : " with lengths of 7"));
    const std::vector<uint64_t> aligned = OutputBitsWithStackOffset(entry, inputs, outputs, parameters, 64, 0);
    ASSERT_EQ(aligned.front(), 0u) << "creation failed";
    for (int32_t offset : {4, 8, 12, 16, 20, 28})
      EXPECT_EQ(OutputBitsWithStackOffset(entry, inputs, outputs, parameters, 64, offset), aligned)
          << "stack " << offset << " bytes below a 32-byte boundary";
  }
}

TEST(StackAlignment, EveryTokenOfThePlugInGivesTheSameBitsWithAMisalignedStack) {
  std::string why;
  const std::vector<PluginToken>& tokens = PluginTokens(&why);
  ASSERT_FALSE(tokens.empty()) << why;
  // The plug-in runs the kernels that the processor allows (256-bit ones
  // where it has AVX2).
  for (const PluginToken& token : tokens)
    ExpectSameBitsAtEveryOffset(token.name, token.entry, token.inputs, token.outputs, token.parameterNames,
                                token.defaults);
}

TEST(StackAlignment, MatrixTokensGiveTheSameBitsWithAMisalignedStackAtEveryVectorWidth) {
  struct Linked {
    const char* name;
    TokenEntryPoint entry;
  };
  const Linked tokens[] = {{"GenRLS", &GenRLS}, {"RLS1", &RLS1}, {"RLS3", &RLS3}, {"GenNEW", &GenNEW}, {"NEW3", &NEW3},
                           {"RW1", &RW1},       {"RW3", &RW3},   {"QR1", &QR1},   {"QR3", &QR3}};
  for (int lanes : {2, 4, 8}) {
    const int previous = SelectKernelLanes(lanes);
    SCOPED_TRACE(testing::Message() << KernelLanes() << "-lane kernels");
    for (const auto& [name, entry] : tokens)
      for (int t = 0; t < kCatalogueSize; ++t) {
        const CatalogueEntry& e = CatalogueEntries()[t];
        if (std::strcmp(e.name, name) != 0) continue;
        std::vector<std::string> parameterNames;
        std::vector<double> defaults;
        for (int p = 0; p < e.parameterCount; ++p) {
          parameterNames.emplace_back(e.parameters[p].name);
          defaults.push_back(e.parameters[p].defaultValue);
        }
        ExpectSameBitsAtEveryOffset(name, entry, e.inputCount, e.outputCount, parameterNames, defaults);
      }
    SelectKernelLanes(previous);
  }
}

}  // namespace

}  // namespace adaptive
