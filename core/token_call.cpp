#include "core/token_call.h"

namespace adaptive {

void CallStatus::write(std::initializer_list<const char*> parts) const {
  if (errorText == nullptr) return;
  int stored = 0;
  for (const char* part : parts) {
    if (part == nullptr) continue;
    for (const char* p = part; *p != '\0' && stored < kErrorTextCapacity; ++p) errorText[stored++] = *p;
  }
  if (stored < kErrorTextCapacity) errorText[stored] = '\0';
}

}  // namespace adaptive
