// Conversions between the programs' text and the fixed UTF-16 buffers that the
// graph layer takes, with one rule for every buffer: a text that does not fit
// (with its terminating zero) leaves the buffer empty. Bytes that are no UTF-8
// become U+DC80 to U+DCFF and turn back into the same bytes, so every name that
// the file system takes comes through unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Fills buffer (capacity elements, terminator included). Returns false and leaves
// buffer[0] == 0 when the text does not fit.
bool TextToWideBuffer(std::string_view text, char16_t* buffer, std::size_t capacity);

template <std::size_t N>
bool TextToWideBuffer(std::string_view text, char16_t (&buffer)[N]) {
  return TextToWideBuffer(text, buffer, N);
}

// Up to the terminating zero; unpaired surrogates other than the escaped bytes
// become U+FFFD.
std::string WideBufferToText(const char16_t* buffer);

std::u16string TextToWide(std::string_view text);
std::string WideToText(std::u16string_view wide);
