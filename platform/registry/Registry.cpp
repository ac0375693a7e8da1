#include "Registry.h"

#include "platform/kernel/FileDescriptor.h"
#include "platform/kernel/ReplaceFile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <optional>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kRoot = "HKEY_CURRENT_USER";

// Far above any real store (a few kilobytes); a larger file counts as damaged,
// and no larger one is ever written.
constexpr std::size_t kMaxStoreBytes = 4 << 20;

enum class FileState { Absent, Read, Damaged, Failed };

// Reads the store without blocking on a FIFO or reading a device without end;
// reason says why it failed.
FileState ReadStore(const fs::path& path, std::string& text, std::string& reason) {
  switch (ReadRegularFile(path, text, kMaxStoreBytes)) {
    case FileRead::Read:
      return FileState::Read;
    case FileRead::Absent:
      return FileState::Absent;
    case FileRead::TooLarge:
      return FileState::Damaged;
    case FileRead::NotRegular:
      reason = "not a regular file";
      return FileState::Failed;
    case FileRead::Unreadable:
      break;
  }
  reason = std::strerror(errno);
  return FileState::Failed;
}

// The file as keys; nullopt when it is missing, unreadable or damaged.
std::optional<RegFile> LoadFile(const fs::path& path) {
  std::string text, reason;
  if (ReadStore(path, text, reason) != FileState::Read) return std::nullopt;
  return ParseRegFile(text);
}

// Moves a damaged store aside under the first backup name that is free, so
// that no earlier backup is ever overwritten.
bool KeepDamaged(const fs::path& path, std::string& reason) {
  for (int generation = 0; generation < 100; ++generation) {
    const std::string suffix = generation == 0 ? std::string(".bak") : ".bak." + std::to_string(generation);
    const fs::path backup = NameBeside(path, "", suffix);
    if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, backup.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EEXIST) {
      reason = std::string("cannot keep the damaged file: ") + std::strerror(errno);
      return false;
    }
  }
  reason = "too many backups of damaged settings files";
  return false;
}

std::string FullKeyPath(std::string_view key) {
  while (key.starts_with('\\')) key.remove_prefix(1);
  while (key.ends_with('\\')) key.remove_suffix(1);
  std::string path(kRoot);
  if (!key.empty()) path += "\\" + std::string(key);
  return path;
}

RegValue DwordValue(std::string_view name, int32_t value) {
  RegValue v{std::string(name), REG_DWORD, {}};
  for (int i = 0; i < 4; ++i) v.data.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
  return v;
}

[[noreturn]] void ThrowWriteError(const std::string& name, const std::string& reason, const fs::path& file) {
  std::string text = "Fehler beim Setzen der Daten f\xC3\xBCr '" + name + "'";
  if (!reason.empty()) text += "\n" + LinkTarget(file).string() + ": " + reason;
  throw ERegistryException(text);
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
  openFailure_.clear();
  const std::string path = FullKeyPath(key);
  // Read once here: the reads of the open key take their values from it.
  cache_ = LoadFile(file_);
  const bool exists = cache_ && cache_->Find(path);
  if (!exists && !(canCreate && Update([&](RegFile& f) { f.FindOrAdd(path); }, openFailure_))) return false;
  currentKey_ = path;
  return true;
}

void TRegistry::CloseKey() { currentKey_.clear(); }

const RegValue* TRegistry::Lookup(std::string_view name) const {
  if (!cache_) return nullptr;
  const RegKey* key = cache_->Find(currentKey_);
  return key ? key->Find(name) : nullptr;
}

RegRead TRegistry::ReadInteger(std::string_view name, int32_t& value) const {
  if (currentKey_.empty()) return RegRead::NotOpen;
  const RegValue* v = Lookup(name);
  if (!v) return RegRead::Missing;
  if (v->type != REG_DWORD || v->data.size() != 4) return RegRead::WrongType;
  uint32_t n = 0;
  for (int i = 3; i >= 0; --i) n = (n << 8) | v->data[i];
  value = static_cast<int32_t>(n);
  return RegRead::Ok;
}

RegRead TRegistry::ReadString(std::string_view name, std::string& value) const {
  if (currentKey_.empty()) return RegRead::NotOpen;
  const RegValue* v = Lookup(name);
  if (!v) return RegRead::Missing;
  if (v->type != REG_SZ && v->type != REG_EXPAND_SZ) return RegRead::WrongType;
  std::string text(v->data.begin(), v->data.end());
  value = text.substr(0, text.find('\0'));
  return RegRead::Ok;
}

void TRegistry::WriteInteger(std::string_view name, int32_t value) { WriteValue(DwordValue(name, value), false); }

void TRegistry::WriteIntegerWhenMissing(std::string_view name, int32_t value) {
  WriteValue(DwordValue(name, value), true);
}

void TRegistry::WriteString(std::string_view name, std::string_view text) {
  RegValue v{std::string(name), REG_SZ, std::vector<uint8_t>(text.begin(), text.end())};
  v.data.push_back(0);
  WriteValue(std::move(v), false);
}

void TRegistry::WriteTogether(const std::function<void()>& writes) {
  collected_.emplace();
  try {
    writes();
  } catch (...) {
    collected_.reset();
    throw;
  }
  std::vector<Write> collected = std::move(*collected_);
  collected_.reset();
  Store(std::move(collected));
}

void TRegistry::WriteValue(RegValue value, bool onlyWhenMissing) {
  // A line break would end the value's line in the file.
  if (currentKey_.empty() || value.name.find_first_of("\r\n") != std::string::npos) {
    ThrowWriteError(value.name, currentKey_.empty() ? openFailure_ : std::string(), file_);
  }
  if (collected_)
    collected_->push_back({std::move(value), onlyWhenMissing});
  else
    Store({{std::move(value), onlyWhenMissing}});
}

void TRegistry::Store(std::vector<Write> writes) {
  if (writes.empty()) return;
  const std::string first = writes.front().value.name;
  std::string reason;
  const auto change = [&](RegFile& f) {
    RegKey& key = f.FindOrAdd(currentKey_);
    for (Write& w : writes) {
      if (!w.onlyWhenMissing || !key.Find(w.value.name)) key.Set(std::move(w.value));
    }
  };
  if (!Update(change, reason)) ThrowWriteError(first, reason, file_);
}

bool TRegistry::Update(const std::function<void(RegFile&)>& change, std::string& reason) {
  const fs::path target = LinkTarget(file_);
  std::error_code ec;
  bool exists = false;
  struct stat st;
  // Refused before the lock and before a damaged store is moved aside.
  if (const int refusal = ReplaceRefusal(target, exists, st)) {
    reason = refusal == EACCES ? std::strerror(EACCES) : "not a regular file";
    return false;
  }
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
  FileDescriptor lock(open(NameBeside(target, "", ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
  if (lock.get() < 0) {
    reason = std::strerror(errno);
    return false;
  }
  int locked;
  do {
    locked = flock(lock.get(), LOCK_EX);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) {
    reason = std::strerror(errno);
    return false;
  }

  std::string text;
  const FileState state = ReadStore(target, text, reason);
  if (state == FileState::Failed) return false;
  std::optional<RegFile> file = RegFile{};
  if (state == FileState::Read) file = ParseRegFile(text);
  const bool damaged = state == FileState::Damaged || !file;
  if (damaged) file = RegFile{};
  change(*file);
  text = FormatRegFile(*file);
  // A file of ours that the next read would take for damaged is never written:
  // the rewrite spells values out (dword:1 as dword:00000001) and may grow.
  if (text.size() > kMaxStoreBytes) {
    reason = "the settings would take more than the 4 MB a settings file may hold";
    return false;
  }
  if (damaged && !KeepDamaged(target, reason)) return false;
  if (!ReplaceFileContents(target, text)) {
    reason = std::strerror(errno);
    return false;
  }
  cache_ = std::move(*file);
  return true;
}
