// A circular tap-delay line: a row vector with a write position. Each sample
// is stored once; tap(k), the sample pushed k pushes ago, is found by index
// arithmetic instead of shifting the history.
#pragma once

#include "numerics/vector.h"

namespace adaptive {

class DelayLine : public RowVector {
 public:
  DelayLine() = default;

  // Restarts the position at 0 and allocates n uninitialised samples (zero()
  // them next). True on allocation failure.
  bool setlength(int32_t n) {
    position = 0;
    return RowVector::resize(n);
  }
  int32_t length() const { return cols(); }
  // Storage index that the next push overwrites.
  int32_t getposition() const { return position; }

  void push(double x) {
    data()[position] = x;
    if (++position == length()) position = 0;
  }

  // 0 <= k < length(); tap(0) is the newest sample.
  double& tap(int32_t k) { return data()[storageIndex(k)]; }
  const double& tap(int32_t k) const { return data()[storageIndex(k)]; }

  // Calls visit(k, tap(k)) for k = 0 .. length() - 1 in ascending order
  // without a wrap-around test per tap: taps 0 .. p-1 are storage p-1 down to
  // 0, the older ones are storage L-1 down to p. Sums built with it add their
  // terms in exactly the order of a plain tap(k) loop.
  template <class Visit>
  void forEachTap(Visit visit) const {
    const double* e = data();
    int32_t k = 0;
    for (int32_t s = position - 1; s >= 0; --s) visit(k++, e[s]);
    for (int32_t s = length() - 1; s >= position; --s) visit(k++, e[s]);
  }

 private:
  int32_t storageIndex(int32_t k) const {
    const int32_t i = position - 1 - k;
    return i < 0 ? i + length() : i;
  }

  int32_t position = 0;
};

}  // namespace adaptive
