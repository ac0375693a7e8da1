// Feeds arbitrary text to the INI layer and writes into it: the text must come
// back byte for byte when nothing is written, every write must read back as
// written, every other value must stay as it was, and a new reading of the
// written text must give the same values and sections.
// The input is NUL-separated: the file's text, then section, key and value of
// each write.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/inifile/ProfileText.h"
#include "platform/text/Utf8.h"

namespace {

using Names = std::pair<std::string, std::string>;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (std::size_t at; (at = text.find(separator)) != std::string_view::npos; text.remove_prefix(at + 1))
    parts.push_back(text.substr(0, at));
  parts.push_back(text);
  return parts;
}

// The names as the profile rules match them.
Names Matched(std::string_view section, std::string_view key) {
  const auto trimmed = [](std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return std::string();
    return std::string(s.substr(first, s.find_last_not_of(" \t") - first + 1));
  };
  return {LowerCaseAscii(trimmed(section)), LowerCaseAscii(trimmed(key))};
}

// Roughly the section and key names the text holds; a name that is none reads as missing.
std::vector<Names> NamesIn(std::string_view text) {
  std::vector<Names> names;
  std::string section;
  for (const std::string_view line : Split(text, '\n')) {
    const auto open = line.find('[');
    const auto close = line.find(']');
    if (open != std::string_view::npos && close != std::string_view::npos && open < close)
      section = line.substr(open + 1, close - open - 1);
    else if (const auto equals = line.find('='); equals != std::string_view::npos)
      names.emplace_back(section, line.substr(0, equals));
  }
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string_view> parts = Split(std::string_view(reinterpret_cast<const char*>(data), size), '\0');
  ProfileText text(parts[0]);
  Check(text.Text() == parts[0]);

  std::vector<Names> probes = NamesIn(parts[0]);
  std::map<Names, std::optional<std::string>> expected;
  for (const auto& [section, key] : probes) expected.try_emplace(Matched(section, key), text.Get(section, key));
  for (std::size_t at = 1; at + 2 < parts.size(); at += 3) {
    const std::string_view section = parts[at], key = parts[at + 1], value = parts[at + 2];
    if (!text.Set(section, key, value)) continue;
    Check(text.Get(section, key) == value);
    probes.emplace_back(section, key);
    expected[Matched(section, key)] = std::string(value);
  }

  const std::string written = text.Text();
  const ProfileText reread(written);
  Check(reread.Text() == written);
  Check(reread.SectionNames() == text.SectionNames());
  for (const auto& [section, key] : probes) {
    const auto value = text.Get(section, key);
    Check(value == expected.at(Matched(section, key)));
    Check(reread.Get(section, key) == value);
  }
  return 0;
}
