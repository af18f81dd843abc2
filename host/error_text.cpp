#include "host/error_text.h"

#include "host/dispatch.h"
#include "host/records.h"

void WriteErrorText(std::initializer_list<const char*> parts) {
  if (CurrentSimContext == nullptr || CurrentSimContext->errorText == nullptr) return;
  char* out = CurrentSimContext->errorText;
  int stored = 0;
  for (const char* part : parts) {
    if (part == nullptr) continue;
    for (const char* p = part; *p != '\0' && stored < kErrorTextCapacity; ++p) out[stored++] = *p;
  }
  if (stored < kErrorTextCapacity) out[stored] = '\0';
}
