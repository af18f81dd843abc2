#include "tokens/final_weights.h"

#include <cerrno>
#include <cstring>
#include <mutex>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "core/adaptive_token.h"
#include "core/mutex.h"
#include "tokens/coefficient_text.h"
#include "tokens/parameters.h"

namespace adaptive {

namespace {

void FailOpen(CallStatus& status, const char* name) { status.fail(kStatusBadParameter, {"Problems opening ", name}); }

// Creates or empties `name` for writing text, as fopen's mode "w" does, but
// never waits: a FIFO without a reader is refused at once, and what is neither
// a regular file nor a device (a FIFO with a reader, a directory) is refused
// once opened.
std::FILE* OpenForWriting(const char* name) {
#if defined(_WIN32)
  return std::fopen(name, "w");
#else
  const int fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISCHR(info.st_mode))) {
    ::close(fd);
    return nullptr;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return nullptr;
  }
  std::FILE* file = ::fdopen(fd, "w");
  if (file == nullptr) ::close(fd);
  return file;
#endif
}

OpenFileIdentity IdentityOf([[maybe_unused]] std::FILE* file) {
  OpenFileIdentity identity;
#if !defined(_WIN32)
  struct stat info;
  if (::fstat(::fileno(file), &info) != 0) return identity;
  identity.kind = S_ISREG(info.st_mode) ? OpenFileIdentity::Kind::kRegularFile : OpenFileIdentity::Kind::kOther;
  identity.device = static_cast<uint64_t>(info.st_dev);
  identity.inode = static_cast<uint64_t>(info.st_ino);
#endif
  return identity;
}

// Closes `file`, whose data could not all be written (a full disk), and then
// empties it: it holds only what this instance wrote, and no half a number is
// left behind. The close may still write part of what stdio kept buffered,
// hence the copy of the descriptor that empties it afterwards.
void CloseEmptied(std::FILE* file) {
#if !defined(_WIN32)
  const int kept = ::dup(::fileno(file));
  std::fclose(file);
  if (kept < 0) return;
  const int emptied = ::ftruncate(kept, 0);  // refused for a device, which keeps nothing
  static_cast<void>(emptied);
  ::close(kept);
#else
  std::fclose(file);
#endif
}

// The message of a failed Close: "Problems writing " and the lost names, then
// the complete ones, as "a, b and c", cut to the host's error text.
class LossMessage {
 public:
  void list(const char* const* names, int count) {
    for (int k = 0; k < count; ++k) {
      append(k == 0 ? "" : k + 1 == count ? " and " : ", ");
      append(names[k]);
    }
  }
  void append(const char* part) {
    while (*part != '\0' && length < kErrorTextCapacity) text[length++] = *part++;
    text[length] = '\0';
  }
  const char* str() const { return text; }

 private:
  char text[kErrorTextCapacity + 1] = {};
  int length = 0;
};

// The live instances with open files, and the lock that guards the list and
// every instance's links in it.
Mutex liveLock;
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
  delist();
  for (std::FILE*& f : files) {
    if (f != nullptr) std::fclose(f);
    f = nullptr;
  }
}

void FinalWeightsFiles::enlist(int channel, std::FILE* file) {
  const OpenFileIdentity identity = IdentityOf(file);
  std::lock_guard<Mutex> hold(liveLock);
  files[channel] = file;
  identities[channel] = identity;
  if (listing != Listing::kNone) return;
  next = liveHead;
  if (liveHead != nullptr) liveHead->previous = this;
  liveHead = this;
  listing = Listing::kListed;
}

void FinalWeightsFiles::unlink() {
  if (previous != nullptr) previous->next = next;
  else liveHead = next;
  if (next != nullptr) next->previous = previous;
  previous = next = nullptr;
}

void FinalWeightsFiles::delist() {
  std::lock_guard<Mutex> hold(liveLock);
  if (listing != Listing::kListed) return;
  unlink();
  listing = Listing::kNone;
}

bool FinalWeightsFiles::sameFile(int c, const FinalWeightsFiles& other, int d) const {
  using Kind = OpenFileIdentity::Kind;
  const OpenFileIdentity& mine = identities[c];
  const OpenFileIdentity& theirs = other.identities[d];
  if (mine.kind == Kind::kOther || theirs.kind == Kind::kOther) return false;
  if (std::strcmp(names[c], other.names[d]) == 0) return true;
  return mine.kind == Kind::kRegularFile && theirs.kind == Kind::kRegularFile && mine.device == theirs.device &&
         mine.inode == theirs.inode;
}

bool FinalWeightsFiles::isHeldByAnother(int channel) const {
  for (const FinalWeightsFiles* other = liveHead; other != nullptr; other = other->next) {
    if (other == this) continue;
    for (int d = 0; d < kMaxChannels; ++d)
      if (other->files[d] != nullptr && sameFile(channel, *other, d)) return true;
  }
  return false;
}

void FinalWeightsFiles::claim() {
  std::lock_guard<Mutex> hold(liveLock);
  if (listing == Listing::kClaimed) return;
  if (listing == Listing::kListed) {
    for (int c = 0; c < kMaxChannels; ++c) heldByAnother[c] = files[c] != nullptr && isHeldByAnother(c);
    unlink();
  }
  listing = Listing::kClaimed;
}

std::FILE* FinalWeightsFiles::target(int channel) {
  claim();
  return heldByAnother[channel] ? nullptr : files[channel];
}

bool FinalWeightsFiles::open(int channels, const TokenSetup& setup) {
  char* fileName = setup.fileName;
  if (fileName == nullptr || fileName[0] == '\0') return true;
  bool fits[kMaxChannels] = {};
  for (int c = 0; c < channels; ++c) fits[c] = ComposeFinalWeightsName(fileName, channels, c, names[c]);
  if (char* dot = FinalWeightsNameDot(fileName, channels)) *dot = '\0';
  for (int c = 0; c < channels; ++c) {
    if (!fits[c]) {
      FailOpen(setup.status, names[c]);  // the name cut to what fits
      names[c][0] = '\0';
      return false;
    }
    std::FILE* file = OpenForWriting(names[c]);
    if (file == nullptr) {
      FailOpen(setup.status, names[c]);
      return false;
    }
    enlist(c, file);
  }
  return true;
}

void FinalWeightsFiles::writeAndClose(const AdaptiveToken& token, CallStatus& status) {
  if (isOpen(0) && !token.reportCoefficients(*this)) ReportStorageFailure(status);
  close(status);
}

void FinalWeightsFiles::addChannel(int channel, const double* numerator, int32_t count, DenominatorSection section,
                                const double* feedback, int32_t feedbackCount) {
  std::FILE* f = target(channel);
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

void FinalWeightsFiles::addUndetermined(int channel, int32_t) {
  if (std::FILE* f = target(channel)) std::fputs("Matrix close to singular...\n", f);
}

void FinalWeightsFiles::close(CallStatus& status) {
  claim();
  const char* lost[kMaxChannels];
  const char* complete[kMaxChannels];
  int lostCount = 0;
  int completeCount = 0;
  for (int c = 0; c < kMaxChannels; ++c) {
    std::FILE* f = files[c];
    if (f == nullptr) continue;
    bool failed = target(c) == nullptr;
    bool unwritten = false;
    if (!failed) {
      unwritten = std::fflush(f) != 0 || std::ferror(f) != 0;
      failed = unwritten || !StillHoldsWrittenData(names[c], f);
    }
    if (unwritten) CloseEmptied(f);
    else failed = std::fclose(f) != 0 || failed;
    files[c] = nullptr;
    if (failed) lost[lostCount++] = names[c];
    else complete[completeCount++] = names[c];
  }
  if (lostCount == 0) return;
  LossMessage message;
  message.append("Problems writing ");
  message.list(lost, lostCount);
  if (completeCount > 0) {
    message.append("; ");
    message.list(complete, completeCount);
    message.append(completeCount == 1 ? " is complete" : " are complete");
  }
  status.fail(kStatusBadParameter, {message.str()});
}

}  // namespace adaptive
