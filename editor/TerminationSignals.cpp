#include "TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <system_error>

namespace {

// The pipe's writing end as the signal handler sees it.
std::atomic<int> signalPipe{-1};

void WriteSignalByte(int signal) {
  const int savedErrno = errno;
  const auto byte = static_cast<unsigned char>(signal);
  // A full pipe already holds more requests than the window needs.
  [[maybe_unused]] const ssize_t written = write(signalPipe.load(), &byte, 1);
  errno = savedErrno;
}

}  // namespace

TTerminationSignals::TTerminationSignals(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::system_error(errno, std::generic_category(), "Cannot watch for termination signals");
  }
  readEnd_ = ends[0];
  writeEnd_ = ends[1];
  signalPipe.store(writeEnd_);
  notifier_ = std::make_unique<QSocketNotifier>(readEnd_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { Received(); });

  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = WriteSignalByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (sigaction(signal, &action, nullptr) == 0) previous_.emplace_back(signal, current);
  }
}

TTerminationSignals::~TTerminationSignals() {
  for (const auto& [signal, action] : previous_) sigaction(signal, &action, nullptr);
  signalPipe.store(-1);
  notifier_.reset();
  close(readEnd_);
  close(writeEnd_);
}

void TTerminationSignals::Received() {
  // One byte per signal; the notifier comes again while more are waiting.
  unsigned char byte = 0;
  if (read(readEnd_, &byte, 1) == 1) onSignal_();
}
