// The current user's registry, kept in one REGEDIT4 text file per user:
// $VISTREL_REGISTRY_FILE when set, else <config folder>/vistrel/registry.reg
// (config folder: $XDG_CONFIG_HOME, else ~/.config).
//
// OpenKey reads the file once; the reads of the open key see it as it was then
// (and as this object's own writes left it). Every write takes a lock beside
// the file, re-reads it, changes its values and renames a complete new file
// over it, so that another program writing at the same time or a crash loses no
// value. Lines that cannot be read are kept as they are. A file without the
// REGEDIT4 header or larger than 4 MB reads as holding no keys; the first write
// after that moves it aside as "<file>.bak" (or ".bak.1", ... : no backup is
// ever overwritten) before starting a fresh one. A write that would make the
// file larger than 4 MB is refused, so that no file of ours is ever taken for
// damaged. A file that is not a regular file (a FIFO, a device) is neither read
// nor written; neither is one without write permission rewritten. The lock,
// backup and temporary names cut the file's name where they would be longer
// than a name may be.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/RegFile.h"

// A value that could not be written; the text names the value.
class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class RegRead {
  Ok,
  NotOpen,    // no key is open
  Missing,    // the key holds no value of that name
  WrongType,  // the value's type does not fit the read
};

class TRegistry {
 public:
  TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  static std::filesystem::path DefaultFileName();
  const std::filesystem::path& FileName() const { return file_; }

  // key counts from HKEY_CURRENT_USER, with or without a leading "\". With
  // canCreate a missing key is created (and stored at once). False when the key
  // is neither there nor could be created; no key is open then.
  bool OpenKey(std::string_view key, bool canCreate);
  void CloseKey();

  // REG_DWORD only.
  RegRead ReadInteger(std::string_view name, int32_t& value) const;
  // REG_SZ or REG_EXPAND_SZ, as stored (no expansion), up to the first zero.
  RegRead ReadString(std::string_view name, std::string& value) const;

  // REG_DWORD and REG_SZ. Throw ERegistryException with the text
  // "Fehler beim Setzen der Daten für '<name>'" when no key is open or the
  // file cannot be written, followed by "\n<file>: <reason>" when the file
  // said why.
  void WriteInteger(std::string_view name, int32_t value);
  void WriteString(std::string_view name, std::string_view text);
  // As WriteInteger, but only when the key holds no value of that name (of
  // whatever type) at the moment the file is written.
  void WriteIntegerWhenMissing(std::string_view name, int32_t value);

  // Runs writes, whose values then reach the file together in one locked
  // replace: a crash or a signal leaves all of them stored or none. Reads
  // meanwhile see the values as they were. When the file cannot be written,
  // throws as a single write would, naming the first value.
  void WriteTogether(const std::function<void()>& writes);

 private:
  struct Write {
    RegValue value;
    bool onlyWhenMissing;
  };

  const RegValue* Lookup(std::string_view name) const;
  void WriteValue(RegValue value, bool onlyWhenMissing);
  void Store(std::vector<Write> writes);
  bool Update(const std::function<void(RegFile&)>& change, std::string& reason);

  std::filesystem::path file_;
  std::optional<RegFile> cache_;  // the file as OpenKey read it, or nullopt when it held nothing readable
  std::string openFailure_;  // why the last OpenKey could not create its key
  std::string currentKey_;  // full path; empty when no key is open
  std::optional<std::vector<Write>> collected_;  // inside WriteTogether
};
