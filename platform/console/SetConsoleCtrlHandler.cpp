#include "platform/console/SetConsoleCtrlHandler.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

std::mutex handlersMutex;
std::vector<PHANDLER_ROUTINE> handlers;
bool signalThreadRunning = false;
std::thread::id signalThread;
// Held while handlers run, so that a removal can wait until its handler has
// returned: the caller may free what the handler reaches right after.
std::mutex dispatchMutex;

sigset_t waitedSignals;

// The control signals, except those that the process was started with ignored
// (nohup, a background job of a shell): they stay ignored.
sigset_t ControlSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : {SIGINT, SIGQUIT, SIGHUP, SIGTERM}) {
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    sigaddset(&set, signal);
  }
  return set;
}

uint32_t ControlType(int signal) {
  switch (signal) {
    case SIGINT: return CTRL_C_EVENT;
    case SIGQUIT: return CTRL_BREAK_EVENT;
    case SIGHUP: return CTRL_CLOSE_EVENT;
    default: return CTRL_SHUTDOWN_EVENT;
  }
}

// Ends the process by the signal's own default action, so that the parent sees
// the same end as without handlers.
[[noreturn]] void DefaultAction(int signal) {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, signal);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  pthread_kill(pthread_self(), signal);
  // Only reached when the default action is to ignore, which none of ours is.
  std::abort();
}

void WaitForSignals() {
  for (;;) {
    int signal = 0;
    if (sigwait(&waitedSignals, &signal) != 0) continue;
    std::unique_lock dispatch(dispatchMutex);
    std::vector<PHANDLER_ROUTINE> current;
    {
      std::lock_guard lock(handlersMutex);
      current = handlers;
    }
    const bool handled = std::any_of(current.rbegin(), current.rend(), [signal](PHANDLER_ROUTINE h) {
      return h(ControlType(signal)) != 0;
    });
    dispatch.unlock();
    if (!handled) DefaultAction(signal);
  }
}

}  // namespace

int SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, int add) {
  if (handler == nullptr) return 0;
  if (add == 0) {
    bool onSignalThread = false;
    {
      std::lock_guard lock(handlersMutex);
      const auto found = std::find(handlers.rbegin(), handlers.rend(), handler);
      if (found == handlers.rend()) return 0;
      handlers.erase(std::next(found).base());
      onSignalThread = std::this_thread::get_id() == signalThread;
    }
    // A handler that removes itself is the dispatch that would be waited for.
    if (!onSignalThread) {
      std::lock_guard wait(dispatchMutex);
    }
    return 1;
  }
  std::lock_guard lock(handlersMutex);
  if (!signalThreadRunning) {
    waitedSignals = ControlSignals();
    pthread_sigmask(SIG_BLOCK, &waitedSignals, nullptr);
    try {
      std::thread thread(WaitForSignals);
      signalThread = thread.get_id();
      thread.detach();
    } catch (const std::system_error& e) {
      pthread_sigmask(SIG_UNBLOCK, &waitedSignals, nullptr);
      errno = e.code().value();
      return 0;
    }
    signalThreadRunning = true;
  }
  handlers.push_back(handler);
  return 1;
}
