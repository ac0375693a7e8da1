// The profile-file rules on the text of an INI file: "[section]" lines and
// "key=value" lines, names matched without regard to (ASCII) case, CRLF or LF.
// The text is taken apart once, so that reads and writes cost the same in a file
// of any length; a write changes one line or adds one and keeps every other byte.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class ProfileText {
 public:
  explicit ProfileText(std::string_view text = {});

  // The value of the first key of that name in the first section of that name,
  // without the blanks around it and without one pair of quotes around it; nullopt
  // when the section or the key is missing.
  std::optional<std::string_view> Get(std::string_view section, std::string_view key) const;

  // Replaces the key's value in place, or adds the key at the end of its section,
  // or adds the section at the end of the text. A value with blanks at either end
  // is written in quotes, so that it reads back as it was. False, text unchanged,
  // when the names or the value cannot stand in a line (line breaks, a "]" in a
  // section name, a "=" in a key name).
  bool Set(std::string_view section, std::string_view key, std::string_view value);

  // The section names in file order, each name once, as the file first spells it.
  std::vector<std::string> SectionNames() const;

  std::string Text() const;

 private:
  struct Line {
    std::string content;  // without its line end
    std::string end;      // "\n", "\r\n", or less on the last line
  };
  // The lines of one section, its header first; the lines before the first header
  // make a block of their own. The blank lines at its end are held apart, so that
  // a key added at the end of the section goes before them without moving them.
  struct Block {
    std::vector<Line> lines;   // up to the last line that is not blank
    std::vector<Line> blanks;  // the blank lines after that
    std::unordered_map<std::string, std::size_t> keys;  // lower-cased name: first line of that key
  };

  static void EndLine(Line& line, std::string_view eol);
  std::string_view LineEnd() const;
  Line* LastLine();

  bool byteOrderMark_ = false;
  std::vector<Block> blocks_;
  std::unordered_map<std::string, std::size_t> sections_;  // lower-cased name: first block of that name
};
