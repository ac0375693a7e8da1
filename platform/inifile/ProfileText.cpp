#include "platform/inifile/ProfileText.h"

#include <vector>

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// One line of the text: its content and where it ends (line end included).
struct Line {
  std::size_t end;
  std::string_view content;
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t lf = text.find('\n', pos);
    const std::size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
    std::string_view content = text.substr(pos, (lf == std::string_view::npos ? text.size() : lf) - pos);
    if (content.ends_with('\r')) content.remove_suffix(1);
    if (pos == 0 && content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);  // an editor's byte-order mark
    lines.push_back({end, content});
    pos = end;
  }
  return lines;
}

std::optional<std::string_view> SectionName(std::string_view content) {
  content = Trim(content);
  if (!content.starts_with('[')) return std::nullopt;
  const auto close = content.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(content.substr(1, close - 1));
}

// The key of a "key=value" line; comment lines have none.
std::optional<std::string_view> KeyName(std::string_view content) {
  const auto equals = content.find('=');
  if (equals == std::string_view::npos || Trim(content).starts_with(';')) return std::nullopt;
  return Trim(content.substr(0, equals));
}

// Where the wanted section and key stand among the lines.
struct Place {
  std::optional<std::size_t> section;  // the header line
  std::size_t sectionEnd = 0;          // one past the section's last non-blank line
  std::optional<std::size_t> key;
};

Place Locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
  Place place;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto name = SectionName(lines[i].content);
    if (place.section) {
      if (name) break;
      if (!Trim(lines[i].content).empty()) place.sectionEnd = i + 1;
      const auto k = KeyName(lines[i].content);
      if (k && SameName(*k, key)) {
        place.key = i;
        break;
      }
    } else if (name && SameName(*name, section)) {
      place.section = i;
      place.sectionEnd = i + 1;
    }
  }
  return place;
}

std::string_view LineEnd(std::string_view text) {
  const auto lf = text.find('\n');
  return lf != std::string_view::npos && lf > 0 && text[lf - 1] == '\r' ? "\r\n" : "\n";
}

bool Quoted(std::string_view value) {
  return value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\'');
}

std::string Stored(std::string_view value) {
  if (Trim(value).size() != value.size() || Quoted(value)) return "\"" + std::string(value) + "\"";
  return std::string(value);
}

bool FitsInLine(std::string_view s) { return s.find_first_of("\r\n") == std::string_view::npos; }

}  // namespace

std::optional<std::string> GetProfileValue(std::string_view text, std::string_view section, std::string_view key) {
  const auto lines = SplitLines(text);
  const Place place = Locate(lines, Trim(section), Trim(key));
  if (!place.key) return std::nullopt;
  const std::string_view content = lines[*place.key].content;
  std::string_view value = Trim(content.substr(content.find('=') + 1));
  if (Quoted(value)) value = value.substr(1, value.size() - 2);
  return std::string(value);
}

bool SetProfileValue(std::string& text, std::string_view section, std::string_view key, std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  if (!FitsInLine(section) || !FitsInLine(key) || !FitsInLine(value) || section.find(']') != std::string_view::npos ||
      key.empty() || key.find('=') != std::string_view::npos || key.starts_with('[') || key.starts_with(';'))
    return false;
  const auto lines = SplitLines(text);
  const Place place = Locate(lines, section, key);
  const std::string_view eol = LineEnd(text);
  const std::string stored = Stored(value);
  if (place.key) {
    const Line& line = lines[*place.key];
    // Keep the key as the file spells it, and the blanks after "=".
    const std::size_t start = static_cast<std::size_t>(line.content.data() - text.data());
    const std::size_t valueStart = line.content.find_first_not_of(kBlanks, line.content.find('=') + 1);
    const std::size_t from = start + (valueStart == std::string_view::npos ? line.content.size() : valueStart);
    const std::size_t to = start + line.content.size();
    text.replace(from, to - from, stored);
    return true;
  }
  const std::string entry = std::string(key) + "=" + stored + std::string(eol);
  if (place.section) {
    const Line& last = lines[place.sectionEnd - 1];
    if (last.end == text.size() && !text.ends_with('\n')) {
      text += std::string(eol) + entry;
    } else {
      text.insert(last.end, entry);
    }
    return true;
  }
  if (!text.empty() && !text.ends_with('\n')) text += eol;
  if (!lines.empty() && !Trim(lines.back().content).empty()) text += eol;  // a blank line between sections
  text += "[" + std::string(section) + "]" + std::string(eol) + entry;
  return true;
}
