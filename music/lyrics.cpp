#include "music/lyrics.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "text/encoding.h"
#include "text/gbk.h"

namespace music {

namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr int kLineHeight = 20;  // the scrolling list's line, pixels
constexpr int kListFirstTop = 120;
constexpr int kListBytePixels = 10;
constexpr int kKaraokeBytePixels = 18;
// Numbers in tags are read up to this much; anything larger is far past any song's end.
constexpr long long kNumberCap = 100000000000LL;

// The second byte of a double-byte GBK character lies in 0x40..0x7E or 0x80..0xFE, so "[", "]" and
// "\" can be one. A lead byte followed by anything else (a broken file) stands alone, so CR and LF
// always end a line.
bool IsTrailByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE);
}

// How the text is stepped through. In GBK an ASCII byte may be the second byte of a character;
// in UTF-8 (and so in UTF-16 read as UTF-8) no byte of a multi-byte sequence is ASCII, so every
// ASCII byte is a character of its own.
enum class Units { kGbk, kUtf8 };

// The length of the character at `at`: in GBK 2 for a lead byte and its trail byte, else 1.
std::size_t CharLength(std::string_view s, std::size_t at, Units units) {
    if (units == Units::kUtf8) return 1;
    return text::IsGbkLeadByte(s[at]) && at + 1 < s.size() && IsTrailByte(s[at + 1]) ? 2 : 1;
}

// The first character `c` (ASCII) at or after `from` (which starts a character); npos when there
// is none.
std::size_t FindChar(std::string_view s, std::size_t from, char c, Units units) {
    if (units == Units::kUtf8) return s.find(c, from);
    for (std::size_t i = from; i < s.size(); i += CharLength(s, i, units)) {
        if (s[i] == c) return i;
    }
    return npos;
}

bool OnlyOf(std::string_view s, std::string_view allowed) { return s.find_first_not_of(allowed) == npos; }

// Digits, at least one, read up to kNumberCap.
bool ParseWhole(std::string_view s, long long& value) {
    if (s.empty() || !OnlyOf(s, "0123456789")) return false;
    value = 0;
    for (char c : s) value = std::min(kNumberCap, value * 10 + (c - '0'));
    return true;
}

// Seconds with optional decimals, as whole ms (the digits past the third decimal cut off).
bool ParseSecondsMs(std::string_view s, long long& ms) {
    const std::size_t dot = s.find('.');
    const std::string_view fraction = dot == npos ? std::string_view() : s.substr(dot + 1);
    long long seconds = 0;
    if (!ParseWhole(s.substr(0, dot), seconds) || !OnlyOf(fraction, "0123456789")) return false;
    ms = seconds * 1000;
    int scale = 100;
    for (std::size_t i = 0; i < fraction.size() && i < 3; ++i, scale /= 10) ms += (fraction[i] - '0') * scale;
    return true;
}

// A time tag's ms: "m:s" or "h:m:s"; false when malformed.
bool ParseTimeTag(std::string_view tag, long long& ms) {
    const std::size_t first = tag.find(':');
    if (first == npos) return false;
    const std::size_t second = tag.find(':', first + 1);
    if (second != npos && tag.find(':', second + 1) != npos) return false;
    long long hours = 0, minutes = 0, seconds_ms = 0;
    if (second == npos) {
        if (!ParseWhole(tag.substr(0, first), minutes) || !ParseSecondsMs(tag.substr(first + 1), seconds_ms)) return false;
    } else if (!ParseWhole(tag.substr(0, first), hours) ||
               !ParseWhole(tag.substr(first + 1, second - first - 1), minutes) ||
               !ParseSecondsMs(tag.substr(second + 1), seconds_ms)) {
        return false;
    }
    ms = hours * 3600000 + minutes * 60000 + seconds_ms;
    return true;
}

// An offset value: one optional sign and digits; a multiple of 100 toward zero, clamped.
bool ParseOffset(std::string_view value, int& offset) {
    const bool negative = !value.empty() && value[0] == '-';
    if (!value.empty() && (value[0] == '-' || value[0] == '+')) value.remove_prefix(1);
    long long n = 0;
    if (!ParseWhole(value, n)) return false;
    n = std::min<long long>(n / 100 * 100, kMaxOffset);
    offset = static_cast<int>(negative ? -n : n);
    return true;
}

// A time tag read, and the text its line gives it.
struct Timed {
    int time;
    std::string_view text;
};

// Takes the leading tags of one line (without its line end).
void ReadLine(std::string_view line, int total_ms, Lyric& lyric, std::vector<Timed>& timed, Units units) {
    const std::size_t first_of_line = timed.size();
    std::size_t at = 0;
    while (at < line.size() && line[at] == '[') {
        const std::size_t close = FindChar(line, at + 1, ']', units);
        if (close == npos) break;
        const std::string_view tag = line.substr(at + 1, close - at - 1);
        at = close + 1;
        if (text::StartsWithNoCase(tag, "ti:")) {
            lyric.title = tag.substr(3);
        } else if (text::StartsWithNoCase(tag, "ar:")) {
            lyric.artist = tag.substr(3);
        } else if (text::StartsWithNoCase(tag, "al:")) {
            lyric.album = tag.substr(3);
        } else if (text::StartsWithNoCase(tag, "by:")) {
            lyric.by = tag.substr(3);
        } else if (text::StartsWithNoCase(tag, "offset:")) {
            const std::string_view value = tag.substr(7);
            if (OnlyOf(value, "1234567890+-")) ParseOffset(value, lyric.offset);
        } else if (OnlyOf(tag, "1234567890:.")) {
            long long ms = 0;
            if (ParseTimeTag(tag, ms) && ms < total_ms) timed.push_back({static_cast<int>(ms), {}});
        }
    }
    for (std::size_t i = first_of_line; i < timed.size(); ++i) timed[i].text = line.substr(at);
}

// The separator that ends a path's folder part ("\" or "/"), or npos.
std::size_t LastSeparator(std::string_view path) {
    std::size_t last = npos;
    for (std::size_t i = 0; i < path.size(); i += CharLength(path, i, Units::kGbk)) {
        if (path[i] == '\\' || path[i] == '/') last = i;
    }
    return last;
}

// The share of `part` in `whole` of `pixels`, cut to whole pixels; 0..pixels.
int Proportion(long long part, long long whole, long long pixels) {
    if (part <= 0) return 0;
    if (part >= whole) return static_cast<int>(pixels);
    return static_cast<int>(part * pixels / whole);
}

int ClampInt(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

Lyric ParseText(std::string_view text, int total_ms, Units units) {
    Lyric lyric;
    if (!SongTakesLyrics(total_ms)) return lyric;
    std::vector<Timed> timed;
    // Lines end with CR LF. A file with bare LF line ends (saved by some other program) would
    // otherwise be one line that keeps only its first tags, so LF alone ends a line too and the CR
    // before it is dropped.
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find('\n', start);
        std::string_view line = text.substr(start, end == npos ? npos : end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ReadLine(line, total_ms, lyric, timed, units);
        if (end == npos) break;
        start = end + 1;
    }
    // In time order; of equal times the first read stays, the later ones are dropped.
    std::stable_sort(timed.begin(), timed.end(), [](const Timed& a, const Timed& b) { return a.time < b.time; });
    timed.erase(std::unique(timed.begin(), timed.end(), [](const Timed& a, const Timed& b) { return a.time == b.time; }),
                timed.end());

    lyric.times.reserve(timed.size() + 1);
    lyric.texts.reserve(timed.size() + 1);
    lyric.times.push_back(kLeadingTime);
    lyric.texts.emplace_back();
    std::size_t room = kMaxLyricTextBytes;
    for (const Timed& t : timed) {
        lyric.times.push_back(t.time);
        lyric.texts.emplace_back(units == Units::kUtf8 ? Utf8Prefix(t.text, room) : text::GbkPrefix(t.text, room));
        room -= lyric.texts.back().size();
        if (lyric.texts.back().size() < t.text.size()) lyric.cut = true;
    }
    lyric.loaded = true;
    return lyric;
}

// The line end a text uses, as lines are read (a line ends at LF, a CR before it dropped): that of
// its first line, LF alone or CR LF; CR LF for a text of one line (a CR alone ends no line).
std::string_view LineEndOf(std::string_view text) {
    const std::size_t end = text.find('\n');
    return end != npos && (end == 0 || text[end - 1] != '\r') ? "\n" : "\r\n";
}

// The offset tag set in a text stepped through as `units` (see WithOffsetTag).
std::string WithOffsetTagIn(std::string_view text, int offset_ms, Units units) {
    const std::string value = std::to_string(offset_ms);
    constexpr std::string_view kOpen = "[offset:";
    for (std::size_t at = FindChar(text, 0, '[', units); at != npos; at = FindChar(text, at + 1, '[', units)) {
        if (!text::StartsWithNoCase(text.substr(at + 1), kOpen.substr(1))) continue;
        // Only the first such tag counts; when it does not close on its line, a new tag goes first.
        const std::size_t from = at + kOpen.size();
        const std::size_t close = FindChar(text, from, ']', units);
        const std::size_t line_end = text.find_first_of("\r\n", from);
        if (close == npos || close > line_end) break;
        return std::string(text.substr(0, from)) + value + std::string(text.substr(close));
    }
    return std::string(kOpen) + value + "]" + std::string(LineEndOf(text)) + std::string(text);
}

}  // namespace

std::string UnreadLyricNotice(const std::string& path, bool too_large) {
    const std::size_t slash = text::LastPathSeparator(path);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return (too_large ? "歌词文件超过" + std::to_string(kMaxLyricFileBytes >> 20) + "MB，没有读入：" : std::string("歌词文件无法读出：")) +
           name;
}

bool SongTakesLyrics(int total_ms) { return total_ms > kMinSongLength && total_ms < kMaxSongLength; }

int LineCount(const Lyric& lyric) { return static_cast<int>(lyric.times.size()); }

Lyric ParseLyric(std::string_view text, int total_ms) { return ParseText(text, total_ms, Units::kGbk); }

Lyric ParseLyricFile(std::string_view bytes, int total_ms) {
    const DecodedText decoded = DecodeText(bytes);
    if (decoded.encoding == TextEncoding::kGbk) return ParseLyric(bytes, total_ms);
    Lyric lyric = ParseText(decoded.text, total_ms, Units::kUtf8);
    lyric.encoding = decoded.encoding;
    if (!lyric.loaded) return lyric;
    DisplayConverter display;
    lyric.file_texts = std::move(lyric.texts);
    lyric.texts.clear();
    lyric.texts.reserve(lyric.file_texts.size());
    for (const std::string& t : lyric.file_texts) lyric.texts.push_back(display(t));
    lyric.file_title = std::move(lyric.title);
    lyric.file_artist = std::move(lyric.artist);
    lyric.file_album = std::move(lyric.album);
    lyric.title = display(lyric.file_title);
    lyric.artist = display(lyric.file_artist);
    lyric.album = display(lyric.file_album);
    lyric.by = display(lyric.by);
    return lyric;
}

int CurrentLine(const Lyric& lyric, int position_ms, int total_ms) {
    const int count = LineCount(lyric);
    if (count == 0) return 0;
    if (position_ms == 0) return 1;
    if (position_ms == total_ms) return count;
    const long long t = static_cast<long long>(position_ms) - lyric.offset;
    const auto after = std::upper_bound(lyric.times.begin(), lyric.times.end(), t,
                                        [](long long value, int time) { return value < time; });
    return std::max(1, static_cast<int>(after - lyric.times.begin()));
}

std::string LyricPathOf(const std::string& audio_path) {
    const std::size_t separator = LastSeparator(audio_path);
    const std::size_t dot = audio_path.rfind('.');
    // A dot before the last separator belongs to a folder's name: the file has no extension then.
    if (dot == npos || (separator != npos && dot < separator)) return audio_path + ".lrc";
    return audio_path.substr(0, dot + 1) + "lrc";
}

std::string FindLyricFile(const std::string& audio_path, const std::string& search_folder, const FileExists& exists) {
    if (audio_path.empty() || !exists) return {};
    const std::string beside = LyricPathOf(audio_path);
    if (exists(beside)) return beside;
    if (search_folder.empty()) return {};
    const std::size_t separator = LastSeparator(audio_path);
    const std::string name = separator == npos ? audio_path : audio_path.substr(separator + 1);
    const bool ends_with_separator = LastSeparator(search_folder) == search_folder.size() - 1;
    const std::string in_folder = search_folder + (ends_with_separator ? "" : "\\") + LyricPathOf(name);
    return exists(in_folder) ? in_folder : std::string();
}

const char* LyricStyleName(LyricStyle style) {
    switch (style) {
        case LyricStyle::kTooltip: return "工具提示";
        case LyricStyle::kList: return "滚动列表";
        case LyricStyle::kKaraoke: return "卡拉ＯＫ";
        case LyricStyle::kDoubleKaraoke: return "双行卡拉ＯＫ";
    }
    return "";
}

int LongestLineBytes(const Lyric& lyric) {
    std::size_t longest = 0;
    for (const std::string& text : lyric.texts) longest = std::max(longest, text.size());
    return ClampInt(static_cast<long long>(longest));
}

WindowSize LyricWindowSize(LyricStyle style, int longest_bytes, int screen_width) {
    const long long bytes = std::max(0, longest_bytes);
    const long long screen = std::max(0, screen_width);
    switch (style) {
        case LyricStyle::kTooltip: return {};
        case LyricStyle::kList: return {ClampInt(std::min({kListBytePixels * bytes + 40, 760LL, screen})), 220};
        case LyricStyle::kKaraoke: return {ClampInt(std::min(kKaraokeBytePixels * bytes + 40, screen)), 76};
        case LyricStyle::kDoubleKaraoke: return {ClampInt(std::min(kKaraokeBytePixels * bytes + 100, screen)), 132};
    }
    return {};
}

int KaraokeScroll(int text_width, int sung_width, int visible_width) {
    if (visible_width <= 0 || text_width <= visible_width) return 0;
    return std::clamp(sung_width - visible_width / 2, 0, text_width - visible_width);
}

VisibleText VisiblePart(std::string_view gbk, int x, int width, int byte_pixels) {
    if (byte_pixels <= 0 || width <= 0) return {x, {}};
    const long long hidden = x < 0 ? (-static_cast<long long>(x)) / byte_pixels : 0;  // whole bytes left of 0
    std::size_t start = 0;
    while (start < gbk.size()) {
        const std::size_t next = start + CharLength(gbk, start, Units::kGbk);
        if (static_cast<long long>(next) > hidden) break;
        start = next;
    }
    const std::size_t room = static_cast<std::size_t>(width / byte_pixels) + 2;
    const std::string_view rest = gbk.substr(start);
    return {ClampInt(x + static_cast<long long>(start) * byte_pixels), text::GbkPrefix(rest, room)};
}

int ListScroll(const Lyric& lyric, int line, int position_ms) {
    const int count = LineCount(lyric);
    if (line < 1 || line > count) return 0;
    if (line == count) return 0;  // the last line stays in the band until the song ends
    const long long start = lyric.times[line - 1];
    const long long t = static_cast<long long>(position_ms) - lyric.offset;
    return Proportion(t - start, lyric.times[line] - start, kLineHeight);
}

int ListTop(const Lyric& lyric, int position_ms, int total_ms) {
    if (position_ms >= total_ms) return kListTopAtEnd;
    const int line = CurrentLine(lyric, position_ms, total_ms);
    if (line == 0) return kListFirstTop;
    return ClampInt(kListFirstTop - static_cast<long long>(kLineHeight) * (line - 1) -
                    ListScroll(lyric, line, position_ms));
}

int ListLeft(int window_width, int longest_bytes) {
    return ClampInt((static_cast<long long>(window_width) - static_cast<long long>(kListBytePixels) * longest_bytes) / 2);
}

std::string KaraokeText(const Lyric& lyric, int line) {
    const int count = LineCount(lyric);
    if (line < 1 || line > count) return {};
    const std::string& text = lyric.texts[line - 1];
    if (text.empty() && line != 1 && line != count) return "●●●●●";
    return text;
}

int SungWidth(const Lyric& lyric, int line, int position_ms, int total_ms) {
    const int count = LineCount(lyric);
    if (line < 1 || line > count) return 0;
    const long long start = lyric.times[line - 1];
    const long long next = line < count ? lyric.times[line] : total_ms;
    const long long t = static_cast<long long>(position_ms) - lyric.offset;
    const long long whole = static_cast<long long>(KaraokeText(lyric, line).size()) * kKaraokeBytePixels;
    if (t >= next) return ClampInt(whole);
    return ClampInt(Proportion(t - start, next - start, whole));
}

bool ShiftOffset(Lyric& lyric, int delta_ms) {
    if (!lyric.loaded) return false;
    lyric.offset = static_cast<int>(std::clamp<long long>(static_cast<long long>(lyric.offset) + delta_ms, -kMaxOffset, kMaxOffset));
    return true;
}

bool ResetOffset(Lyric& lyric) {
    if (!lyric.loaded) return false;
    lyric.offset = 0;
    return true;
}

std::string OffsetCaption(int offset_ms) {
    const long long tenths = (std::llabs(offset_ms) + 50) / 100;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%lld.%lld", tenths / 10, tenths % 10);
    const char* direction = offset_ms < 0 ? "提前" : offset_ms > 0 ? "滞后" : "";
    return std::string("歌词偏移量：") + direction + seconds + "秒";
}

std::string WithOffsetTag(const std::string& text, int offset_ms) {
    if (offset_ms < -kMaxOffset || offset_ms > kMaxOffset) return text;
    return WithOffsetTagIn(text, offset_ms, Units::kGbk);
}

std::string WithOffsetTagInFile(std::string_view bytes, int offset_ms) {
    if (offset_ms < -kMaxOffset || offset_ms > kMaxOffset) return std::string(bytes);
    DecodedText decoded = DecodeText(bytes);
    if (decoded.encoding == TextEncoding::kGbk) return WithOffsetTagIn(bytes, offset_ms, Units::kGbk);
    decoded.text = WithOffsetTagIn(decoded.text, offset_ms, Units::kUtf8);
    return EncodeText(decoded);
}

bool BakeOffset(Lyric& lyric, int total_ms) {
    if (!lyric.loaded || lyric.offset == 0) return false;
    // Every line moves alike and the clamp keeps their order, so the lines stay sorted.
    for (std::size_t i = 1; i < lyric.times.size(); ++i) {
        lyric.times[i] = ClampInt(std::clamp<long long>(static_cast<long long>(lyric.times[i]) + lyric.offset, 0,
                                                        std::max(0, total_ms)));
    }
    lyric.offset = 0;
    return true;
}

std::string TimeTag(int ms) {
    ms = std::max(ms, 0);
    const int hundredths = ms / 10 % 100, seconds = ms / 1000 % 60, minutes = ms / 60000 % 60, hours = ms / 3600000;
    char tag[48];
    if (hours == 0) {
        std::snprintf(tag, sizeof tag, "[%02d:%02d.%02d]", minutes, seconds, hundredths);
    } else {
        std::snprintf(tag, sizeof tag, "[%02d:%02d:%02d.%02d]", hours, minutes, seconds, hundredths);
    }
    return tag;
}

bool WriteLyricText(const Lyric& lyric, int total_ms, std::string& out) {
    out.clear();
    if (!lyric.loaded || lyric.path.empty() || lyric.cut || !SongTakesLyrics(total_ms)) return false;
    // A file in another encoding is written from its own texts, as UTF-8 first.
    const bool own = lyric.encoding != TextEncoding::kGbk;
    const auto text_of = [&](std::size_t i) -> std::string {
        if (!own) return lyric.texts[i];
        return i < lyric.file_texts.size() ? lyric.file_texts[i] : text::GbkToUtf8(lyric.texts[i]);
    };
    std::string by = "橙鹿";
    if (own) by = text::GbkToUtf8(by);
    out = "[ti:" + (own ? lyric.file_title : lyric.title) + "]\r\n[ar:" + (own ? lyric.file_artist : lyric.artist) +
          "]\r\n[al:" + (own ? lyric.file_album : lyric.album) + "]\r\n[by:" + by + "]\r\n[offset:" +
          std::to_string(lyric.offset) + "]\r\n";
    for (std::size_t i = 1; i < lyric.times.size() && i < lyric.texts.size(); ++i) {
        if (lyric.times[i] >= 0 && lyric.times[i] < total_ms) out += TimeTag(lyric.times[i]) + text_of(i) + "\r\n";
    }
    if (own) out = EncodeText({lyric.encoding, std::move(out), {}});
    return true;
}

}  // namespace music
