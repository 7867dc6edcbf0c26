#include "text/gbk.h"

namespace text {

std::string UpperCaseAscii(std::string_view gbk) {
    std::string upper(gbk);
    for (std::size_t i = 0; i < upper.size(); ++i) {
        if (IsGbkLeadByte(upper[i])) {
            ++i;  // skip the trail byte
        } else if (upper[i] >= 'a' && upper[i] <= 'z') {
            upper[i] = static_cast<char>(upper[i] - 'a' + 'A');
        }
    }
    return upper;
}

bool StartsWithNoCase(std::string_view gbk, std::string_view prefix) {
    return gbk.size() >= prefix.size() && UpperCaseAscii(gbk.substr(0, prefix.size())) == UpperCaseAscii(prefix);
}

std::size_t LastPathSeparator(std::string_view path) {
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (IsGbkLeadByte(path[i])) {
            ++i;
        } else if (path[i] == '\\' || path[i] == '/' || path[i] == ':') {
            last = i;
        }
    }
    return last;
}

std::string_view GbkPrefix(std::string_view gbk, std::size_t max_bytes) {
    if (gbk.size() <= max_bytes) return gbk;
    std::size_t end = 0;
    while (end < max_bytes) {
        const std::size_t width = IsGbkLeadByte(gbk[end]) ? 2 : 1;
        if (end + width > max_bytes) break;
        end += width;
    }
    return gbk.substr(0, end);
}

}  // namespace text
