// The profile-file rules on the text of an INI file: "[section]" lines and
// "key=value" lines, names matched without regard to (ASCII) case, CRLF or LF.
// A write changes one line or adds one and keeps every other byte.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The value of the first key of that name in the first section of that name,
// without the blanks around it and without one pair of quotes around it; nullopt
// when the section or the key is missing.
std::optional<std::string> GetProfileValue(std::string_view text, std::string_view section, std::string_view key);

// Replaces the key's value in place, or adds the key at the end of its section,
// or adds the section at the end of the text. A value with blanks at either end
// is written in quotes, so that it reads back as it was. False, text unchanged,
// when the names or the value cannot stand in a line (line breaks, a "]" in a
// section name, a "=" in a key name).
bool SetProfileValue(std::string& text, std::string_view section, std::string_view key, std::string_view value);
