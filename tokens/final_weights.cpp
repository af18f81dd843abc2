#include "tokens/final_weights.h"

#include <cerrno>
#include <cstring>

#include "host/dispatch.h"
#include "host/error_text.h"
#include "tokens/coefficient_text.h"

namespace {

// The C library's white-space set, fixed here so that the locale cannot change
// which names are trimmed.
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

void FailOpen(const char* name) {
  WriteErrorText({"Problems opening ", name});
  TokenStatus = kStatusBadParameter;
}

FinalWeightsFiles* liveHead = nullptr;

// Whether the file now found under `name` is the one that `written` was
// flushed to: it exists and has the length written. What cannot be told (a
// file that may be written but not read, a device, a length beyond what a
// long holds) is taken as written.
bool StillHoldsWrittenData(const char* name, std::FILE* written) {
  const long length = std::ftell(written);
  errno = 0;
  std::FILE* found = std::fopen(name, "rb");
  if (found == nullptr) return errno != ENOENT;
  bool same = true;
  if (length >= 0 && std::fseek(found, 0, SEEK_END) == 0) {
    const long size = std::ftell(found);
    same = size < 0 || size == length;
  }
  std::fclose(found);
  return same;
}

}  // namespace

FinalWeightsFiles::~FinalWeightsFiles() {
  for (std::FILE*& f : files) {
    if (f != nullptr) std::fclose(f);
    f = nullptr;
  }
  Delist();
}

void FinalWeightsFiles::Enlist() {
  if (enlisted) return;
  next = liveHead;
  if (liveHead != nullptr) liveHead->previous = this;
  liveHead = this;
  enlisted = true;
}

void FinalWeightsFiles::Delist() {
  if (!enlisted) return;
  if (previous != nullptr) previous->next = next;
  else liveHead = next;
  if (next != nullptr) next->previous = previous;
  previous = next = nullptr;
  enlisted = false;
}

bool FinalWeightsFiles::HeldByAnother(const char* name) const {
  for (const FinalWeightsFiles* other = liveHead; other != nullptr; other = other->next) {
    if (other == this) continue;
    for (int c = 0; c < kMaxChannels; ++c)
      if (other->files[c] != nullptr && std::strcmp(other->names[c], name) == 0) return true;
  }
  return false;
}

std::FILE* FinalWeightsFiles::Target(int channel) const {
  std::FILE* f = files[channel];
  return f != nullptr && !HeldByAnother(names[channel]) ? f : nullptr;
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
    Enlist();
  }
  return true;
}

void FinalWeightsFiles::WriteCoefficients(int channel, const double* numerator, int32_t count,
                                          DenominatorSection section, const double* feedback,
                                          int32_t feedbackCount) {
  std::FILE* f = Target(channel);
  if (f == nullptr) return;
  std::fprintf(f, "Numerator Coefficients =%d\n", count);
  for (int32_t i = 0; i < count; ++i) WriteCoefficientLine(f, numerator[i]);
  switch (section) {
    case DenominatorSection::General:
      std::fputs("Denominator Coefficients =1\n1\n", f);
      break;
    case DenominatorSection::Transversal:
      std::fputs("\nDenominator Coefficients =1\n1\n", f);
      break;
    case DenominatorSection::Recursive:
      std::fprintf(f, "\nDenominator Coefficients =%d\n1\n", feedbackCount + 1);
      for (int32_t j = 0; j < feedbackCount; ++j) WriteCoefficientLine(f, -feedback[j]);
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
  if (std::FILE* f = Target(channel)) std::fputs(text, f);
}

void FinalWeightsFiles::Close() {
  bool reported = false;
  for (int c = 0; c < kMaxChannels; ++c) {
    std::FILE* f = files[c];
    if (f == nullptr) continue;
    bool failed = Target(c) == nullptr;
    if (!failed) failed = std::fflush(f) != 0 || std::ferror(f) != 0 || !StillHoldsWrittenData(names[c], f);
    failed = std::fclose(f) != 0 || failed;
    files[c] = nullptr;
    if (failed && !reported) {
      WriteErrorText({"Problems writing ", names[c]});
      TokenStatus = kStatusBadParameter;
      reported = true;
    }
  }
  Delist();
}
