#include <cstdlib>

#include "Main.h"
#include "platform/console/OpenStandardHandles.h"

int main(int argc, char** argv) {
  if (!OpenStandardHandles()) return EXIT_FAILURE;
  return ConsoleMain(std::vector<std::string>(argv + 1, argv + argc));
}
