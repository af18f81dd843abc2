#include "fuzz/linked_tokens.h"

#include <vector>

#define ADAPTIVE_WEAK_ENTRY(NAME) \
  extern "C" int32_t ADAPTIVE_CALL NAME(SimContext*, TokenRecord*) __attribute__((weak));
ADAPTIVE_WEAK_ENTRY(LMS)
ADAPTIVE_WEAK_ENTRY(LMS2)
ADAPTIVE_WEAK_ENTRY(LMS3)
ADAPTIVE_WEAK_ENTRY(GenLMS_A)
ADAPTIVE_WEAK_ENTRY(GenLMS_B)
ADAPTIVE_WEAK_ENTRY(GenNLMS)
ADAPTIVE_WEAK_ENTRY(NLMS)
ADAPTIVE_WEAK_ENTRY(NLMS2)
ADAPTIVE_WEAK_ENTRY(NLMS3)
ADAPTIVE_WEAK_ENTRY(GenNEW)
ADAPTIVE_WEAK_ENTRY(NEW)
ADAPTIVE_WEAK_ENTRY(NEW2)
ADAPTIVE_WEAK_ENTRY(NEW3)
ADAPTIVE_WEAK_ENTRY(QR1)
ADAPTIVE_WEAK_ENTRY(QR2)
ADAPTIVE_WEAK_ENTRY(QR3)
ADAPTIVE_WEAK_ENTRY(GenRLS)
ADAPTIVE_WEAK_ENTRY(RLS1)
ADAPTIVE_WEAK_ENTRY(RLS2)
ADAPTIVE_WEAK_ENTRY(RLS3)
ADAPTIVE_WEAK_ENTRY(GenRW)
ADAPTIVE_WEAK_ENTRY(RW1)
ADAPTIVE_WEAK_ENTRY(RW2)
ADAPTIVE_WEAK_ENTRY(RW3)
#undef ADAPTIVE_WEAK_ENTRY

extern "C" void ADAPTIVE_CALL USERCODE(LibraryInfo*) __attribute__((weak));

const LinkedToken* LinkedTokens() {
  static const LinkedToken tokens[kLinkedTokenCount] = {
      {"LMS", LMS, 2, 3},         {"LMS2", LMS2, 3, 3},   {"LMS3", LMS3, 4, 3},
      {"GenLMS_A", GenLMS_A, 5, 1}, {"GenLMS_B", GenLMS_B, 3, 1}, {"GenNLMS", GenNLMS, 3, 1},
      {"NLMS", NLMS, 2, 3},       {"NLMS2", NLMS2, 3, 3}, {"NLMS3", NLMS3, 4, 3},
      {"GenNEW", GenNEW, 2, 1},   {"NEW", NEW, 2, 3},     {"NEW2", NEW2, 3, 3},
      {"NEW3", NEW3, 4, 3},       {"QR1", QR1, 2, 4},     {"QR2", QR2, 3, 4},
      {"QR3", QR3, 4, 4},         {"GenRLS", GenRLS, 2, 1}, {"RLS1", RLS1, 2, 3},
      {"RLS2", RLS2, 3, 3},       {"RLS3", RLS3, 4, 3},   {"GenRW", GenRW, 2, 1},
      {"RW1", RW1, 2, 3},         {"RW2", RW2, 3, 3},     {"RW3", RW3, 4, 3},
  };
  return tokens;
}

const LibraryInfo* LinkedCatalogue() {
  struct Catalogue {
    LibraryInfo info{};
    std::vector<TokenDescriptor> descriptors;
    std::vector<const char*> names;
    std::vector<double> defaults;
  };
  static Catalogue* catalogue = [] {
    if (USERCODE == nullptr) return static_cast<Catalogue*>(nullptr);
    // The host allocates every array at the catalogue's largest counts.
    auto* c = new Catalogue;
    c->descriptors.resize(kCatalogueSize);
    c->names.resize(kCatalogueSize * (kMaxInputPorts + kMaxOutputPorts + kMaxParameters));
    c->defaults.resize(kCatalogueSize * kMaxParameters);
    for (int t = 0; t < kCatalogueSize; ++t) {
      TokenDescriptor& d = c->descriptors[t];
      const char** names = &c->names[t * (kMaxInputPorts + kMaxOutputPorts + kMaxParameters)];
      d.inputNames = names;
      d.outputNames = names + kMaxInputPorts;
      d.parameterNames = names + kMaxInputPorts + kMaxOutputPorts;
      d.parameterDefaults = &c->defaults[t * kMaxParameters];
    }
    c->info.tokens = c->descriptors.data();
    USERCODE(&c->info);
    return c;
  }();
  return catalogue != nullptr ? &catalogue->info : nullptr;
}
