// GBK byte strings: where a character starts, ASCII case, cutting without splitting a character.
// A GBK character is one byte (ASCII) or two, the first of which is 0x81..0xFE; the second byte may
// fall in the ASCII range (0x40..0x7E, "\" among them) and is no ASCII character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

inline bool IsGbkLeadByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x81 && byte <= 0xFE;
}

// ASCII letters in upper case; the second byte of a double-byte character is left alone. This is
// how key and value names, and file paths, compare on Windows as far as the program needs.
std::string UpperCaseAscii(std::string_view gbk);

// Whether the text starts with `prefix`, ASCII letters compared without regard to case.
bool StartsWithNoCase(std::string_view gbk, std::string_view prefix);

// The position of the last "\", "/" or ":" that ends a path's folder or drive (the second byte of a
// double-byte character, which may be 0x5C, is none), or npos.
std::size_t LastPathSeparator(std::string_view path);

// The longest start of the text that has at most max_bytes bytes and does not split a double-byte
// character.
std::string_view GbkPrefix(std::string_view gbk, std::size_t max_bytes);

}  // namespace text
