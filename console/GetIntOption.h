// Integer options of the console program.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The value of option (see GetOptionValue) as an integer; defaultInt when the
// option is missing, empty, no integer or out of range.
int GetIntOption(const std::vector<std::string>& args, std::string_view option, int defaultInt);

// The integer forms options accept: leading blanks, an optional sign, then decimal
// digits or hexadecimal digits after "$", "x", "X", "0x" or "0X", and nothing after
// them. The signed value must fit into 32 bits, hexadecimal ones too: "$7FFFFFFF"
// and "-$80000000" are taken, "$80000000" and "$FFFFFFFF" are not.
std::optional<int32_t> TextToInt32(std::string_view text);
