// Messages that carry an HRESULT.
#pragma once

#include <string>

#include "platform/com/Hresult.h"

// The sentence with its "%1x" replaced by the result in upper-case hexadecimal
// without leading zeros.
std::string HresultText(const char* sentence, HRESULT hr);
