// Conversions at the edges of the program. Inside, text is GBK (code page 936) bytes; the console
// and JSON want UTF-8, and Win32's W functions want UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace text {

// Bytes that are not valid in the source encoding become U+FFFD (UTF-8) or '?' (GBK); the
// conversions never fail and never throw.
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

}  // namespace text
