#include "platform/imaging/PictureFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

std::optional<std::vector<uint8_t>> ReadPictureFile(const std::string& fileName) {
  // O_NONBLOCK keeps a pipe named like a picture from blocking the open.
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  std::optional<std::vector<uint8_t>> result;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<uint64_t>(st.st_size) <= kMaxPictureFileBytes) {
    std::vector<uint8_t> data(static_cast<size_t>(st.st_size));
    size_t done = 0;
    bool failed = false;
    while (done < data.size()) {
      const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        failed = n < 0;
        break;
      }
      done += static_cast<size_t>(n);
    }
    // A file that shrank while being read keeps what was there.
    data.resize(done);
    if (!failed) result = std::move(data);
  }
  ::close(fd);
  return result;
}
