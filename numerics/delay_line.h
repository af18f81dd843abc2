// A circular tap-delay line: a row vector with a write position. Each sample
// is stored twice, L elements apart, in descending order of write position,
// so that the taps are always L consecutive elements: tap(k), the sample
// pushed k pushes ago, is element k of that window, without index arithmetic
// or a wrap-around per tap.
#pragma once

#include <cstdint>

#include "numerics/vector.h"

namespace adaptive {

class DelayLine : public RowVector {
 public:
  DelayLine() = default;

  // Restarts the position at 0 and allocates n uninitialised samples (zero()
  // them next). True on allocation failure.
  bool setlength(int32_t n) {
    position = 0;
    lineLength = 0;
    if (n < 0 || n > INT32_MAX / 2 || RowVector::resize(2 * n)) return true;
    lineLength = n;
    return false;
  }
  int32_t length() const { return lineLength; }
  // Frees the storage; the position stays.
  void clear() override {
    RowVector::clear();
    lineLength = 0;
  }
  // The write position that the next push takes, 0 … length() - 1.
  int32_t getposition() const { return position; }

  void push(double x) {
    const int32_t slot = lineLength - 1 - position;
    data()[slot] = x;
    data()[slot + lineLength] = x;
    if (++position == lineLength) position = 0;
  }

  // tap(0) … tap(length() - 1), newest first, consecutive.
  const double* taps() const { return data() + (position == 0 ? 0 : lineLength - position); }

  // 0 <= k < length(); tap(0) is the newest sample.
  double tap(int32_t k) const { return taps()[k]; }

  // Calls visit(k, tap(k)) for k = 0 .. length() - 1 in ascending order, so
  // that sums built with it add their terms in exactly the order of a plain
  // tap(k) loop. Tap 0 is visited on its own: push() has just stored it, and
  // a vector load of it with its neighbour would wait for that store to reach
  // the cache instead of taking the value from the store.
  template <class Visit>
  void forEachTap(Visit visit) const {
    const double* t = taps();
    if (lineLength > 0) visit(0, t[0]);
    for (int32_t k = 1; k < lineLength; ++k) visit(k, t[k]);
  }

 private:
  int32_t position = 0;
  int32_t lineLength = 0;
};

}  // namespace adaptive
