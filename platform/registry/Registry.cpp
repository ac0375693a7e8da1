#include "Registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kRoot = "HKEY_CURRENT_USER";

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

enum class FileState { Absent, Read, Failed };

FileState ReadWhole(const fs::path& path, std::string& text) {
  FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) return errno == ENOENT ? FileState::Absent : FileState::Failed;
  text.clear();
  char buffer[8192];
  while (true) {
    const ssize_t n = read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return FileState::Failed;
    if (n == 0) return FileState::Read;
    text.append(buffer, static_cast<std::size_t>(n));
  }
}

// The file as keys; nullopt when it is missing, unreadable or damaged.
std::optional<RegFile> LoadFile(const fs::path& path) {
  std::string text;
  if (ReadWhole(path, text) != FileState::Read) return std::nullopt;
  return ParseRegFile(text);
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

// Replaces path by a file holding content, or leaves it as it was.
bool WriteAtomically(const fs::path& path, std::string_view content) {
  fs::path temp = path;
  temp += ".tmp";
  FileDescriptor fd(open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (fd.get() < 0) return false;
  struct stat old{};
  if (stat(path.c_str(), &old) == 0) fchmod(fd.get(), old.st_mode & 07777);
  if (!WriteAll(fd.get(), content) || fsync(fd.get()) != 0 || !fd.Close() ||
      rename(temp.c_str(), path.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  FileDescriptor dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) fsync(dir.get());  // the rename itself has happened either way
  return true;
}

// Writes go to the file a link points at, so that a linked settings file stays linked.
fs::path Target(fs::path path) {
  std::error_code ec;
  for (int hops = 0; hops < 40 && fs::is_symlink(path, ec); ++hops) {
    const fs::path next = fs::read_symlink(path, ec);
    if (ec) break;
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  return path;
}

std::string FullKeyPath(std::string_view key) {
  while (key.starts_with('\\')) key.remove_prefix(1);
  while (key.ends_with('\\')) key.remove_suffix(1);
  std::string path(kRoot);
  if (!key.empty()) path += "\\" + std::string(key);
  return path;
}

}  // namespace

TRegistry::TRegistry() : file_(DefaultFileName()) {}

fs::path TRegistry::DefaultFileName() {
  if (const char* file = std::getenv("VISTREL_REGISTRY_FILE"); file && *file) return file;
  fs::path config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    config = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    config = fs::path(home) / ".config";
  } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
    config = fs::path(pw->pw_dir) / ".config";
  }
  return config / "vistrel" / "registry.reg";
}

bool TRegistry::OpenKey(std::string_view key, bool canCreate) {
  currentKey_.clear();
  const std::string path = FullKeyPath(key);
  const auto file = LoadFile(file_);
  const bool exists = file && file->Find(path);
  if (!exists && !(canCreate && Update([&](RegFile& f) { f.FindOrAdd(path); }))) return false;
  currentKey_ = path;
  return true;
}

void TRegistry::CloseKey() { currentKey_.clear(); }

const RegValue* TRegistry::Lookup(std::string_view name, RegFile& holder) const {
  auto file = LoadFile(file_);
  if (!file) return nullptr;
  holder = std::move(*file);
  const RegKey* key = holder.Find(currentKey_);
  return key ? key->Find(name) : nullptr;
}

RegRead TRegistry::ReadInteger(std::string_view name, int32_t& value) const {
  if (currentKey_.empty()) return RegRead::NotOpen;
  RegFile holder;
  const RegValue* v = Lookup(name, holder);
  if (!v) return RegRead::Missing;
  if (v->type != REG_DWORD || v->data.size() != 4) return RegRead::WrongType;
  uint32_t n = 0;
  for (int i = 3; i >= 0; --i) n = (n << 8) | v->data[i];
  value = static_cast<int32_t>(n);
  return RegRead::Ok;
}

RegRead TRegistry::ReadString(std::string_view name, std::string& value) const {
  if (currentKey_.empty()) return RegRead::NotOpen;
  RegFile holder;
  const RegValue* v = Lookup(name, holder);
  if (!v) return RegRead::Missing;
  if (v->type != REG_SZ && v->type != REG_EXPAND_SZ) return RegRead::WrongType;
  std::string text(v->data.begin(), v->data.end());
  value = text.substr(0, text.find('\0'));
  return RegRead::Ok;
}

void TRegistry::WriteInteger(std::string_view name, int32_t value) {
  RegValue v{std::string(name), REG_DWORD, {}};
  for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
  WriteValue(std::move(v));
}

void TRegistry::WriteString(std::string_view name, std::string_view text) {
  RegValue v{std::string(name), REG_SZ, std::vector<uint8_t>(text.begin(), text.end())};
  v.data.push_back(0);
  WriteValue(std::move(v));
}

void TRegistry::WriteValue(RegValue value) {
  const std::string name = value.name;
  // A line break would end the value's line in the file.
  const bool writable = !currentKey_.empty() && name.find_first_of("\r\n") == std::string::npos;
  if (!writable || !Update([&](RegFile& f) { f.FindOrAdd(currentKey_).Set(std::move(value)); })) {
    throw ERegistryException("Fehler beim Setzen der Daten f\xC3\xBCr '" + name + "'");
  }
}

bool TRegistry::Update(const std::function<void(RegFile&)>& change) const {
  const fs::path target = Target(file_);
  std::error_code ec;
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
  fs::path lockName = target;
  lockName += ".lock";
  FileDescriptor lock(open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
  if (lock.get() < 0) return false;
  int locked;
  do {
    locked = flock(lock.get(), LOCK_EX);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) return false;

  std::string text;
  const FileState state = ReadWhole(target, text);
  if (state == FileState::Failed) return false;
  std::optional<RegFile> file = RegFile{};
  if (state == FileState::Read) {
    file = ParseRegFile(text);
    if (!file) {
      fs::path backup = target;
      backup += ".bak";
      if (!WriteAtomically(backup, text)) return false;
      file = RegFile{};
    }
  }
  change(*file);
  return WriteAtomically(target, FormatRegFile(*file));
}
