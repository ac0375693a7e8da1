#include "RegFile.h"

#include <cstdint>
#include <unordered_map>

#include "platform/text/Utf8.h"

namespace {

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

// A quoted text at s[pos] == '"' with REGEDIT4's two escapes; pos ends past the
// closing quote.
std::optional<std::string> ParseQuoted(std::string_view s, std::size_t& pos) {
  std::string out;
  for (++pos; pos < s.size(); ++pos) {
    const char c = s[pos];
    if (c == '"') {
      ++pos;
      return out;
    }
    if (c == '\\') {
      if (++pos >= s.size() || (s[pos] != '\\' && s[pos] != '"')) return std::nullopt;
      out += s[pos];
    } else {
      out += c;
    }
  }
  return std::nullopt;
}

std::optional<uint32_t> ParseHexNumber(std::string_view s, std::size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits) return std::nullopt;
  uint32_t n = 0;
  for (char c : s) {
    const int d = HexDigitValue(c);
    if (d < 0) return std::nullopt;
    n = (n << 4) | static_cast<uint32_t>(d);
  }
  return n;
}

std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view s) {
  std::vector<uint8_t> bytes;
  s = TrimRight(s);
  if (s.empty()) return bytes;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = s.find(',', start);
    const std::string_view item = TrimLeft(TrimRight(s.substr(start, comma - start)));
    const auto byte = ParseHexNumber(item, 2);
    if (!byte) return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(*byte));
    if (comma == std::string_view::npos) return bytes;
    start = comma + 1;
  }
}

// The data after "=": a quoted text, dword:, hex: or hex(N):.
std::optional<RegValue> ParseData(std::string_view s) {
  RegValue value;
  if (!s.empty() && s.front() == '"') {
    std::size_t pos = 0;
    auto text = ParseQuoted(s, pos);
    if (!text || !TrimRight(s.substr(pos)).empty()) return std::nullopt;
    value.type = REG_SZ;
    value.data.assign(text->begin(), text->end());
    value.data.push_back(0);
    return value;
  }
  if (s.starts_with("dword:")) {
    const auto n = ParseHexNumber(TrimRight(s.substr(6)), 8);
    if (!n) return std::nullopt;
    value.type = REG_DWORD;
    for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<uint8_t>(*n >> (8 * i)));
    return value;
  }
  std::size_t bytesAt = 0;
  if (s.starts_with("hex:")) {
    value.type = REG_BINARY;
    bytesAt = 4;
  } else if (s.starts_with("hex(")) {
    const std::size_t close = s.find("):");
    if (close == std::string_view::npos) return std::nullopt;
    const auto type = ParseHexNumber(s.substr(4, close - 4), 8);
    if (!type) return std::nullopt;
    value.type = *type;
    bytesAt = close + 2;
  } else {
    return std::nullopt;  // deletions ("=-") and anything else we do not write
  }
  auto bytes = ParseHexBytes(s.substr(bytesAt));
  if (!bytes) return std::nullopt;
  value.data = std::move(*bytes);
  return value;
}

bool IsValueLine(std::string_view line) { return line.front() == '"' || line.front() == '@'; }

// The name and the data after "=" of a value line; false when there is no name.
bool SplitValueLine(std::string_view line, std::string& name, std::string_view& data) {
  std::size_t pos = 0;
  if (line.front() == '@') {
    pos = 1;
  } else {
    auto quoted = ParseQuoted(line, pos);
    if (!quoted) return false;
    name = std::move(*quoted);
  }
  if (pos >= line.size() || line[pos] != '=') return false;
  data = line.substr(pos + 1);
  return true;
}

// A hex list (hex: or hex(N):) is the one kind of data that continues onto the
// next line.
bool IsHexListLine(std::string_view line) {
  std::string name;
  std::string_view data;
  return SplitValueLine(line, name, data) && (data.starts_with("hex:") || data.starts_with("hex("));
}

bool StartsWithHexDigit(std::string_view s) { return !s.empty() && HexDigitValue(s.front()) >= 0; }

std::optional<RegValue> ParseValueLine(std::string_view line) {
  std::string name;
  std::string_view data;
  if (!SplitValueLine(line, name, data)) return std::nullopt;
  auto value = ParseData(data);
  if (value) value->name = std::move(name);
  return value;
}

std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

bool IsPlainText(const RegValue& v) {
  if (v.type != REG_SZ || v.data.empty() || v.data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < v.data.size(); ++i) {
    if (v.data[i] == 0 || v.data[i] == '\n' || v.data[i] == '\r') return false;
  }
  return true;
}

void AppendHex(std::string& line, std::string& out, const std::vector<uint8_t>& data) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < data.size(); ++i) {
    line += kDigits[data[i] >> 4];
    line += kDigits[data[i] & 15];
    if (i + 1 == data.size()) break;
    line += ',';
    if (line.size() > 76) {  // regedit's wrapping keeps lines under 80 columns
      out += line + "\\\n";
      line = "  ";
    }
  }
}

std::string FormatValue(const RegValue& v) {
  std::string line = v.name.empty() ? "@=" : "\"" + Escape(v.name) + "\"=";
  if (IsPlainText(v)) {
    const std::string_view text(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1);
    return line + "\"" + Escape(text) + "\"\n";
  }
  if (v.type == REG_DWORD && v.data.size() == 4) {
    uint32_t n = 0;
    for (int i = 3; i >= 0; --i) n = (n << 8) | v.data[i];
    char digits[9];
    for (int i = 7; i >= 0; --i, n >>= 4) digits[i] = "0123456789abcdef"[n & 15];
    digits[8] = 0;
    return line + "dword:" + digits + "\n";
  }
  if (v.type == REG_BINARY) {
    line += "hex:";
  } else {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string type;
    for (uint32_t t = v.type; t != 0 || type.empty(); t >>= 4) type.insert(type.begin(), kDigits[t & 15]);
    line += "hex(" + type + "):";
  }
  std::string out;
  AppendHex(line, out, v.data);
  return out + line + "\n";
}

}  // namespace

const RegValue* RegKey::Find(std::string_view name) const {
  for (const RegValue& v : values) {
    if (EqualIgnoringAsciiCase(v.name, name)) return &v;
  }
  return nullptr;
}

void RegKey::Set(RegValue value) {
  for (RegValue& v : values) {
    if (EqualIgnoringAsciiCase(v.name, value.name)) {
      v.type = value.type;  // the stored name keeps its spelling
      v.data = std::move(value.data);
      return;
    }
  }
  values.push_back(std::move(value));
}

const RegKey* RegFile::Find(std::string_view path) const {
  for (const RegKey& k : keys) {
    if (EqualIgnoringAsciiCase(k.path, path)) return &k;
  }
  return nullptr;
}

RegKey& RegFile::FindOrAdd(std::string_view path) {
  for (RegKey& k : keys) {
    if (EqualIgnoringAsciiCase(k.path, path)) return k;
  }
  keys.push_back(RegKey{std::string(path), {}, {}});
  return keys.back();
}

std::optional<RegFile> ParseRegFile(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  RegFile file;
  bool header = false;
  // Sections and values by their lower-cased names, so that each line is placed
  // in constant time.
  std::unordered_map<std::string, std::size_t> keyIndex;
  std::vector<std::unordered_map<std::string, std::size_t>> valueIndex;
  constexpr std::size_t kNoKey = SIZE_MAX;
  std::size_t key = kNoKey;  // the section the value lines go to
  std::vector<std::string>* kept = &file.keptLines;  // where unread lines go
  std::size_t pos = 0;
  auto nextLine = [&](std::string_view& line) {
    if (pos >= text.size()) return false;
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    line = TrimRight(text.substr(pos, end - pos));
    pos = end + 1;
    return true;
  };
  std::string_view line;
  while (nextLine(line)) {
    // Blanks in front of a line are no part of it; only an unread line keeps them.
    const std::string_view content = TrimLeft(line);
    if (content.empty()) continue;
    if (!header) {
      if (content.front() == ';') {
        file.keptLines.emplace_back(line);
        continue;
      }
      if (content != "REGEDIT4") return std::nullopt;
      header = true;
      continue;
    }
    if (content.front() == '[') {
      if (content.size() < 3 || content.back() != ']' || content[1] == '-') {
        // A section we cannot take (a deletion, say): it and its lines stay as they are.
        key = kNoKey;
        kept->emplace_back(line);
        continue;
      }
      const std::string path(content.substr(1, content.size() - 2));
      const auto [at, added] = keyIndex.try_emplace(LowerCaseAscii(path), file.keys.size());
      if (added) {
        file.keys.push_back(RegKey{path, {}, {}});
        valueIndex.emplace_back();
      }
      key = at->second;
      kept = &file.keys[key].keptLines;
      continue;
    }
    std::string joined(content);
    std::string original(line);
    std::string_view more;
    // A hex list continues only on a line of hex digits: a comment, a header or
    // another value never becomes part of it. One that still ends with "\"
    // cannot be read.
    const bool hexList = IsValueLine(content) && IsHexListLine(content);
    while (hexList && joined.back() == '\\') {
      const std::size_t at = pos;
      if (!nextLine(more) || !StartsWithHexDigit(TrimLeft(more))) {
        pos = at;
        break;
      }
      joined.pop_back();
      joined += TrimLeft(more);
      original += "\n" + std::string(more);
    }
    std::optional<RegValue> value;
    if (key != kNoKey && IsValueLine(content)) value = ParseValueLine(joined);
    if (!value) {
      kept->push_back(std::move(original));
      continue;
    }
    RegKey& k = file.keys[key];
    const auto [at, added] = valueIndex[key].try_emplace(LowerCaseAscii(value->name), k.values.size());
    if (added) {
      k.values.push_back(std::move(*value));
    } else {  // a later line of the same name wins; the first spelling stays
      k.values[at->second].type = value->type;
      k.values[at->second].data = std::move(value->data);
    }
  }
  return file;
}

namespace {

void AppendKept(std::string& out, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    out += line + "\n";
    if (line.ends_with('\\')) out += "\n";  // so that the next line is not taken for its continuation
  }
}

}  // namespace

std::string FormatRegFile(const RegFile& file) {
  std::string out = "REGEDIT4\n";
  AppendKept(out, file.keptLines);
  for (const RegKey& k : file.keys) {
    out += "\n[" + k.path + "]\n";
    for (const RegValue& v : k.values) out += FormatValue(v);
    AppendKept(out, k.keptLines);
  }
  return out + "\n";
}
