// Options of the console program: a dash and a letter at the start of one
// argument, its value after it in the same argument (-x320, -x=320, "-x = 320").
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Raised by GetOptionValue when an option is given with nothing after it (or only
// blanks and "="), so that the caller can tell it from a missing option.
class ERangeError : public std::range_error {
 public:
  explicit ERangeError(std::string_view option);
  const std::string& Option() const { return option_; }

 private:
  std::string option_;
};

// The value of the first argument that starts with option (letters a-z in either
// case): what follows the option, whole, without its leading blanks and "=".
// defaultText when no argument starts with the option.
// args are the arguments after the program name.
std::string GetOptionValue(const std::vector<std::string>& args, std::string_view option,
                           std::string_view defaultText);
