// The library keeps the call in progress in library-wide variables, so its
// entry points must be called one at a time: every call through this interface
// holds this one lock. (MinGW's win32 thread model has no std::mutex: there it
// is a slim reader/writer lock of the system.)
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include <mutex>
#endif

namespace adaptive {

class EntryCallLock {
 public:
  // The lock shared by every filter of every library.
  static EntryCallLock& Instance();

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
