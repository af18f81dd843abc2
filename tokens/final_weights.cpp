#include "tokens/final_weights.h"

#include <cstring>

#include "host/dispatch.h"
#include "host/error_text.h"

namespace {

// The C library's white-space set, fixed here so that the locale cannot change
// which names are trimmed.
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

void FailOpen(const char* name) {
  WriteErrorText({"Problems opening ", name});
  TokenStatus = kStatusBadParameter;
}

}  // namespace

FinalWeightsFiles::~FinalWeightsFiles() {
  for (std::FILE*& f : files) {
    if (f != nullptr) std::fclose(f);
    f = nullptr;
  }
}

bool FinalWeightsFiles::Open(int channels) {
  char* fileName = CurrentTokenRecord->fileName;
  if (fileName == nullptr || fileName[0] == '\0') return true;
  char* base = fileName;
  while (IsSpace(*base)) ++base;
  const char* extension = "txt";
  if (char* dot = std::strchr(base, '.')) {
    *dot = '\0';
    extension = dot + 1;
  }
  for (int c = 0; c < channels; ++c) {
    char composed[kMaxNameLength + 2];
    const int needed = channels == 1
                           ? std::snprintf(composed, sizeof composed, "%s.%s", base, extension)
                           : std::snprintf(composed, sizeof composed, "%s%d.%s", base, c + 1, extension);
    if (needed < 0 || needed > kMaxNameLength) {
      composed[kMaxNameLength] = '\0';  // report the name cut to what fits
      FailOpen(composed);
      return false;
    }
    std::memcpy(names[c], composed, static_cast<size_t>(needed) + 1);
    files[c] = std::fopen(names[c], "w");
    if (files[c] == nullptr) {
      FailOpen(names[c]);
      return false;
    }
  }
  return true;
}

void FinalWeightsFiles::WriteCoefficients(int channel, const double* numerator, int32_t count,
                                          DenominatorSection section, const double* feedback,
                                          int32_t feedbackCount) {
  std::FILE* f = files[channel];
  if (f == nullptr) return;
  std::fprintf(f, "Numerator Coefficients =%d\n", count);
  for (int32_t i = 0; i < count; ++i) std::fprintf(f, "%20.15E\n", numerator[i]);
  switch (section) {
    case DenominatorSection::General:
      std::fputs("Denominator Coefficients =1\n1\n", f);
      break;
    case DenominatorSection::Transversal:
      std::fputs("\nDenominator Coefficients =1\n1\n", f);
      break;
    case DenominatorSection::Recursive:
      std::fprintf(f, "\nDenominator Coefficients =%d\n1\n", feedbackCount + 1);
      for (int32_t j = 0; j < feedbackCount; ++j) std::fprintf(f, "%20.15E\n", -feedback[j]);
      break;
  }
}

void FinalWeightsFiles::WriteChannelBlocks(const double* coefficients, const int32_t* lengths, int channels) {
  int32_t start = 0;
  for (int c = 0; c < channels && IsOpen(c); ++c) {
    WriteCoefficients(c, coefficients + start, lengths[c], DenominatorSection::Transversal);
    start += lengths[c];
  }
}

void FinalWeightsFiles::WriteText(int channel, const char* text) {
  if (files[channel] != nullptr) std::fputs(text, files[channel]);
}

void FinalWeightsFiles::Close() {
  bool reported = false;
  for (int c = 0; c < kMaxChannels; ++c) {
    if (files[c] == nullptr) continue;
    const bool writeFailed = std::ferror(files[c]) != 0;
    const bool closeFailed = std::fclose(files[c]) != 0;
    files[c] = nullptr;
    if ((writeFailed || closeFailed) && !reported) {
      WriteErrorText({"Problems writing ", names[c]});
      TokenStatus = kStatusBadParameter;
      reported = true;
    }
  }
}
