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
#include <condition_variable>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>

namespace adaptive::python {

// A daemon thread that takes the GIL back once the interpreter finalises is
// ended where it stands, its destructors then running without the GIL. So
// the exit hook (module init) sets `interpreterExiting`, after which no call
// starts waiting or running without the GIL, and waits until
// `threadsWithoutGil`, the threads in WithoutGil, is 0.
inline std::atomic<bool> interpreterExiting{false};
inline std::atomic<int> threadsWithoutGil{0};

// Runs `work` with the GIL released, counted in threadsWithoutGil. Unlike
// pybind11's gil_scoped_release, the GIL is taken back outside any
// destructor, where ending the thread would abort the process.
template <class Work>
void WithoutGil(Work&& work) {
  ++threadsWithoutGil;
  PyThreadState* const state = PyEval_SaveThread();
  try {
    work();
  } catch (...) {
    PyEval_RestoreThread(state);
    --threadsWithoutGil;
    throw;
  }
  PyEval_RestoreThread(state);
  --threadsWithoutGil;
}

// RuntimeError once the exit hook has run, for a call that would run or
// wait without the GIL.
inline void RefuseAtExit(const std::string& what) {
  if (interpreterExiting.load()) {
    throw std::runtime_error("the interpreter is exiting: " + what + " is refused (filters are closed at exit)");
  }
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
  // of kSlice it runs the signal handlers, and throws what they raise; once
  // the interpreter exits, only the exit hook (`byExitHook`) waits.
  // (`state` is only ever held for a moment, never while waiting for the
  // GIL, so it may be taken with the GIL held.)
  Hold acquire(bool byExitHook = false) {
    bool taken = take();
    while (!taken) {
      if (!byExitHook) RefuseAtExit("waiting for a filter");
      WithoutGil([&] {
        std::unique_lock<std::mutex> guard(state);
        if (freed.wait_for(guard, kSlice, [&] { return !held; })) taken = held = true;
      });
      if (!taken && PyErr_CheckSignals() != 0) throw pybind11::error_already_set();
    }
    owner.store(std::this_thread::get_id());
    return Hold(this);
  }

  // In a forked child, where only the thread that forked lives on: the lock
  // made anew, free unless that thread holds it. Returns whether another
  // parent thread held it at the fork.
  bool renewIfHeldAtFork() {
    // A parent thread may have held `state` or waited on `freed`: both are
    // made anew in the same storage (the old ones are never destroyed).
    new (&state) std::mutex();
    new (&freed) std::condition_variable();
    if (!held || heldHere()) return false;
    held = false;
    owner.store(std::thread::id());
    return true;
  }

 private:
  static constexpr std::chrono::milliseconds kSlice{20};

  bool take() {
    const std::lock_guard<std::mutex> guard(state);
    if (held) return false;
    held = true;
    return true;
  }

  void release() {
    owner.store(std::thread::id());
    {
      const std::lock_guard<std::mutex> guard(state);
      held = false;
    }
    freed.notify_one();
  }

  std::mutex state;  // guards `held`
  std::condition_variable freed;
  bool held = false;
  std::atomic<std::thread::id> owner{};
};

}  // namespace adaptive::python
