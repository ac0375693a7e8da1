// TIniFile: an INI file read and written through the profile rules. The file is
// read once, when the object is made; reads and writes then work on that text in
// memory, and UpdateFile replaces the whole file at once (see
// ReplaceFileContents), so a crash leaves the file as it was before or after the
// save, never a mix.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/inifile/ProfileText.h"

// A file that could not be written: "In <file> kann nicht geschrieben werden".
class EIniFileException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TIniFile {
 public:
  // Reads the file. The name's bytes are used as they are (a Linux file name need
  // not be UTF-8). A missing file reads as empty; a file that cannot be read (no
  // access, not a regular file, above 64 MB) reads as empty too, and is never
  // written over.
  explicit TIniFile(std::string fileName);

  const std::string& FileName() const { return fileName_; }

  // At most 2047 bytes; def when the file, the section or the key is missing.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // "0x"/"0X" and at least one more character: hexadecimal, a 32-bit pattern;
  // otherwise a decimal number with an optional sign, where "$", "x" or "X" in
  // place of the first digit marks hexadecimal. Anything else gives def.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
  // The names of the sections, in file order.
  std::vector<std::string> ReadSections() const;

  // Change the text in memory; they raise EIniFileException at once when the file
  // could not be read or the names or value cannot stand in a line.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);

  // Replaces the file with the text as the writes left it; raises
  // EIniFileException, the file as it was, when that cannot be done. Writes not
  // flushed by it are dropped when the object goes: a save that ended half way
  // must not reach the file.
  void UpdateFile();

 private:
  [[noreturn]] void Fail() const;

  std::string fileName_;
  bool writable_;
  bool changed_ = false;
  ProfileText text_;
};
