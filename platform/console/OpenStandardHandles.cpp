#include "platform/console/OpenStandardHandles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

bool OpenStandardHandles() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number is fd itself: the ones below it are open by now.
    const int opened = open("/dev/null", O_RDWR);
    if (opened != fd) {
      if (opened >= 0) close(opened);
      return false;
    }
  }
  return true;
}
