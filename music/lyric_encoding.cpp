#include "music/lyric_encoding.h"

#include "text/encoding.h"
#include "text/gbk.h"

namespace music {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

unsigned char Byte(std::string_view s, std::size_t at) { return static_cast<unsigned char>(s[at]); }
bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }
bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
bool IsAsciiLetter(unsigned char b) { return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'); }

// The sequence that starts at `at` as its lead byte announces it: its length 1..4 and the code it
// carries; length 0 when the byte leads no sequence (a continuation byte, 0xF8..0xFF) or one of
// its continuation bytes is missing. Overlong forms and surrogates are read as such (see Valid).
struct Sequence {
    std::size_t length = 0;
    char32_t code = 0;
};

Sequence SequenceAt(std::string_view s, std::size_t at) {
    const unsigned char lead = Byte(s, at);
    if (lead < 0x80) return {1, lead};
    Sequence q;
    if ((lead & 0xE0) == 0xC0) {
        q = {2, static_cast<char32_t>(lead & 0x1F)};
    } else if ((lead & 0xF0) == 0xE0) {
        q = {3, static_cast<char32_t>(lead & 0x0F)};
    } else if ((lead & 0xF8) == 0xF0) {
        q = {4, static_cast<char32_t>(lead & 0x07)};
    } else {
        return {};
    }
    if (at + q.length > s.size()) return {};
    for (std::size_t i = 1; i < q.length; ++i) {
        const unsigned char b = Byte(s, at + i);
        if (!IsContinuation(b)) return {};
        q.code = q.code << 6 | (b & 0x3F);
    }
    return q;
}

// The shortest form of its code, and a code there is.
bool IsShortest(const Sequence& q) {
    switch (q.length) {
        case 1: return true;
        case 2: return q.code >= 0x80;
        case 3: return q.code >= 0x800;
        case 4: return q.code >= 0x10000 && q.code <= 0x10FFFF;
        default: return false;
    }
}

bool Valid(const Sequence& q) { return q.length > 0 && IsShortest(q) && !IsSurrogate(q.code); }

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {  // surrogates too: a lone one keeps this form
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void AppendUnit(std::string& out, char32_t unit, bool little_endian) {
    const char high = static_cast<char>(unit >> 8 & 0xFF), low = static_cast<char>(unit & 0xFF);
    out += little_endian ? low : high;
    out += little_endian ? high : low;
}

// Valid UTF-8 with a multi-byte sequence that reads as GBK text as well (see the header).
bool PlausibleGbk(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const Sequence q = SequenceAt(s, i);
        if (q.length > 1) {
            if (q.length > 2 || Byte(s, i + 1) < 0xA1) return false;
            const bool letter_before = i > 0 && IsAsciiLetter(Byte(s, i - 1));
            const bool letter_after = i + 2 < s.size() && IsAsciiLetter(Byte(s, i + 2));
            if (letter_before && letter_after) return false;
            // A Latin letter (lead C3..C9: À..ɏ) at the edge of a Latin word, with no other
            // non-ASCII byte beside it: "café", "été". A Chinese character read from such a pair
            // would stand alone against a Latin word, which GBK text hardly ever does.
            const bool high_before = i > 0 && Byte(s, i - 1) >= 0x80;
            const bool high_after = i + 2 < s.size() && Byte(s, i + 2) >= 0x80;
            const unsigned char lead = Byte(s, i);
            if (lead >= 0xC3 && lead <= 0xC9 && (letter_before || letter_after) && !high_before && !high_after) return false;
        }
        i += q.length;
    }
    return true;
}

bool HasMultiByte(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

bool IsGbkTrail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFE); }

// One character as GBK: its pair, or "?" when GBK has none.
std::string GbkOf(std::string_view sequence) {
    const std::string local = text::Utf8ToGbk(sequence);
    if (local.size() == 2 && text::IsGbkLeadByte(local[0]) && IsGbkTrail(static_cast<unsigned char>(local[1]))) return local;
    return "?";
}

}  // namespace

TextEncoding DetectEncoding(std::string_view bytes) {
    if (bytes.substr(0, 3) == kUtf8Mark) return TextEncoding::kUtf8WithMark;
    if (bytes.substr(0, 2) == kUtf16LeMark) return TextEncoding::kUtf16Le;
    if (bytes.substr(0, 2) == kUtf16BeMark) return TextEncoding::kUtf16Be;
    if (!HasMultiByte(bytes) || !IsValidUtf8(bytes) || PlausibleGbk(bytes)) return TextEncoding::kGbk;
    return TextEncoding::kUtf8;
}

const char* EncodingName(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::kGbk: return "GBK";
        case TextEncoding::kUtf8: return "UTF-8";
        case TextEncoding::kUtf8WithMark: return "UTF-8 (BOM)";
        case TextEncoding::kUtf16Le: return "UTF-16LE";
        case TextEncoding::kUtf16Be: return "UTF-16BE";
    }
    return "";
}

DecodedText DecodeText(std::string_view bytes) {
    DecodedText decoded;
    decoded.encoding = DetectEncoding(bytes);
    switch (decoded.encoding) {
        case TextEncoding::kGbk:
        case TextEncoding::kUtf8: decoded.text = bytes; break;
        case TextEncoding::kUtf8WithMark: decoded.text = bytes.substr(kUtf8Mark.size()); break;
        case TextEncoding::kUtf16Le:
        case TextEncoding::kUtf16Be: {
            const bool little_endian = decoded.encoding == TextEncoding::kUtf16Le;
            const std::string_view units = bytes.substr(2);
            const std::size_t count = units.size() / 2;
            const auto unit = [&](std::size_t i) -> char32_t {
                const char32_t first = Byte(units, 2 * i), second = Byte(units, 2 * i + 1);
                return little_endian ? (second << 8 | first) : (first << 8 | second);
            };
            decoded.text.reserve(units.size() * 3 / 2);
            for (std::size_t i = 0; i < count; ++i) {
                const char32_t u = unit(i);
                if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
                    AppendUtf8(decoded.text, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
                    ++i;
                } else {
                    AppendUtf8(decoded.text, u);
                }
            }
            if (units.size() % 2 == 1) decoded.odd_byte = units.substr(units.size() - 1);
            break;
        }
    }
    return decoded;
}

std::string EncodeText(const DecodedText& text) {
    switch (text.encoding) {
        case TextEncoding::kGbk:
        case TextEncoding::kUtf8: return text.text;
        case TextEncoding::kUtf8WithMark: return std::string(kUtf8Mark) + text.text;
        case TextEncoding::kUtf16Le:
        case TextEncoding::kUtf16Be: break;
    }
    const bool little_endian = text.encoding == TextEncoding::kUtf16Le;
    std::string out(little_endian ? kUtf16LeMark : kUtf16BeMark);
    out.reserve(2 + text.text.size() * 2 + text.odd_byte.size());
    const std::string_view s = text.text;
    for (std::size_t i = 0; i < s.size();) {
        const Sequence q = SequenceAt(s, i);
        if (q.length == 0 || !IsShortest(q)) {
            AppendUnit(out, 0xFFFD, little_endian);
            ++i;
            continue;
        }
        if (q.code >= 0x10000) {
            AppendUnit(out, 0xD800 + ((q.code - 0x10000) >> 10), little_endian);
            AppendUnit(out, 0xDC00 + ((q.code - 0x10000) & 0x3FF), little_endian);
        } else {
            AppendUnit(out, q.code, little_endian);
        }
        i += q.length;
    }
    return out + text.odd_byte;
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const Sequence q = SequenceAt(bytes, i);
        if (!Valid(q)) return false;
        i += q.length;
    }
    return true;
}

std::string Utf8ToDisplay(std::string_view utf8) { return DisplayConverter()(utf8); }

std::string DisplayConverter::operator()(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const Sequence q = SequenceAt(utf8, i);
        if (q.length == 0) {
            out += '?';
            ++i;
            continue;
        }
        if (q.length == 1) {
            out += utf8[i];
        } else if (!Valid(q)) {
            out += '?';
        } else {
            auto found = converted_.find(q.code);
            if (found == converted_.end()) found = converted_.emplace(q.code, GbkOf(utf8.substr(i, q.length))).first;
            out += found->second;
        }
        i += q.length;
    }
    return out;
}

std::string_view Utf8Prefix(std::string_view utf8, std::size_t max_bytes) {
    if (utf8.size() <= max_bytes) return utf8;
    // Back to the start of the sequence that the cut would split, if it splits one.
    std::size_t start = max_bytes;
    for (int step = 0; step < 3 && start > 0 && IsContinuation(Byte(utf8, start)); ++step) --start;
    const Sequence q = SequenceAt(utf8, start);
    return utf8.substr(0, q.length > 0 && start + q.length > max_bytes ? start : max_bytes);
}

}  // namespace music
