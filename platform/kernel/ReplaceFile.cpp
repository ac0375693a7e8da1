#include "platform/kernel/ReplaceFile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

namespace fs = std::filesystem;

namespace {

template <class Bytes>
FileRead ReadInto(const fs::path& path, Bytes& bytes, std::size_t limit) {
  bytes.clear();
  // O_NONBLOCK: opening a FIFO must not wait for a writer; fstat then refuses it.
  FileDescriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) return errno == ENOENT || errno == ENOTDIR ? FileRead::Absent : FileRead::Unreadable;
  struct stat st{};
  if (fstat(fd.get(), &st) != 0) return FileRead::Unreadable;
  if (!S_ISREG(st.st_mode)) return FileRead::NotRegular;
  if (static_cast<uintmax_t>(st.st_size) > limit) return FileRead::TooLarge;
  bytes.resize(static_cast<std::size_t>(st.st_size));
  std::size_t done = 0;
  auto failed = [&bytes] {
    bytes.clear();
    return FileRead::Unreadable;
  };
  while (done < bytes.size()) {
    const ssize_t n = read(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failed();
    if (n == 0) break;  // it shrank: what was there is the file
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  // It may have grown since fstat: read on to its end.
  char chunk[16384];
  while (true) {
    const ssize_t n = read(fd.get(), chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failed();
    if (n == 0) return FileRead::Read;
    bytes.insert(bytes.end(), chunk, chunk + n);
    if (bytes.size() > limit) {
      bytes.clear();
      return FileRead::TooLarge;
    }
  }
}

// The folder a file of ours beside target goes into.
fs::path FolderOf(const fs::path& target) { return target.has_parent_path() ? target.parent_path() : fs::path("."); }

}  // namespace

FileRead ReadRegularFile(const fs::path& path, std::string& bytes, std::size_t limit) {
  return ReadInto(path, bytes, limit);
}

FileRead ReadRegularFile(const fs::path& path, std::vector<uint8_t>& bytes, std::size_t limit) {
  return ReadInto(path, bytes, limit);
}

fs::path NameBeside(const fs::path& target, std::string_view prefix, std::string_view suffix) {
  std::string name = target.filename().string();
  name.resize(std::min(name.size(), std::size_t{NAME_MAX} - prefix.size() - suffix.size()));
  fs::path beside = target.parent_path();
  beside /= std::string(prefix) + name + std::string(suffix);
  return beside;
}

fs::path LinkTarget(fs::path path) {
  std::error_code ec;
  for (int hops = 0; hops < 40 && fs::is_symlink(path, ec); ++hops) {
    const fs::path next = fs::read_symlink(path, ec);
    if (ec) break;
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  return path;
}

int ReplaceRefusal(const fs::path& target, bool& exists, struct stat& old) {
  exists = stat(target.c_str(), &old) == 0;
  if (!exists) return 0;
  if (!S_ISREG(old.st_mode)) return S_ISDIR(old.st_mode) ? EISDIR : EINVAL;
  // No write bit counts even for root: a file its owner made read-only stays as it is.
  if ((old.st_mode & 0222) == 0 || access(target.c_str(), W_OK) != 0) return EACCES;
  return 0;
}

ReplacementFile::ReplacementFile(const fs::path& path) : target_(LinkTarget(path)), fd_(OpenTemporary()) {}

ReplacementFile::~ReplacementFile() {
  if (temp_.empty()) return;
  const int error = errno;  // a caller may be reading why the write failed
  unlink(temp_.c_str());
  errno = error;
}

int ReplacementFile::Refusal(const fs::path& path) {
  const fs::path target = LinkTarget(path);
  bool exists = false;
  struct stat old{};
  if (const int refusal = ReplaceRefusal(target, exists, old)) return refusal;
  return faccessat(AT_FDCWD, FolderOf(target).c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
}

int ReplacementFile::OpenTemporary() {
  if (const int refusal = ReplaceRefusal(target_, exists_, old_)) {
    errno = refusal;
    return -1;
  }
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path temp =
        NameBeside(target_, ".", "." + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".tmp");
    // O_EXCL and O_NOFOLLOW: a file or link left at that name is never written through.
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return -1;
    temp_ = temp;
    if (exists_ && fchmod(fd, old_.st_mode & 07777) != 0) {
      const int error = errno;
      close(fd);
      errno = error;
      return -1;
    }
    return fd;
  }
  return -1;
}

bool ReplacementFile::Commit() {
  if (fd_.get() < 0 || fsync(fd_.get()) != 0 || !fd_.Close() || rename(temp_.c_str(), target_.c_str()) != 0)
    return false;
  temp_.clear();
  FileDescriptor dir(open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) fsync(dir.get());  // the rename itself has happened either way
  return true;
}

bool ReplaceFileContents(const fs::path& path, std::string_view content) {
  ReplacementFile file(path);
  return file.fd() >= 0 && WriteAll(file.fd(), content) && file.Commit();
}
