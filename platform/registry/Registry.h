// The current user's registry, kept in one REGEDIT4 text file per user:
// $VISTREL_REGISTRY_FILE when set, else <config folder>/vistrel/registry.reg
// (config folder: $XDG_CONFIG_HOME, else ~/.config).
//
// Reads see the file as it is at that moment. Every write takes a lock beside
// the file, re-reads it, changes the one value and renames a complete new file
// over it, so that another program writing at the same time or a crash loses no
// value. A file that cannot be parsed reads as holding no keys; the first write
// after that keeps it as "<file>.bak" before starting a fresh one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

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
  // file cannot be written.
  void WriteInteger(std::string_view name, int32_t value);
  void WriteString(std::string_view name, std::string_view text);

 private:
  const RegValue* Lookup(std::string_view name, RegFile& holder) const;
  void WriteValue(RegValue value);
  bool Update(const std::function<void(RegFile&)>& change) const;

  std::filesystem::path file_;
  std::string currentKey_;  // full path; empty when no key is open
};
