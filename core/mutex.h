// A plain mutual-exclusion lock for std::lock_guard. MinGW's win32 thread
// model has no std::mutex: there it is a slim reader/writer lock of the system.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include <mutex>
#endif

namespace adaptive {

class Mutex {
 public:
  Mutex() = default;
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

#if defined(_WIN32)
  void lock() { AcquireSRWLockExclusive(&slim); }
  void unlock() { ReleaseSRWLockExclusive(&slim); }

 private:
  SRWLOCK slim = SRWLOCK_INIT;
#else
  void lock() { mutex.lock(); }
  void unlock() { mutex.unlock(); }

 private:
  std::mutex mutex;
#endif
};

}  // namespace adaptive
