#include "tokens/final_weights_name.h"

#include <cstdio>
#include <cstring>

namespace adaptive {

namespace {

// The C library's white-space set, fixed here so that the locale cannot change
// which names are trimmed.
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

const char* SkipSpace(const char* name) {
  while (IsSpace(*name)) ++name;
  return name;
}

}  // namespace

const char* FinalWeightsNameDot(const char* fileName, int channels) {
  const char* own = SkipSpace(fileName);
  if (channels > 1) {
    for (const char* p = own; *p != '\0'; ++p)
      if (*p == '/' || *p == '\\') own = p + 1;
  }
  return std::strchr(own, '.');
}

bool ComposeFinalWeightsName(const char* fileName, int channels, int channel, char (&out)[kMaxFinalWeightsName + 1]) {
  const char* base = SkipSpace(fileName);
  const char* dot = FinalWeightsNameDot(fileName, channels);
  const int baseLength = static_cast<int>(dot != nullptr ? dot - base : std::strlen(base));
  const char* extension = dot != nullptr ? dot + 1 : "txt";
  char composed[kMaxFinalWeightsName + 2];
  const int needed =
      channels == 1 ? std::snprintf(composed, sizeof composed, "%.*s.%s", baseLength, base, extension)
                    : std::snprintf(composed, sizeof composed, "%.*s%d.%s", baseLength, base, channel + 1, extension);
  const bool fits = needed >= 0 && needed <= kMaxFinalWeightsName;
  composed[kMaxFinalWeightsName] = '\0';
  std::memcpy(out, composed, kMaxFinalWeightsName + 1);
  return fits;
}

}  // namespace adaptive
