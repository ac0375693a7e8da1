#include "HresultText.h"

#include <cstdio>

std::string HresultText(const char* sentence, HRESULT hr) {
  std::string text = sentence;
  char digits[9];
  std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(hr));
  if (const size_t at = text.find("%1x"); at != std::string::npos) text.replace(at, 3, digits);
  return text;
}
