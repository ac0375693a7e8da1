#include "console/GetOptionValue.h"

#include <cstddef>

namespace {

constexpr std::size_t kMaxValueCharacters = 100;

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithOption(std::string_view argument, std::string_view option) {
  if (argument.size() < option.size()) return false;
  for (std::size_t i = 0; i < option.size(); ++i) {
    if (UpperAscii(argument[i]) != UpperAscii(option[i])) return false;
  }
  return true;
}

// The first count characters of UTF-8 text; a character is never split.
std::string_view FirstCharacters(std::string_view text, std::size_t count) {
  std::size_t end = 0;
  for (std::size_t characters = 0; end < text.size() && characters < count; ++characters) {
    ++end;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  }
  return text.substr(0, end);
}

}  // namespace

ERangeError::ERangeError(std::string_view option)
    : std::range_error("option " + std::string(option) + " has no value"), option_(option) {}

std::string GetOptionValue(const std::vector<std::string>& args, std::string_view option,
                           std::string_view defaultText) {
  for (const std::string& argument : args) {
    if (!StartsWithOption(argument, option)) continue;
    std::string_view value = FirstCharacters(std::string_view(argument).substr(option.size()), kMaxValueCharacters);
    while (!value.empty() && (value.front() == ' ' || value.front() == '=')) value.remove_prefix(1);
    if (value.empty()) throw ERangeError(option);
    return std::string(value);
  }
  return std::string(defaultText);
}
