#include "tokens/entry_points.h"

#include <cstring>

namespace adaptive {

TokenFactory FindTokenFactory(const char* name) {
  struct Entry {
    const char* name;
    TokenFactory factory;
  };
#define ADAPTIVE_FACTORY_ROW(NAME) {#NAME, &Create##NAME},
  static constexpr Entry kEntries[] = {ADAPTIVE_FOR_EACH_ENTRY(ADAPTIVE_FACTORY_ROW)};
#undef ADAPTIVE_FACTORY_ROW
  for (const Entry& e : kEntries)
    if (std::strcmp(e.name, name) == 0) return e.factory;
  return nullptr;
}

}  // namespace adaptive
