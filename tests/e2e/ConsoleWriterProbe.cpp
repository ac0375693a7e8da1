// Drives the console writer and the control events the way the console program
// does, for the terminal tests: probe <mode>.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>

#include "console/WriteUsage.h"
#include "platform/console/ConsoleWrite.h"
#include "platform/console/SetConsoleCtrlHandler.h"

namespace {

std::atomic<uint8_t> abortRequested{0};

int AbortHandler(uint32_t ctrlType) {
  ConsoleWrite("\n\rAborted by user\r\n");
  ConsoleWrite("control type " + std::to_string(ctrlType) + "\n\r");
  abortRequested.store(1, std::memory_order_relaxed);
  return 1;
}

void Pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

void Progress(int count, int milliseconds) {
  for (int i = 1; i <= count && abortRequested.load(std::memory_order_relaxed) == 0; ++i) {
    ConsoleDeleteLine();
    ConsoleWrite("\rProcessing image " + std::to_string(i) + " of " + std::to_string(count) + "...");
    Pause(milliseconds);
  }
}

int Lines() {
  ConsoleWrite("\n\rfirst line\n\r");
  ConsoleWrite("abc\ndef\n\r");
  ConsoleWrite("a\ab\b\bX\n\r");
  ConsoleWrite("\b\bY\n\r");
  ConsoleWrite("esc\x1b[2Jend\n\r");
  ConsoleWrite("wide \xE6\xBC\xA2|\n\r");
  ConsoleWrite("abcdef");
  ConsoleDeleteLine();
  ConsoleWrite("XY\n\r");
  Progress(3, 0);
  ConsoleWrite("\n\r");
  ConsoleWrite("done\n\r");
  return 0;
}

int Wrap() {
  ConsoleWrite("abcdefghijklmnopqrstuvwxy\n\r");
  ConsoleWrite("0123456789012345678X\n\r");
  ConsoleWrite("after\n\r");
  ConsoleWrite("-------------------\xE6\xBC\xA2\n\r");
  return 0;
}

int Scroll() {
  for (int i = 1; i <= 8; ++i) ConsoleWrite("line " + std::to_string(i) + "\n\r");
  return 0;
}

int Signal() {
  SetConsoleCtrlHandler(AbortHandler, 1);
  ConsoleWrite("\n\rready\n\r");
  // Runs until the test's event stops it; the test's own time limit ends it otherwise.
  Progress(1000000, 10);
  SetConsoleCtrlHandler(AbortHandler, 0);
  ConsoleWrite("\n\r");
  ConsoleWrite("stopped\n\r");
  return 0;
}

int Removed() {
  SetConsoleCtrlHandler(AbortHandler, 1);
  SetConsoleCtrlHandler(AbortHandler, 0);
  ConsoleWrite("ready\n\r");
  for (;;) pause();  // until the signal ends the process, or the test's time limit
}

int Threads() {
  auto writer = [](const char* name) {
    for (int i = 0; i < 400; ++i) {
      ConsoleDeleteLine();
      ConsoleWrite(std::string("\r") + name + " \xC3\xA9\xE6\xBC\xA2 step " + std::to_string(i));
    }
  };
  std::thread a(writer, "thread A");
  std::thread b(writer, "thread B");
  a.join();
  b.join();
  ConsoleWrite("\n\rjoined\n\r");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "lines") return Lines();
  if (mode == "wrap") return Wrap();
  if (mode == "scroll") return Scroll();
  if (mode == "signal") return Signal();
  if (mode == "removed") return Removed();
  if (mode == "threads") return Threads();
  if (mode == "usage") {
    WriteUsage();
    return 0;
  }
  return 2;
}
