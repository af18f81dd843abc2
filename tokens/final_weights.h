// The final-weights files of a token: one small text file per filter channel,
// named from the instance's file name at construction and filled with the
// coefficients reached when the instance is destroyed.
//
// Diagrams easily give several live instances one name (every block of a kind
// defaults to the same one). Each open file is therefore listed process-wide
// by its composed name and, where the system tells it, by the file it opened
// (device and inode), so that "w.txt", "./w.txt" and a link to it are one
// file, while a device such as /dev/null is never shared; only the last
// instance to be destroyed writes a shared file: the
// earlier ones leave it alone and report their data lost instead of writing
// coefficients that the later one would overwrite in part.
// The list is guarded, so instances on several threads see the outcomes that
// one thread would see in the order in which they finish.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/coefficient_sink.h"
#include "core/token_call.h"
#include "tokens/final_weights_name.h"

namespace adaptive {

class AdaptiveToken;

// What an open handle writes: a regular file known by its device and inode,
// anything else (a device, which takes any number of writers), or, where the
// system does not tell (Windows), unknown.
struct OpenFileIdentity {
  enum class Kind : uint8_t { kUnknown, kRegularFile, kOther };
  Kind kind = Kind::kUnknown;
  uint64_t device = 0;
  uint64_t inode = 0;
};

class FinalWeightsFiles : public CoefficientSink {
 public:
  static constexpr int kMaxChannels = 3;

  FinalWeightsFiles() = default;
  ~FinalWeightsFiles();
  FinalWeightsFiles(const FinalWeightsFiles&) = delete;
  FinalWeightsFiles& operator=(const FinalWeightsFiles&) = delete;

  // Opens one file for a one-channel token ("base.ext") or one per channel
  // ("base1.ext", ...) from setup.fileName (tokens/final_weights_name.h),
  // whose dot is then replaced by a NUL in place. An empty name opens
  // nothing. A name that is not a regular file or a device (a FIFO, a
  // directory) is refused without waiting for it. On failure writes
  // "Problems opening " and the name, sets the status to 1 and returns false;
  // files opened before stay open.
  bool open(int channels, const TokenSetup& setup);

  bool isOpen(int channel) const { return files[channel] != nullptr; }

  // What `token` reports (AdaptiveToken::reportCoefficients) written into
  // the files, when any is open, then Close. Files open in channel order and
  // only once all storage exists, so a token with an open file has its
  // coefficients. A report short of storage fails with the storage message.
  void writeAndClose(const AdaptiveToken& token, CallStatus& status);

  // Writes a channel's numerator section (count coefficients) and its
  // denominator section; the recursive form lists the feedback coefficients
  // negated. Does nothing for a channel whose file is not open.
  void addChannel(int channel, const double* numerator, int32_t count, DenominatorSection section,
               const double* feedback = nullptr, int32_t feedbackCount = 0) override;
  // Writes "Matrix close to singular..." into a channel's file (when open).
  void addUndetermined(int channel, int32_t count) override;

  // Closes every open file in channel order. Reported with status 1 and
  // "Problems writing " followed by every such name, and then the names of
  // the instance's other files, which are complete ("Problems writing w2.txt
  // and w3.txt; w1.txt is complete"): a file that could not be fully written
  // or closed (a full disk: it is left empty rather than cut off), one that
  // no longer holds what was written under its name (deleted or replaced
  // meanwhile), and one left unwritten because another live instance holds
  // the same file and will write it later.
  void close(CallStatus& status);

 private:
  // The handle to write channel c through: null when the channel's file is
  // not open or when another live instance holds the same name.
  std::FILE* target(int channel);
  // Once, at the first write or at Close: notes which open files another live
  // instance holds and leaves the list, in one step under the list's lock.
  void claim();
  bool isHeldByAnother(int channel) const;
  // Whether channel c of this instance and channel d of `other` are one file.
  bool sameFile(int c, const FinalWeightsFiles& other, int d) const;
  // Keeps `file` and its identity as channel `channel`'s and lists the
  // instance.
  void enlist(int channel, std::FILE* file);
  void delist();
  // Takes the instance out of the list; the caller holds the list's lock.
  void unlink();

  std::FILE* files[kMaxChannels] = {};
  char names[kMaxChannels][kMaxFinalWeightsName + 1] = {};
  // The regular file each channel opened, where the system tells it.
  OpenFileIdentity identities[kMaxChannels];
  // The process-wide list of instances with open files.
  FinalWeightsFiles* previous = nullptr;
  FinalWeightsFiles* next = nullptr;
  enum class Listing : uint8_t { kNone, kListed, kClaimed };
  Listing listing = Listing::kNone;
  // Set by Claim: channels whose name another live instance holds.
  bool heldByAnother[kMaxChannels] = {};
};

}  // namespace adaptive
