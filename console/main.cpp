#include <cstdlib>

#include "Main.h"
#include "platform/console/OpenStandardHandles.h"
#include "platform/kernel/FileSizeSignal.h"

int main(int argc, char** argv) {
  if (!OpenStandardHandles()) return EXIT_FAILURE;
  IgnoreFileSizeSignal();
  return ConsoleMain(std::vector<std::string>(argv + 1, argv + argc));
}
