#include "platform/text/WideText.h"

#include "platform/text/Utf8.h"

namespace {

// Bytes that are no UTF-8 travel as the lone low surrogates U+DC80 to U+DCFF, so
// that any file name survives the way through the wide buffers and back.
constexpr char16_t kEscapedByte = 0xDC00;

bool IsEscapedByte(char16_t c) { return c >= 0xDC80 && c <= 0xDCFF; }

}  // namespace

std::u16string TextToWide(std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  while (!text.empty()) {
    char32_t cp = 0;
    const std::size_t length = DecodeUtf8(text, cp);
    if (length == 0) {
      wide += static_cast<char16_t>(kEscapedByte + static_cast<unsigned char>(text[0]));
      text.remove_prefix(1);
      continue;
    }
    text.remove_prefix(length);
    if (cp >= 0x10000) {
      const char32_t v = cp - 0x10000;
      wide += static_cast<char16_t>(0xD800 + (v >> 10));
      wide += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
    } else {
      wide += static_cast<char16_t>(cp);
    }
  }
  return wide;
}

bool TextToWideBuffer(std::string_view text, char16_t* buffer, std::size_t capacity) {
  if (capacity == 0) return false;
  buffer[0] = 0;
  const std::u16string wide = TextToWide(text);
  if (wide.size() + 1 > capacity) return false;
  wide.copy(buffer, wide.size());
  buffer[wide.size()] = 0;
  return true;
}

std::string WideToText(std::u16string_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t cp = wide[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      ++i;
    } else if (IsEscapedByte(wide[i])) {
      out += static_cast<char>(wide[i] - kEscapedByte);
      continue;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

std::string WideBufferToText(const char16_t* buffer) { return WideToText(std::u16string_view(buffer)); }
