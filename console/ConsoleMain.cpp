#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "Main.h"
#include "platform/console/ConsoleWrite.h"
#include "platform/console/SetConsoleCtrlHandler.h"

namespace {

int ConsoleCtrlHandler(uint32_t /*ctrlType*/) {
  ConsoleWrite("\n\rAborted by user\r\n");
  // An event before the form exists finds no run to stop.
  if (TForm1* form = Form1.load()) form->AbortRequested.store(1, std::memory_order_relaxed);
  return 1;
}

}  // namespace

int ConsoleMain(std::vector<std::string> arguments) {
  // Without it Ctrl+C would end the process in the middle of a file.
  if (!SetConsoleCtrlHandler(ConsoleCtrlHandler, 1)) {
    ConsoleWrite("\n\rCannot start the thread that handles Ctrl+C: " + std::string(std::strerror(errno)) +
                 ". Nothing was written.\n\r");
    return EXIT_FAILURE;
  }
  int exitCode = EXIT_FAILURE;
  try {
    Form1.store(new TForm1(std::move(arguments)));
    Form1.load()->LoadSettings();
    exitCode = Form1.load()->ConvertFolderToAVI();
  } catch (const std::exception& e) {
    // The writer has completed its file as far as it got.
    ConsoleWrite("\n\rThe run stopped: " + std::string(e.what()));
  }
  SetConsoleCtrlHandler(ConsoleCtrlHandler, 0);
  // Settings that could not be stored fail the run; the AVI already written stays.
  if (TForm1* form = Form1.load(); form && !form->FormDestroy()) exitCode = EXIT_FAILURE;
  delete Form1.exchange(nullptr);
  ConsoleWrite("\n\r");
  return exitCode;
}
