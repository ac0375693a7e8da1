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
  SetConsoleCtrlHandler(ConsoleCtrlHandler, 1);
  Form1.store(new TForm1(std::move(arguments)));
  Form1.load()->LoadSettings();
  int exitCode = Form1.load()->ConvertFolderToAVI();
  SetConsoleCtrlHandler(ConsoleCtrlHandler, 0);
  // Settings that could not be stored fail the run; the AVI already written stays.
  if (!Form1.load()->FormDestroy()) exitCode = 1;
  delete Form1.exchange(nullptr);
  ConsoleWrite("\n\r");
  return exitCode;
}
