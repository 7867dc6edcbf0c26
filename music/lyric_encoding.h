// The encodings lyric files come in. LRC files were GBK text when the player was made; most of
// those written today are UTF-8, with or without a byte-order mark, and some Windows editors write
// UTF-16 with one. The player reads each in its encoding, shows its text in GBK like all text of
// the program, and writes a file back in the encoding it came in, mark and all, so that a
// character GBK lacks (Korean, many Japanese names, emoji) is never lost from the file.
//
// Which encoding a file is in:
//   EF BB BF ...   UTF-8 with its mark
//   FF FE ...      UTF-16, little-endian (with its mark)
//   FE FF ...      UTF-16, big-endian (with its mark)
//   no mark        UTF-8 when the bytes are valid UTF-8, hold a multi-byte sequence and are no
//                  plausible GBK; otherwise GBK, as every file was read before.
// Valid UTF-8 is plausible GBK when every multi-byte sequence in it is two bytes long, its second
// byte is 0xA1 or more, it does not stand between two ASCII letters, and, when it is a Latin
// letter (lead 0xC3..0xC9), it does not stand alone at the edge of a Latin word. That is what GBK
// text looks like when it happens to be valid UTF-8: each such pair (lead 0xC2..0xDF, trail
// 0xA1..0xBF) is a Chinese character of GB2312 ("为什么" is CE AA CA B2 C3 B4; "中文", D6 D0 CE C4,
// is no UTF-8), and a Chinese character seldom stands inside a Latin word or alone against one.
// UTF-8 text in Chinese, Japanese or Korean has three-byte sequences; the accented letters of
// European words stand inside them (Señor, Müller) or at their edges (café, été), and many
// two-byte letters have a second byte below 0xA1 (ß, à, Cyrillic р..я). Pure ASCII is GBK: the
// two read alike.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

namespace music {

enum class TextEncoding { kGbk, kUtf8, kUtf8WithMark, kUtf16Le, kUtf16Be };

TextEncoding DetectEncoding(std::string_view bytes);
// The name for messages and tests: "GBK", "UTF-8", "UTF-8 (BOM)", "UTF-16LE", "UTF-16BE".
const char* EncodingName(TextEncoding encoding);

// A file's text as the lyric parser reads it: a GBK file's bytes as they are; any other file as
// UTF-8 without its mark. UTF-16 converts to UTF-8 one to one: a surrogate without its partner
// keeps a three-byte form of its own and an odd last byte is kept aside, so that EncodeText gives
// back exactly the bytes read.
struct DecodedText {
    TextEncoding encoding = TextEncoding::kGbk;
    std::string text;
    std::string odd_byte;  // UTF-16 only: a last byte without its partner
};
DecodedText DecodeText(std::string_view bytes);
// The bytes of a text in its encoding, its mark first (UTF-8 with mark, UTF-16). Text in the
// UTF-8 form of DecodeText; a byte that is no part of such a sequence becomes U+FFFD in UTF-16.
std::string EncodeText(const DecodedText& text);

// Valid UTF-8: shortest forms, no surrogates, nothing beyond U+10FFFF.
bool IsValidUtf8(std::string_view bytes);
// UTF-8 as GBK for the screen: ASCII as it is; a character that GBK lacks, a surrogate kept from
// UTF-16 and a byte that is no part of a sequence each become "?".
std::string Utf8ToDisplay(std::string_view utf8);
// The same for many texts: each character is converted once (a lyric repeats its characters).
class DisplayConverter {
public:
    std::string operator()(std::string_view utf8);

private:
    std::unordered_map<char32_t, std::string> converted_;
};
// The longest start of UTF-8 text of at most max_bytes bytes that cuts no sequence.
std::string_view Utf8Prefix(std::string_view utf8, std::size_t max_bytes);

}  // namespace music
