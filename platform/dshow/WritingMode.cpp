#include "platform/dshow/WritingMode.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {
// VISTREL_SERIAL_WRITING=1 lets tests of whole programs time signals by the old pace.
bool SerialFromEnvironment() {
  const char* value = std::getenv("VISTREL_SERIAL_WRITING");
  return value && std::strcmp(value, "1") == 0;
}
std::atomic<bool> serialWriting{SerialFromEnvironment()};
}  // namespace

void SetSerialWriting(bool serial) { serialWriting = serial; }
bool SerialWriting() { return serialWriting; }

int WritingThreads() { return std::max(1u, std::thread::hardware_concurrency()); }
