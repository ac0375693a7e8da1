#include "platform/text/CompareText.h"

#include <locale.h>

#include <cwctype>

namespace {

// The next character of UTF-8 text; a byte that starts no well-formed character
// stands for itself (above every character, so it cannot tie with one).
char32_t NextCharacter(std::string_view& text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
  char32_t value = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
  bool wellFormed = length != 0 && text.size() >= length;
  for (std::size_t i = 1; wellFormed && i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    wellFormed = (next & 0xC0) == 0x80;
    value = (value << 6) | (next & 0x3F);
  }
  constexpr char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
  if (!wellFormed || value < minimum[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    text.remove_prefix(1);
    return 0x110000 + lead;
  }
  text.remove_prefix(length);
  return value;
}

char32_t Fold(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
  if (c > 0x10FFFF) return c;
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  if (utf8 == locale_t{}) return c;
  return static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), utf8));
}

}  // namespace

int CompareTextIgnoreCase(std::string_view a, std::string_view b) {
  std::string_view left = a;
  std::string_view right = b;
  while (!left.empty() && !right.empty()) {
    const char32_t l = Fold(NextCharacter(left));
    const char32_t r = Fold(NextCharacter(right));
    if (l != r) return l < r ? -1 : 1;
  }
  if (!left.empty() || !right.empty()) return left.empty() ? -1 : 1;
  const int bytes = a.compare(b);
  return bytes < 0 ? -1 : bytes > 0 ? 1 : 0;
}
