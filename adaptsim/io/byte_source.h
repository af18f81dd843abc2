// Where the bytes of a CSV input come from: a file or standard input read
// through its descriptor, so that a run sees each line as soon as it arrives
// and an interrupt stops a read that waits for more, or any std::istream.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

class ByteSource {
 public:
  static constexpr long kEnd = 0;
  static constexpr long kFailed = -1;
  static constexpr long kInterrupted = -2;

  virtual ~ByteSource() = default;
  // Up to `size` bytes into `buffer`: their count, kEnd, kFailed (errno set)
  // or kInterrupted (nothing came for a while, or a signal arrived: the
  // caller may look for an interrupt and read again).
  virtual long read(char* buffer, size_t size) = 0;
};

class StreamSource : public ByteSource {
 public:
  explicit StreamSource(std::istream& in) : in(in) {}
  long read(char* buffer, size_t size) override;

 private:
  std::istream& in;
};

class DescriptorSource : public ByteSource {
 public:
  // Standard input for "" and "-", else the file at `path`; isOpen() tells.
  explicit DescriptorSource(const std::string& path);
  ~DescriptorSource() override;
  DescriptorSource(const DescriptorSource&) = delete;
  DescriptorSource& operator=(const DescriptorSource&) = delete;

  bool isOpen() const { return descriptor >= 0; }
  long read(char* buffer, size_t size) override;
  // A regular file can be read twice: once to check it, once to run it.
  bool canRestart() const { return startOffset >= 0; }
  // Back to where reading started; false when that fails.
  bool restart();

 private:
  int descriptor = -1;
  bool owned = false;
  long long startOffset = -1;  // -1: a pipe, a terminal or another stream
};
