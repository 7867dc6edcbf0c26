// GBK <-> UTF-8 through UTF-16 with the Windows conversion functions.
#include <windows.h>

#include <string>

#include "text/encoding.h"
#include "text/wide.h"

namespace text {

namespace {

constexpr UINT kGbkCodePage = 936;

std::wstring ToWide(UINT code_page, std::string_view in) {
    if (in.empty()) return {};
    const int n = MultiByteToWideChar(code_page, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(code_page, 0, in.data(), static_cast<int>(in.size()), out.data(), n);
    return out;
}

std::string FromWide(UINT code_page, const std::wstring& in) {
    if (in.empty()) return {};
    const int n = WideCharToMultiByte(code_page, 0, in.data(), static_cast<int>(in.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(code_page, 0, in.data(), static_cast<int>(in.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

std::wstring GbkToWide(std::string_view gbk) { return ToWide(kGbkCodePage, gbk); }

std::string WideToGbk(std::wstring_view wide) { return FromWide(kGbkCodePage, std::wstring(wide)); }

std::string GbkToUtf8(std::string_view gbk) { return FromWide(CP_UTF8, ToWide(kGbkCodePage, gbk)); }
std::string Utf8ToGbk(std::string_view utf8) { return FromWide(kGbkCodePage, ToWide(CP_UTF8, utf8)); }

}  // namespace text
