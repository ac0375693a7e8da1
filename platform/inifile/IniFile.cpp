#include "platform/inifile/IniFile.h"

#include <optional>
#include <utility>

#include "platform/inifile/ProfileText.h"
#include "platform/kernel/ReplaceFile.h"
#include "platform/text/Utf8.h"

namespace {

// Far above any script; a larger file is not read, and not written over.
constexpr std::size_t kFileLimit = 64u << 20;
constexpr std::size_t kValueLimit = 2047;

std::optional<uint32_t> HexDigits(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  uint64_t value = 0;
  for (const char c : digits) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<uint64_t>(digit);
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  return static_cast<uint32_t>(value);
}

std::optional<int32_t> ToInteger(std::string_view text) {
  if (text.size() >= 3 && (text.starts_with("0x") || text.starts_with("0X"))) {
    const auto pattern = HexDigits(text.substr(2));
    if (!pattern) return std::nullopt;
    return static_cast<int32_t>(*pattern);
  }
  const bool negative = text.starts_with('-');
  if (negative || text.starts_with('+')) text.remove_prefix(1);
  if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X')) {
    const auto pattern = HexDigits(text.substr(1));
    if (!pattern) return std::nullopt;
    return static_cast<int32_t>(negative ? 0u - *pattern : *pattern);
  }
  if (text.empty()) return std::nullopt;
  int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > int64_t{1} << 31) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

}  // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {
  std::string text;
  const FileRead read = ReadRegularFile(fileName_, text, kFileLimit);
  writable_ = read == FileRead::Read || read == FileRead::Absent;
  text_ = ProfileText(text);
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  std::string result(text_.Get(section, key).value_or(def));
  if (result.size() > kValueLimit) result.resize(kValueLimit);
  return result;
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
  return ToInteger(ReadString(section, key, "")).value_or(def);
}

std::vector<std::string> TIniFile::ReadSections() const { return text_.SectionNames(); }

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  if (!writable_ || !text_.Set(section, key, value)) Fail();
  changed_ = true;
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::UpdateFile() {
  if (!changed_) return;
  if (!ReplaceFileContents(fileName_, text_.Text())) Fail();
  changed_ = false;
}

void TIniFile::Fail() const { throw EIniFileException("In " + fileName_ + " kann nicht geschrieben werden"); }
