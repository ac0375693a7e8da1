#include "platform/inifile/ProfileText.h"

#include <algorithm>
#include <iterator>

#include "platform/text/Utf8.h"

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";  // put there by some editors

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

std::string Lower(std::string_view s) { return LowerCaseAscii(std::string(s)); }

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

bool Quoted(std::string_view value) {
  return value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\'');
}

std::string Stored(std::string_view value) {
  if (Trim(value).size() != value.size() || Quoted(value)) return "\"" + std::string(value) + "\"";
  return std::string(value);
}

bool FitsInLine(std::string_view s) { return s.find_first_of("\r\n") == std::string_view::npos; }

}  // namespace

// Gives the text's last line the line end it lacks. A lone "\r" there is the first
// half of a "\r\n", as a new reading of the text will take it, whatever eol is.
void ProfileText::EndLine(Line& line, std::string_view eol) {
  if (line.end.ends_with('\n')) return;
  line.end = line.end.empty() ? std::string(eol) : "\r\n";
}

ProfileText::ProfileText(std::string_view text) {
  byteOrderMark_ = text.starts_with(kByteOrderMark);
  if (byteOrderMark_) text.remove_prefix(kByteOrderMark.size());
  blocks_.emplace_back();
  if (byteOrderMark_ && text.empty()) blocks_[0].blanks.push_back({});  // the mark is a line of its own
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t lf = text.find('\n', pos);
    const std::size_t end = lf == std::string_view::npos ? text.size() : lf + 1;
    std::size_t contentEnd = lf == std::string_view::npos ? text.size() : lf;
    if (contentEnd > pos && text[contentEnd - 1] == '\r') --contentEnd;
    Line line{std::string(text.substr(pos, contentEnd - pos)), std::string(text.substr(contentEnd, end - contentEnd))};
    pos = end;
    const auto name = SectionName(line.content);
    if (name) {
      sections_.try_emplace(Lower(*name), blocks_.size());
      blocks_.emplace_back();
    }
    Block& block = blocks_.back();
    if (Trim(line.content).empty()) {
      block.blanks.push_back(std::move(line));
      continue;
    }
    std::move(block.blanks.begin(), block.blanks.end(), std::back_inserter(block.lines));
    block.blanks.clear();
    if (!name && blocks_.size() > 1) {
      if (const auto key = KeyName(line.content)) block.keys.try_emplace(Lower(*key), block.lines.size());
    }
    block.lines.push_back(std::move(line));
  }
}

std::optional<std::string_view> ProfileText::Get(std::string_view section, std::string_view key) const {
  const auto block = sections_.find(Lower(Trim(section)));
  if (block == sections_.end()) return std::nullopt;
  const Block& b = blocks_[block->second];
  const auto line = b.keys.find(Lower(Trim(key)));
  if (line == b.keys.end()) return std::nullopt;
  const std::string_view content = b.lines[line->second].content;
  std::string_view value = Trim(content.substr(content.find('=') + 1));
  if (Quoted(value)) value = value.substr(1, value.size() - 2);
  return value;
}

bool ProfileText::Set(std::string_view section, std::string_view key, std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  if (!FitsInLine(section) || !FitsInLine(key) || !FitsInLine(value) || section.find(']') != std::string_view::npos ||
      key.empty() || key.find('=') != std::string_view::npos || key.starts_with('[') || key.starts_with(';'))
    return false;
  const std::string stored = Stored(value);
  const std::string eol(LineEnd());
  Line entry{std::string(key) + "=" + stored, eol};
  if (const auto found = sections_.find(Lower(section)); found != sections_.end()) {
    Block& block = blocks_[found->second];
    if (const auto line = block.keys.find(Lower(key)); line != block.keys.end()) {
      // Keep the key as the file spells it, and the blanks after "=".
      std::string& content = block.lines[line->second].content;
      const std::size_t valueStart = content.find_first_not_of(kBlanks, content.find('=') + 1);
      content.replace(valueStart == std::string::npos ? content.size() : valueStart, std::string::npos, stored);
      return true;
    }
    // Before the section's blank lines; only the text's last line lacks its end.
    EndLine(block.lines.back(), eol);
    block.keys.emplace(Lower(key), block.lines.size());
    block.lines.push_back(std::move(entry));
    return true;
  }
  if (Line* last = LastLine()) {
    EndLine(*last, eol);
    if (!Trim(last->content).empty()) blocks_.back().blanks.push_back({"", eol});  // a blank line between sections
  }
  sections_.emplace(Lower(section), blocks_.size());
  Block& block = blocks_.emplace_back();
  block.lines.push_back({"[" + std::string(section) + "]", eol});
  block.keys.emplace(Lower(key), 1);
  block.lines.push_back(std::move(entry));
  return true;
}

std::vector<std::string> ProfileText::SectionNames() const {
  std::vector<std::string> names;
  for (std::size_t i = 1; i < blocks_.size(); ++i) {
    const std::string_view name = *SectionName(blocks_[i].lines.front().content);
    if (sections_.at(Lower(name)) == i) names.emplace_back(name);
  }
  return names;
}

std::string ProfileText::Text() const {
  std::size_t size = kByteOrderMark.size();
  for (const Block& block : blocks_) {
    for (const auto* part : {&block.lines, &block.blanks}) {
      for (const Line& line : *part) size += line.content.size() + line.end.size();
    }
  }
  std::string text;
  text.reserve(size);
  if (byteOrderMark_) text.append(kByteOrderMark);
  for (const Block& block : blocks_) {
    for (const auto* part : {&block.lines, &block.blanks}) {
      for (const Line& line : *part) text.append(line.content).append(line.end);
    }
  }
  return text;
}

// The line end of the text's first line decides, LF when it has none.
std::string_view ProfileText::LineEnd() const {
  for (const Block& block : blocks_) {
    const std::vector<Line>& first = block.lines.empty() ? block.blanks : block.lines;
    if (!first.empty()) return first.front().end.ends_with("\r\n") ? "\r\n" : "\n";
  }
  return "\n";
}

ProfileText::Line* ProfileText::LastLine() {
  for (auto block = blocks_.rbegin(); block != blocks_.rend(); ++block) {
    if (!block->blanks.empty()) return &block->blanks.back();
    if (!block->lines.empty()) return &block->lines.back();
  }
  return nullptr;
}
