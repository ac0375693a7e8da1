#include "console/GetIntOption.h"

#include "console/GetOptionValue.h"

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

}  // namespace

std::optional<int32_t> TextToInt32(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && (text.front() == '$' || text.front() == 'x' || text.front() == 'X')) {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;

  constexpr int64_t kLargestMagnitude = int64_t{1} << 31;  // of INT32_MIN
  int64_t magnitude = 0;
  for (const char c : text) {
    const int digit = DigitValue(c);
    if (digit >= base) return std::nullopt;
    magnitude = magnitude * base + digit;
    if (magnitude > kLargestMagnitude) return std::nullopt;
  }
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

int GetIntOption(const std::vector<std::string>& args, std::string_view option, int defaultInt) {
  try {
    return TextToInt32(GetOptionValue(args, option, std::to_string(defaultInt))).value_or(defaultInt);
  } catch (const ERangeError&) {
    return defaultInt;
  }
}
