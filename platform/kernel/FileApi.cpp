#include "platform/kernel/FileApi.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

struct KernelFile {
  int fd;
};

HANDLE CreateFileA(const char* name, uint32_t access, uint32_t, void*, uint32_t disposition, uint32_t,
                   HANDLE) {
  if (!name || disposition != CREATE_ALWAYS) return INVALID_HANDLE_VALUE;
  int mode = O_RDONLY;
  if ((access & GENERIC_READ) && (access & GENERIC_WRITE))
    mode = O_RDWR;
  else if (access & GENERIC_WRITE)
    mode = O_WRONLY;
  const int fd = open(name, mode | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return INVALID_HANDLE_VALUE;
  return new KernelFile{fd};
}

bool WriteFile(HANDLE file, const void* data, uint32_t size, uint32_t* written, void*) {
  if (written) *written = 0;
  if (!file || file == INVALID_HANDLE_VALUE) return false;
  const char* p = static_cast<const char*>(data);
  uint32_t done = 0;
  while (done < size) {
    const ssize_t n = write(file->fd, p + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<uint32_t>(n);
  }
  if (written) *written = done;
  return done == size;
}

bool CloseHandle(HANDLE file) {
  if (!file || file == INVALID_HANDLE_VALUE) return false;
  const bool ok = close(file->fd) == 0;
  delete file;
  return ok;
}
