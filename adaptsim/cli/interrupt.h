// Ctrl-C during a run: the run stops at the current sample and ends the token
// properly instead of the process dying with its final weights unwritten.
#pragma once

// While an InterruptCatcher lives, SIGINT only raises a flag (and cuts short
// a read that waits for input); the default action comes back afterwards.
class InterruptCatcher {
 public:
  InterruptCatcher();
  ~InterruptCatcher();
  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;

  bool interrupted() const;
};

// The exit status of a program that stopped on SIGINT, as shells report it.
constexpr int kExitInterrupted = 130;
