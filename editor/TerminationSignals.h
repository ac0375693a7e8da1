// SIGINT, SIGTERM and SIGHUP handed to the GUI thread: the handler only writes a byte
// into a pipe whose reading end the event loop watches, so that the window decides
// what a signal does (a running write is completed first). A signal that the program
// was started with ignored (nohup, a background job) stays ignored.
#pragma once

#include <signal.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QSocketNotifier;

class TTerminationSignals {
 public:
  // onSignal runs on the GUI thread once per signal received. Raises
  // std::system_error when the pipe cannot be made. One object at a time.
  explicit TTerminationSignals(std::function<void()> onSignal);
  // The signals get back the actions they had.
  ~TTerminationSignals();
  TTerminationSignals(const TTerminationSignals&) = delete;
  TTerminationSignals& operator=(const TTerminationSignals&) = delete;

 private:
  void Received();

  std::function<void()> onSignal_;
  int readEnd_ = -1;
  int writeEnd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::vector<std::pair<int, struct sigaction>> previous_;
};
