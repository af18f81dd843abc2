#include "adaptsim/cli/interrupt.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t interruptFlag = 0;

extern "C" void RaiseInterruptFlag(int) { interruptFlag = 1; }

}  // namespace

// A program started with SIGINT ignored (in the background of a script) keeps
// ignoring it, as shells expect.
#ifdef _WIN32

namespace {
void (*previousHandler)(int) = SIG_DFL;
}  // namespace

InterruptCatcher::InterruptCatcher() {
  interruptFlag = 0;
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
  interruptFlag = 0;
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

bool InterruptCatcher::interrupted() const { return interruptFlag != 0; }
