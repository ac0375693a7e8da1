// The editor's entry: the application titled "Vistrel", its four forms, the event loop.
#include "Main.h"

#include <QApplication>
#include <exception>

#include "UserDialogs.h"
#include "platform/kernel/FileSizeSignal.h"

int main(int argc, char** argv) {
  IgnoreFileSizeSignal();
  QApplication app(argc, argv);
  QApplication::setApplicationName("Vistrel");
  QApplication::setWindowIcon(VistrelIcon());
  try {
    return RunVistrel();
  } catch (const std::exception& e) {
    UserDialogs().ShowError("Vistrel", e.what());
  }
  return 0;
}
