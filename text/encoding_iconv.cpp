// GBK <-> UTF-8 with the C library's iconv (glibc on Linux).
#include <iconv.h>

#include <cerrno>
#include <string>

#include "text/encoding.h"

namespace text {

namespace {

// Converts with iconv; an invalid or incomplete sequence is replaced by `replacement` and one
// input byte is skipped, so broken text still comes through readable.
std::string Convert(const char* to, const char* from, std::string_view in, std::string_view replacement) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    std::string out;
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char buf[256];
    while (src_left > 0) {
        char* dst = buf;
        size_t dst_left = sizeof buf;
        const size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
        out.append(buf, static_cast<size_t>(dst - buf));
        if (rc == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            out.append(replacement);  // EILSEQ or EINVAL: skip one byte
            ++src;
            --src_left;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) { return Convert("UTF-8", "GBK", gbk, "\xEF\xBF\xBD"); }
std::string Utf8ToGbk(std::string_view utf8) { return Convert("GBK", "UTF-8", utf8, "?"); }

}  // namespace text
