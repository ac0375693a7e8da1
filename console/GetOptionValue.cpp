#include "console/GetOptionValue.h"

#include "platform/text/Utf8.h"

ERangeError::ERangeError(std::string_view option)
    : std::range_error("option " + std::string(option) + " has no value"), option_(option) {}

std::string GetOptionValue(const std::vector<std::string>& args, std::string_view option,
                           std::string_view defaultText) {
  for (const std::string& argument : args) {
    if (!StartsWithIgnoringAsciiCase(argument, option)) continue;
    // Taken whole: a value cut short would name another file.
    std::string_view value = std::string_view(argument).substr(option.size());
    while (!value.empty() && (value.front() == ' ' || value.front() == '=')) value.remove_prefix(1);
    if (value.empty()) throw ERangeError(option);
    return std::string(value);
  }
  return std::string(defaultText);
}
