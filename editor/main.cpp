// The editor's entry: the application titled "Vistrel", its four forms, the event loop.
#include <exception>

#include <QApplication>

#include "Main.h"
#include "UserDialogs.h"

int main(int argc, char** argv) {
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
