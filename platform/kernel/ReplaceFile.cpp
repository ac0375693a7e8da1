#include "platform/kernel/ReplaceFile.h"

#include "platform/kernel/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace fs = std::filesystem;

namespace {

// A name in the target's folder that no other writer uses at the same time.
fs::path TempNameBeside(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  fs::path temp = target.parent_path();
  temp /= "." + target.filename().string() + "." + std::to_string(getpid()) + "-" +
          std::to_string(counter++) + ".tmp";
  return temp;
}

}  // namespace

fs::path LinkTarget(fs::path path) {
  std::error_code ec;
  for (int hops = 0; hops < 40 && fs::is_symlink(path, ec); ++hops) {
    const fs::path next = fs::read_symlink(path, ec);
    if (ec) break;
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  return path;
}

FileRead ReadRegularFile(const fs::path& path, std::string& text, std::size_t limit) {
  text.clear();
  // O_NONBLOCK: opening a FIFO must not wait for a writer; fstat then refuses it.
  FileDescriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return errno == ENOENT || errno == ENOTDIR ? FileRead::Absent : FileRead::Unreadable;
  struct stat st{};
  if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::size_t>(st.st_size) > limit)
    return FileRead::Unreadable;
  char buffer[16384];
  while (true) {
    const ssize_t n = read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return FileRead::Unreadable;
    if (n == 0) return FileRead::Read;
    text.append(buffer, static_cast<std::size_t>(n));
    if (text.size() > limit) return FileRead::Unreadable;  // grew while we read
  }
}

bool ReplaceFileContents(const fs::path& path, std::string_view content) {
  const fs::path target = LinkTarget(path);
  struct stat old{};
  const bool exists = stat(target.c_str(), &old) == 0;
  // No write bit counts even for root, as a read-only file does on every desktop.
  if (exists && (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0))
    return false;

  const fs::path temp = TempNameBeside(target);
  FileDescriptor fd(open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (fd.get() < 0) return false;
  if ((exists && fchmod(fd.get(), old.st_mode & 07777) != 0) || !WriteAll(fd.get(), content) ||
      fsync(fd.get()) != 0 || !fd.Close() || rename(temp.c_str(), target.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  return true;
}
