// What a token receives from whoever drives it, instead of reading it from the
// host's records: its parameters and file name at construction, and the status
// and message sink of the call in progress. The host's entry protocol fills it
// from its records (plugin/dispatch.cpp); adaptive::Filter fills it directly.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace adaptive {

// Status codes returned to the host.
constexpr int32_t kStatusOk = 0;
constexpr int32_t kStatusBadParameter = 1;   // also: a final-weights file cannot be opened or written
constexpr int32_t kStatusNoToken = 1001;     // the token object cannot be allocated
constexpr int32_t kStatusNoStorage = 1002;   // filter storage cannot be allocated

constexpr int kErrorTextCapacity = 512;

// The status of one call and where its message goes: a buffer of at least
// kErrorTextCapacity bytes (the host's error text), or none.
class CallStatus {
 public:
  explicit CallStatus(char* errorText) : errorText(errorText) {}

  int32_t code() const { return status; }
  bool ok() const { return status == kStatusOk; }

  // Stores the strings one after the other from the first byte of the buffer,
  // at most kErrorTextCapacity characters. When the message is shorter than the
  // buffer a NUL follows it, so that a host that does not clear its buffer
  // never shows the tail of an earlier, longer message.
  void write(std::initializer_list<const char*> parts) const;
  // write(), then the call's status becomes `code`.
  void fail(int32_t code, std::initializer_list<const char*> parts) {
    write(parts);
    status = code;
  }

 private:
  char* errorText;
  int32_t status = kStatusOk;
};

// What a token's constructor reads. `fileName` names the final-weights file
// ("" for none) and is edited in place (see tokens/final_weights.h).
struct TokenSetup {
  const double* parameters;
  char* fileName;
  CallStatus& status;
};

}  // namespace adaptive
