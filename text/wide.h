// GBK <-> UTF-16 for the Windows API (the W functions), which keeps the program right on every
// Windows locale, whatever its ANSI code page. Windows build only.
#pragma once

#include <string>
#include <string_view>

namespace text {

std::wstring GbkToWide(std::string_view gbk);
std::string WideToGbk(std::wstring_view wide);

}  // namespace text
