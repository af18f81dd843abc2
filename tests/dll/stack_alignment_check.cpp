// The stack alignment check of the Windows plug-in, for Windows or Wine
// (.ci/cross-build-check.sh runs it): every token of adaptive.dll, loaded the
// way the simulator loads it, called through its entry point with the stack
// 4, 8, …, 28 bytes below a 32-byte boundary, must give the status codes and
// output bits of the aligned call. The DLL picks its kernels from the
// processor, so on a processor with AVX2 this covers the 256-bit ones.
//   stack_alignment_check [PATH-OF-adaptive.dll]
// Exit status 0 when every call agrees, 1 otherwise.
#include <cstdio>
#include <memory>
#include <string>

#include "adaptsim/hosting/plugin.h"
#include "tests/support/stack_offset_call.h"
#include "api/library_source.h"

namespace adaptive {

}  // namespace adaptive

using namespace adaptive;

int main(int argc, char** argv) {
  std::string error;
  const std::unique_ptr<Plugin> plugin = Plugin::load(argc > 1 ? argv[1] : DefaultPluginPath(), &error);
  if (!plugin) {
    std::fprintf(stderr, "cannot use the plug-in: %s\n", error.c_str());
    return 1;
  }
  int failures = 0;
  int checked = 0;
  for (const TokenInfo& token : plugin->catalogue()) {
    const TokenEntryPoint entry = adaptive::EntryPointOf(plugin->tokenLibrary(), token.name);
    if (entry == nullptr) continue;
    std::vector<double> seven = token.parameterDefaults;
    for (size_t p = 0; p < seven.size(); ++p)
      if (token.parameterNames[p].find("Coeffs") != std::string::npos) seven[p] = 7;
    const int inputs = static_cast<int>(token.inputNames.size());
    const int outputs = static_cast<int>(token.outputNames.size());
    for (const std::vector<double>& parameters : {token.parameterDefaults, seven}) {
      const std::vector<uint64_t> aligned = OutputBitsWithStackOffset(entry, inputs, outputs, parameters, 64, 0);
      for (int32_t offset : {4, 8, 12, 16, 20, 28}) {
        ++checked;
        if (aligned.front() != 0 ||
            OutputBitsWithStackOffset(entry, inputs, outputs, parameters, 64, offset) != aligned) {
          std::printf("FAIL: %s (%s) with the stack %d bytes below a 32-byte boundary\n", token.name.c_str(),
                      parameters == seven ? "lengths of 7" : "defaults", static_cast<int>(offset));
          ++failures;
        }
      }
    }
  }
  std::printf("stack alignment: %d of %d misaligned runs gave the aligned run's bits\n", checked - failures, checked);
  return failures == 0 && checked > 0 ? 0 : 1;
}
