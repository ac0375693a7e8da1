// Console control events. SIGINT, SIGQUIT, SIGHUP and SIGTERM are blocked in every
// thread once a handler is installed and handed to the handlers on a thread of
// their own, the last installed first, until one returns non-zero. When none does
// (or none is installed any more) the signal gets its default action: the process
// ends as it would have without us. A signal that the process was started with
// ignored (nohup, a background job) stays ignored.
#pragma once

#include <cstdint>

using PHANDLER_ROUTINE = int (*)(uint32_t ctrlType);

// The control type a handler receives for each signal.
constexpr uint32_t CTRL_C_EVENT = 0;         // SIGINT
constexpr uint32_t CTRL_BREAK_EVENT = 1;     // SIGQUIT
constexpr uint32_t CTRL_CLOSE_EVENT = 2;     // SIGHUP
constexpr uint32_t CTRL_SHUTDOWN_EVENT = 6;  // SIGTERM

// add != 0 installs handler (once more when it is installed already), add == 0
// removes its latest installation and returns once no call of it is running on
// the signal thread, so that what the handler reaches may be freed then. Call the
// first installation from the main thread before other threads start, so that they
// inherit the blocked signals. Returns 0 when a handler to remove is not installed,
// or the signal thread cannot start (errno then tells why).
int SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, int add);
