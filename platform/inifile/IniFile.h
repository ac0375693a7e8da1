// TIniFile: an INI file read and written key by key through the profile rules.
// Nothing is held between two calls: every read sees the file as it is, and
// every write replaces the whole file at once (see ReplaceFileContents), so a
// crash leaves the file as it was before or after that write.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// A key that could not be written: "In <file> kann nicht geschrieben werden".
class EIniFileException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TIniFile {
 public:
  // The name's bytes are used as they are (a Linux file name need not be UTF-8).
  explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

  const std::string& FileName() const { return fileName_; }

  // At most 2047 bytes; def when the file, the section or the key is missing.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // "0x"/"0X" and at least one more character: hexadecimal, a 32-bit pattern;
  // otherwise a decimal number with an optional sign, where "$", "x" or "X" in
  // place of the first digit marks hexadecimal. Anything else gives def.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);

 private:
  std::string fileName_;
};
