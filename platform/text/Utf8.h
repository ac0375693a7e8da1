// UTF-8 characters and the case rules of names: the programs' text is UTF-8 where
// it is well formed and plain bytes where it is not (Linux file names).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Decodes the character at the front of text (not empty). Returns its length in
// bytes, or 0 when the bytes there are no well-formed character (overlong forms,
// encoded surrogates and values above U+10FFFF included).
std::size_t DecodeUtf8(std::string_view text, char32_t& codePoint);

// Appends codePoint (at most U+10FFFF) in UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

// Letters a to z in upper case; every other byte as it is.
std::string UpperCaseAscii(std::string text);

// Letters A to Z in lower case; every other byte as it is.
char LowerAscii(char c);
std::string LowerCaseAscii(std::string text);

// The value of a hexadecimal digit (either case), or -1.
int HexDigitValue(char c);

// Whether a and b are equal, letters a to z in either case alike.
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// Whether text starts with prefix, letters a to z in either case alike.
bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);

// Whether text ends with suffix (an extension such as ".jpg"), letters a to z in
// either case alike.
bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix);

// The lower-case form of one character: Unicode simple case mapping.
char32_t FoldCase(char32_t c);
