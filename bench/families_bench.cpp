// Family/...: the families beyond the plug-in's catalogue, which only the
// linked library has, timed as the catalogue's tokens are (TimeHostedToken:
// the one driver, one sample per iteration, fed as a diagram feeds them),
// beside NLMS of the linked library at the same lengths: AP at orders 1 to
// 16, IPNLMS and the sign family. The comparison table gives AP's cost at
// K = 8 over K = 4, which stays near 2 (its cost grows as N·K, not N·K²).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "adaptive/library.h"
#include "bench/comparison_reporter.h"
#include "bench/registration.h"

namespace adaptive {

namespace {

std::string FamilyName(const std::string& label, int length) { return "Family/" + label + "/" + std::to_string(length); }

// `token` of the linked library at length N, its projection order (if any) K.
void Register(const std::string& label, const char* name, int length, int order = 0) {
  const TokenInfo& token = Library::linked().token(name);
  std::vector<double> parameters = ParametersWithTotalLength(token, length);
  for (size_t k : token.parametersWithRole(ParameterRole::kProjectionOrder)) parameters[k] = order;
  benchmark::RegisterBenchmark(FamilyName(label, length).c_str(), TimeHostedToken, Library::linked(), &token,
                               parameters);
}

}  // namespace

void RegisterFamilyBenchmarks() {
  const std::string section = "Affine projection: cost at K = 8 over K = 4 (N·K: about 2; at most 2.5)";
  for (int length : {256, 1024}) {
    for (int order : {1, 2, 4, 8, 16}) Register("AP-K" + std::to_string(order), "AP", length, order);
    Comparisons().push_back({section, "AP, N = " + std::to_string(length), FamilyName("AP-K8", length),
                             FamilyName("AP-K4", length)});
  }
  for (int length : {32, 256, 1024}) {
    for (const char* token : {"NLMS", "IPNLMS", "SELMS", "SDLMS", "SSLMS"}) Register(token, token, length);
  }
}

}  // namespace adaptive
