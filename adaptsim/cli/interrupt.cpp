#include "adaptsim/cli/interrupt.h"

#include <csignal>

namespace {

// Lock-free, so that the handler may set it.
static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler sets the flag");
std::atomic<bool> interruptFlag{false};

extern "C" void RaiseInterruptFlag(int) { interruptFlag.store(true); }

}  // namespace

// A program started with SIGINT ignored (in the background of a script) keeps
// ignoring it, as shells expect.
#ifdef _WIN32

namespace {
void (*previousHandler)(int) = SIG_DFL;
}  // namespace

InterruptCatcher::InterruptCatcher() {
  interruptFlag.store(false);
  previousHandler = std::signal(SIGINT, RaiseInterruptFlag);
  if (previousHandler == SIG_IGN) std::signal(SIGINT, SIG_IGN);
}

InterruptCatcher::~InterruptCatcher() { std::signal(SIGINT, previousHandler); }

#else

#include <signal.h>

namespace {
struct sigaction previousAction;
}  // namespace

InterruptCatcher::InterruptCatcher() {
  interruptFlag.store(false);
  sigaction(SIGINT, nullptr, &previousAction);
  if (previousAction.sa_handler == SIG_IGN) return;
  struct sigaction action{};
  action.sa_handler = RaiseInterruptFlag;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a waiting read returns with EINTR
  sigaction(SIGINT, &action, nullptr);
}

InterruptCatcher::~InterruptCatcher() { sigaction(SIGINT, &previousAction, nullptr); }

#endif

bool InterruptCatcher::interrupted() const { return interruptFlag.load(); }

const std::atomic<bool>& InterruptCatcher::flag() const { return interruptFlag; }
