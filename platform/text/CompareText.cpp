#include "platform/text/CompareText.h"

#include <algorithm>

#include "platform/text/Utf8.h"

namespace {

// The next character of UTF-8 text; a byte that starts no well-formed character
// stands for itself (above every character, so it cannot tie with one).
char32_t NextCharacter(std::string_view& text) {
  char32_t value = 0;
  const std::size_t length = DecodeUtf8(text, value);
  if (length == 0) {
    value = 0x110000 + static_cast<unsigned char>(text[0]);
    text.remove_prefix(1);
    return value;
  }
  text.remove_prefix(length);
  return value;
}

}  // namespace

int CompareTextIgnoreCase(std::string_view a, std::string_view b) {
  std::string_view left = a;
  std::string_view right = b;
  while (!left.empty() && !right.empty()) {
    const char32_t l = FoldCase(NextCharacter(left));
    const char32_t r = FoldCase(NextCharacter(right));
    if (l != r) return l < r ? -1 : 1;
  }
  if (!left.empty() || !right.empty()) return left.empty() ? -1 : 1;
  const int bytes = a.compare(b);
  return bytes < 0 ? -1 : bytes > 0 ? 1 : 0;
}

void SortIgnoringCase(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return CompareTextIgnoreCase(a, b) < 0; });
}
