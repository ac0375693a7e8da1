#include "platform/kernel/FileDescriptor.h"

#include <unistd.h>

#include <cerrno>
#include <cstddef>

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) close(fd_);
}

bool FileDescriptor::Close() {
  const int fd = fd_;
  fd_ = -1;
  return close(fd) == 0;
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}
