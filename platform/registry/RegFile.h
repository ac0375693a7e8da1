// The per-user registry as a REGEDIT4 text file: keys as sections, each value a
// type and its raw bytes, so that values of any type survive a rewrite.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_EXPAND_SZ = 2;
constexpr uint32_t REG_BINARY = 3;
constexpr uint32_t REG_DWORD = 4;

struct RegValue {
  std::string name;  // empty for the key's default value ("@")
  uint32_t type = REG_SZ;
  std::vector<uint8_t> data;  // texts carry their terminating zero
};

struct RegKey {
  std::string path;  // full path, e.g. "HKEY_CURRENT_USER\Software\Korvane\Vistrel"
  std::vector<RegValue> values;
  // Lines after the section header that could not be read (or are comments),
  // written back as they were after the values.
  std::vector<std::string> keptLines;

  // Names compare without regard to ASCII case, as the registry's do.
  const RegValue* Find(std::string_view name) const;
  void Set(RegValue value);
};

struct RegFile {
  std::vector<RegKey> keys;  // in file order
  std::vector<std::string> keptLines;  // before the first section

  const RegKey* Find(std::string_view path) const;
  RegKey& FindOrAdd(std::string_view path);
};

// nullopt when the text is not a REGEDIT4 file (no header). An empty text is an
// empty file. Blanks before a line are skipped. Only a hex list continues onto
// the next line, and only onto one of hex digits, so that no value or header is
// ever taken into another line. A line that cannot be read is kept as it is and
// read as nothing; time grows linearly with the text.
std::optional<RegFile> ParseRegFile(std::string_view text);

// Always a valid REGEDIT4 text that ParseRegFile reads back to the same keys.
std::string FormatRegFile(const RegFile& file);
