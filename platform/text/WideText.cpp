#include "WideText.h"

#include <optional>

namespace {

// Decodes one UTF-8 sequence at text[pos]; nullopt for malformed input.
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& pos) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  int length = 0;
  char32_t cp = 0;
  if (lead < 0x80) {
    ++pos;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    cp = lead & 0x07;
  } else {
    return std::nullopt;
  }
  if (pos + length > text.size()) return std::nullopt;
  for (int i = 1; i < length; ++i) {
    const unsigned char b = byte(pos + i);
    if ((b & 0xC0) != 0x80) return std::nullopt;
    cp = (cp << 6) | (b & 0x3F);
  }
  static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMinimum[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
  pos += length;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::optional<std::u16string> Utf8ToUtf16(std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto cp = DecodeUtf8(text, pos);
    if (!cp) return std::nullopt;
    if (*cp >= 0x10000) {
      const char32_t v = *cp - 0x10000;
      wide += static_cast<char16_t>(0xD800 + (v >> 10));
      wide += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
    } else {
      wide += static_cast<char16_t>(*cp);
    }
  }
  return wide;
}

}  // namespace

bool TextToWideBuffer(std::string_view text, char16_t* buffer, std::size_t capacity) {
  if (capacity == 0) return false;
  buffer[0] = 0;
  const auto wide = Utf8ToUtf16(text);
  if (!wide || wide->size() + 1 > capacity) return false;
  wide->copy(buffer, wide->size());
  buffer[wide->size()] = 0;
  return true;
}

std::u16string TextToWide(std::string_view text) {
  auto wide = Utf8ToUtf16(text);
  return wide ? *wide : std::u16string();
}

std::string WideToText(std::u16string_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t cp = wide[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

std::string WideBufferToText(const char16_t* buffer) {
  return WideToText(std::u16string_view(buffer));
}
