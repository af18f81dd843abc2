// The input side shared by the multi-channel RLS, random-walk, Newton and QR
// tokens: one delay line per channel, as long as the channel's numerator
// count, whose taps are stacked channel 1 first into one regressor of the
// total length.
#pragma once

#include <array>
#include <cstdint>

#include "numerics/delay_line.h"
#include "tokens/correlation_update.h"
#include "tokens/parameters.h"

namespace adaptive {

template <int C>
class ChannelLines {
 public:
  // Reads the channels' counts at the given parameter positions.
  void readLengths(const TokenSetup& setup, const std::array<int, C>& positions) {
    for (int c = 0; c < C; ++c) length[c] = ReadCount(setup, positions[c]);
  }

  // Sums the lengths into total(); false, with the storage failure reported,
  // when the sum does not fit 32 bits.
  bool sumLengths(CallStatus& status) { return TotalLength(length, C, totalLength, status); }

  // sumLengths(), and `count` matrices of total() x total() doubles fit the
  // address space (otherwise the storage failure is reported).
  bool sumLengthsForSquareMatrices(int count, CallStatus& status) {
    return sumLengths(status) && SquareMatricesFit(totalLength, count, status);
  }

  // Gives every line its length without writing to it; false, with the
  // storage failure reported, at the first line that cannot have it.
  bool allocate(CallStatus& status) {
    for (int c = 0; c < C; ++c)
      if (line[c].setlength(length[c])) {
        ReportStorageFailure(status);
        return false;
      }
    return true;
  }

  void zero() {
    for (int c = 0; c < C; ++c) line[c].zero();
  }

  // Pushes the samples in[0] … in[C-1] into their lines.
  void push(const double* in) {
    for (int c = 0; c < C; ++c) line[c].push(in[c]);
  }

  // push(), then the lines' taps, newest first, stacked into `regressor`.
  void pushAndStack(const double* in, double* regressor) {
    for (int c = 0, start = 0; c < C; start += length[c], ++c) {
      line[c].push(in[c]);
      CopyTaps(line[c], regressor + start);
    }
  }

  const DelayLine& operator[](int c) const { return line[c]; }
  const int32_t* lengths() const { return length; }
  int32_t total() const { return totalLength; }

 private:
  DelayLine line[C];
  int32_t length[C] = {};
  int32_t totalLength = 0;
};

}  // namespace adaptive
