// The lock of one Python filter: two threads never run one filter at once,
// and nothing waits for ever.
//
// - A thread waiting for it does so without the GIL in short slices, and
//   between them hears signals: Ctrl-C reaches a thread waiting for a filter
//   that another thread is running.
// - The thread that holds it is known, so that a call made from inside the
//   filter's own call on that thread (a signal handler or a warnings hook
//   running between chunks) is told apart from another thread's, instead of
//   waiting for itself.
// - After fork, the child's copy of a lock that a parent thread held is made
//   anew (that thread does not exist in the child).
#pragma once

#include <pybind11/pybind11.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <new>
#include <thread>

namespace adaptive::python {

// Runs `work` with the GIL released. Unlike pybind11's gil_scoped_release,
// the GIL is taken back outside any destructor: a daemon thread that takes
// it back once the interpreter is finalising is ended by a forced unwinding,
// which would abort the process if it left a noexcept destructor.
template <class Work>
void WithoutGil(Work&& work) {
  PyThreadState* const state = PyEval_SaveThread();
  try {
    work();
  } catch (...) {
    PyEval_RestoreThread(state);
    throw;
  }
  PyEval_RestoreThread(state);
}

class FilterLock {
 public:
  // Holds the lock until destroyed; an empty Hold holds nothing.
  class Hold {
   public:
    Hold() = default;
    explicit Hold(FilterLock* lock) : lock(lock) {}
    Hold(Hold&& other) noexcept : lock(other.lock) { other.lock = nullptr; }
    Hold& operator=(Hold&&) = delete;
    Hold(const Hold&) = delete;
    ~Hold() {
      if (lock != nullptr) lock->release();
    }

   private:
    FilterLock* lock = nullptr;
  };

  // Whether the calling thread holds the lock.
  bool heldHere() const { return owner.load() == std::this_thread::get_id(); }

  // Waits for the lock, the GIL held on entry and on return. Between slices
  // of kSlice it runs the signal handlers, and throws what they raise.
  Hold acquire() {
    if (!mutex.try_lock()) {
      for (;;) {
        bool taken = false;
        WithoutGil([&] { taken = mutex.try_lock_for(kSlice); });
        if (taken) break;
        if (PyErr_CheckSignals() != 0) throw pybind11::error_already_set();
      }
    }
    owner.store(std::this_thread::get_id());
    return Hold(this);
  }

  // In a forked child: whether a parent thread other than the one that
  // forked held the lock at the fork; if so the lock is made anew, unheld.
  bool renewIfHeldAtFork() {
    if (heldHere()) return false;  // this thread lives on in the child
    if (mutex.try_lock()) {
      mutex.unlock();
      return false;
    }
    // The holder does not exist here: a fresh mutex in the same storage (the
    // old one is never destroyed, as a held mutex must not be).
    new (&mutex) std::timed_mutex();
    owner.store(std::thread::id());
    return true;
  }

 private:
  static constexpr std::chrono::milliseconds kSlice{20};

  void release() {
    owner.store(std::thread::id());
    mutex.unlock();
  }

  std::timed_mutex mutex;
  std::atomic<std::thread::id> owner{};
};

}  // namespace adaptive::python
