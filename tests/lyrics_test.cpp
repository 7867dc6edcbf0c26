// The lyrics of the music player: what an LRC file gives, the line that plays, the lyric window's
// geometry, the offset and the file written back.
#include "music/lyrics.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace music;
using Lines = std::vector<std::pair<int, std::string>>;

// The lines after the leading entry, checking the entry itself.
Lines LinesOf(const Lyric& lyric) {
    EXPECT_EQ(lyric.times.size(), lyric.texts.size());
    if (lyric.times.empty()) return {};
    EXPECT_EQ(lyric.times[0], -10000000);
    EXPECT_EQ(lyric.texts[0], "");
    Lines lines;
    for (std::size_t i = 1; i < lyric.times.size(); ++i) lines.emplace_back(lyric.times[i], lyric.texts[i]);
    return lines;
}

TEST(Lyrics, WhatALoadTakes) {
    const struct {
        std::string text;
        int total;
        Lines lines;
        int offset;
    } cases[] = {
        {"[00:12.50][01:30.00]Hello", 200000, {{12500, "Hello"}, {90000, "Hello"}}, 0},
        {"[00:20.00]b\r\n[00:10.00]a", 60000, {{10000, "a"}, {20000, "b"}}, 0},
        {"[offset:+250]", 60000, {}, 200},
        {"[offset:-99]", 60000, {}, 0},
        {"[offset:20000]", 60000, {}, 10000},
        {"[offset:-123456789012345678901234567890]", 60000, {}, -10000},
        {"[OFFSET:300]\r\n[offset:1-2][offset:][offset:+][offset: 5][offset:x]", 60000, {}, 300},
        // at or past the song's end; a time already read keeps its first line
        {"[00:59.99]a\r\n[01:00.00]b\r\n[02:00]c", 60000, {{59990, "a"}}, 0},
        {"[00:05.00]first\r\n[00:05]second\r\n[0:5.000][00:06]third", 60000, {{5000, "first"}, {6000, "third"}}, 0},
        // decimals read as whole ms, hours, minutes past 59
        {"[00:01.5]a\r\n[00:02.05]b\r\n[00:03.005]c\r\n[00:04.1239]d\r\n[00:06.]e", 60000,
         {{1500, "a"}, {2050, "b"}, {3005, "c"}, {4123, "d"}, {6000, "e"}}, 0},
        {"[1:02:03.5]x\r\n[75:00]y", 9999999, {{3723500, "x"}, {4500000, "y"}}, 0},
        // malformed times are dropped, other tags passed over
        {"[:12.5]a\r\n[1:]b\r\n[1:.5]c\r\n[1:2.3.4]d\r\n[1:2:3:4]e\r\n[12]f\r\n[1.5:00]g\r\n[99999999999999999999:00]h\r\n[]i",
         9999999, {}, 0},
        {"[la:x][00:01.00][xx:yy]a", 60000, {{1000, "a"}}, 0},
        // tags only at the line's start; an unclosed "[" is text
        {"[00:01.00] [00:02.00]x\r\n[00:03.00][00:04.00", 60000, {{1000, " [00:02.00]x"}, {3000, "[00:04.00"}}, 0},
        {"[00:01.00]a[00:02.00]b", 60000, {{1000, "a[00:02.00]b"}}, 0},
        // bare LF ends a line too
        {"[00:01.00]a\n[00:02.00]b\r\n[00:03.00]c\r", 60000, {{1000, "a"}, {2000, "b"}, {3000, "c"}}, 0},
        // "竇" ends in the byte of "]", which closes no tag
        {"[xx竇][00:01.00]a", 60000, {{1000, "a"}}, 0},
        // broken GBK: lead bytes without trail bytes
        {"\x81\r\n[00:01.00]\xFF\x80\x81\r\n[00:02.00\x81]b", 60000, {{1000, "\xFF\x80\x81"}}, 0},
    };
    for (const auto& c : cases) {
        const Lyric lyric = ParseLyric(c.text, c.total);
        EXPECT_TRUE(lyric.loaded) << c.text;
        EXPECT_EQ(LinesOf(lyric), c.lines) << c.text;
        EXPECT_EQ(lyric.offset, c.offset) << c.text;
    }
}

TEST(Lyrics, OnlySongsOfAcceptedLengthsLoad) {
    const std::pair<int, bool> cases[] = {{-1, false}, {0, false}, {10000, false}, {10001, true},
                                          {9999999, true}, {10000000, false}};
    for (const auto& [total, loads] : cases) {
        const Lyric lyric = ParseLyric("[00:01.00]a", total);
        EXPECT_EQ(lyric.loaded, loads) << total;
        EXPECT_EQ(LineCount(lyric), loads ? 2 : 0) << total;
    }
    EXPECT_EQ(LineCount(ParseLyric("no tags at all", 60000)), 1);
}

// A long lyric where every time is tagged twice, the two far apart and in no order: each time keeps
// the text read first. (Sorting that does not keep the order of equal times would mix them up.)
TEST(Lyrics, RepeatedTimeTagsInALongLyricKeepTheFirstText) {
    constexpr int kLines = 500;
    std::string text;
    std::vector<int> order;
    for (int i = 0; i < kLines; ++i) order.push_back((i * 197) % kLines);  // 197 is prime to 500: each once
    for (const char* pass : {"first ", "second "}) {
        for (int i : order) text += TimeTag(1000 + 10 * i) + pass + std::to_string(i) + "\r\n";
    }
    // and a line of many tags, some of them repeats, at the end
    text += "[00:01.00][00:01.00][00:01.10][05:00.00]last\r\n";
    const Lyric lyric = ParseLyric(text, 600000);
    ASSERT_EQ(LineCount(lyric), kLines + 2);
    for (int i = 0; i < kLines; ++i) {
        EXPECT_EQ(lyric.times[static_cast<size_t>(i + 1)], 1000 + 10 * i);
        EXPECT_EQ(lyric.texts[static_cast<size_t>(i + 1)], "first " + std::to_string(i)) << i;
    }
    EXPECT_EQ(lyric.times.back(), 300000);
    EXPECT_EQ(lyric.texts.back(), "last");
}

TEST(Lyrics, CurrentLine) {
    Lyric lyric = ParseLyric("[00:10.00]a\r\n[00:10.50]b\r\n[00:20.00]c", 30000);
    const struct {
        int offset, position, line;
    } cases[] = {
        {0, 0, 1},     {0, 30000, 4},   {0, 9999, 1},     {0, 10000, 2},    {0, 10499, 2},     {0, 10500, 3},
        {0, 29999, 4}, {500, 10500, 2}, {500, 11000, 3},  {-500, 9500, 2},  {-1000, 0, 1},     {1000, 30000, 4},
    };
    for (const auto& c : cases) {
        lyric.offset = c.offset;
        EXPECT_EQ(CurrentLine(lyric, c.position, 30000), c.line) << c.offset << " " << c.position;
    }
    EXPECT_EQ(CurrentLine(Lyric{}, 5000, 30000), 0);
}

TEST(Lyrics, FindsTheFileBesideTheSongOrInTheFolder) {
    const std::set<std::string> files = {"C:\\歌\\song.lrc", "D:\\lrc\\other.lrc", "D:\\lrc\\a.b.lrc",
                                         "C:\\a.b\\song.lrc", "D:\\lrc\\籠.lrc"};
    const FileExists exists = [&](const std::string& path) { return files.count(path) > 0; };
    const std::string cases[][3] = {
        {"C:\\歌\\song.mp3", "D:\\lrc", "C:\\歌\\song.lrc"},
        {"C:\\歌\\other.mp3", "D:\\lrc", "D:\\lrc\\other.lrc"},
        {"C:\\歌\\other.mp3", "D:\\lrc\\", "D:\\lrc\\other.lrc"},
        {"C:\\歌\\other.mp3", "", ""},
        {"C:\\歌\\missing.mp3", "D:\\lrc", ""},
        {"C:\\a.b\\song", "", "C:\\a.b\\song.lrc"},
        {"E:\\x\\a.b.wma", "D:\\lrc", "D:\\lrc\\a.b.lrc"},
        // "籠" ends in the byte of "\", which separates no folder
        {"C:\\x\\籠.mp3", "D:\\lrc", "D:\\lrc\\籠.lrc"},
    };
    for (const auto& c : cases) EXPECT_EQ(FindLyricFile(c[0], c[1], exists), c[2]) << c[0];
    EXPECT_EQ(LyricPathOf("song."), "song.lrc");
}

TEST(Lyrics, WindowGeometry) {
    const std::pair<WindowSize, WindowSize> sizes[] = {
        {LyricWindowSize(LyricStyle::kList, 30, 1024), {340, 220}},
        {LyricWindowSize(LyricStyle::kList, 73, 1024), {760, 220}},
        {LyricWindowSize(LyricStyle::kList, 73, 640), {640, 220}},
        {LyricWindowSize(LyricStyle::kKaraoke, 30, 1024), {580, 76}},
        {LyricWindowSize(LyricStyle::kDoubleKaraoke, 30, 1024), {640, 132}},
        {LyricWindowSize(LyricStyle::kTooltip, 30, 1024), {0, 0}},
        // never wider than the screen: 18 x 54 + 40 = 1012 fits 1024, one byte more would not
        {LyricWindowSize(LyricStyle::kKaraoke, 54, 1024), {1012, 76}},
        {LyricWindowSize(LyricStyle::kKaraoke, 55, 1024), {1024, 76}},
        {LyricWindowSize(LyricStyle::kDoubleKaraoke, 51, 1024), {1018, 132}},
        {LyricWindowSize(LyricStyle::kDoubleKaraoke, 52, 1024), {1024, 132}},
        {LyricWindowSize(LyricStyle::kKaraoke, 100000, 1920), {1920, 76}},
        {LyricWindowSize(LyricStyle::kDoubleKaraoke, 2147483647, 1920), {1920, 132}},
    };
    for (const auto& [size, expected] : sizes) EXPECT_EQ(size, expected) << expected.width;
    // A line longer than its window moves along: the sung edge in the middle, from the start to
    // the end of the line.
    const struct {
        int text, sung, visible, scroll;
    } scrolls[] = {
        {900, 450, 984, 0},   {2000, 0, 984, 0},     {2000, 492, 984, 0},     {2000, 600, 984, 108},
        {2000, 1500, 984, 1008}, {2000, 1900, 984, 1016}, {2000, 2000, 984, 1016}, {2000, 100, 0, 0},
    };
    for (const auto& c : scrolls) EXPECT_EQ(KaraokeScroll(c.text, c.sung, c.visible), c.scroll) << c.text << " " << c.sung;
    // Only what shows is drawn: from the character that reaches into view, room for the window's
    // width and two bytes more, no character split.
    const std::string line = "ab你好cd" + std::string(1000, 'x');
    const struct {
        int x, width;
        int drawn_at;
        std::string text;
    } parts[] = {
        {20, 90, 20, "ab你好c"},     // 90 / 18 + 2 = 7 bytes
        {-36, 36, 0, "你好"},        // "ab" out of view
        {-54, 36, -18, "你好"},      // the second half of "你" in view: drawn from its first byte
        {-72, 36, 0, "好cd"},
        {-18000, 36, 0, "xxxx"},
        {20, 0, 20, ""},
    };
    for (const auto& p : parts) {
        const VisibleText v = VisiblePart(line, p.x, p.width, 18);
        EXPECT_EQ(std::string(v.text), p.text) << p.x;
        EXPECT_EQ(v.x, p.drawn_at) << p.x;
    }
    const std::pair<int, int> numbers[] = {
        {ListLeft(340, 30), 20},              {ListLeft(760, 100), -120},
    };
    for (const auto& [value, expected] : numbers) EXPECT_EQ(value, expected);
    EXPECT_STREQ(LyricStyleName(LyricStyle::kDoubleKaraoke), "双行卡拉ＯＫ");
}

TEST(Lyrics, ScrollingAndSinging) {
    // lines: 1 leading, 2 at 10 s "ab", 3 at 20 s empty, 4 at 30 s "end"; the song lasts 40 s
    Lyric lyric = ParseLyric("[00:10.00]ab\r\n[00:20.00]\r\n[00:30.00]end", 40000);
    const struct {
        int offset, position, top, line, sung;
    } cases[] = {
        {0, 0, 101, 2, 0},        // 20 x 10000000 / 10010000 = 19.98 scrolled on the leading entry
        {0, 12345, 96, 2, 8},     // 4.69 pixels scrolled; 2345 / 10000 of 36 sung
        {0, 15000, 90, 2, 18},    {500, 15500, 90, 2, 18},  {0, 20000, 80, 2, 36},
        {0, 25000, 70, 3, 90},    // the empty middle line sings its five dots
        {0, 35000, 60, 4, 27},    // the last line stands in the band and ends with the song
        {0, 39990, 60, 4, 53},
        {0, 40000, -120, 4, 54},
    };
    for (const auto& c : cases) {
        lyric.offset = c.offset;
        EXPECT_EQ(ListTop(lyric, c.position, 40000), c.top) << c.position;
        EXPECT_EQ(SungWidth(lyric, c.line, c.position, 40000), c.sung) << c.position;
    }
    EXPECT_EQ(KaraokeText(lyric, 3), "●●●●●");
    EXPECT_EQ(KaraokeText(lyric, 1), "");  // the leading entry, before the first line
    EXPECT_EQ(KaraokeText(ParseLyric("[00:10.00]", 40000), 2), "");  // the last line stays empty
    EXPECT_EQ(LongestLineBytes(lyric), 3);
}

TEST(Lyrics, Offset) {
    const struct {
        int start, delta, offset;
        const char* caption;
    } cases[] = {
        {0, -500, -500, "歌词偏移量：提前0.5秒"},   {700, 500, 1200, "歌词偏移量：滞后1.2秒"},
        {9800, 500, 10000, "歌词偏移量：滞后10.0秒"}, {-9900, -200, -10000, "歌词偏移量：提前10.0秒"},
        {-200, 200, 0, "歌词偏移量：0.0秒"},
    };
    for (const auto& c : cases) {
        Lyric lyric = ParseLyric("", 60000);
        lyric.offset = c.start;
        EXPECT_TRUE(ShiftOffset(lyric, c.delta));
        EXPECT_EQ(lyric.offset, c.offset);
        EXPECT_EQ(OffsetCaption(lyric.offset), c.caption);
        EXPECT_TRUE(ResetOffset(lyric));
        EXPECT_EQ(lyric.offset, 0);
    }
    Lyric none;
    EXPECT_FALSE(ShiftOffset(none, 500));
    EXPECT_FALSE(ResetOffset(none));
    EXPECT_EQ(none.offset, 0);
}

TEST(Lyrics, OffsetSavedIntoTheText) {
    const struct {
        std::string text;
        int offset;
        std::string saved;
    } cases[] = {
        {"[ti:x]\r\n[00:01.00]a", 500, "[offset:500]\r\n[ti:x]\r\n[00:01.00]a"},
        {"[ti:x]\r\n[offset:100]\r\n[00:01.00]a", -300, "[ti:x]\r\n[offset:-300]\r\n[00:01.00]a"},
        {"[Offset:+7][offset:9]", 0, "[Offset:0][offset:9]"},
        {"[offset:12\r\n[00:01.00]a]", 200, "[offset:200]\r\n[offset:12\r\n[00:01.00]a]"},
        {"[offset:12\r\n[offset:34]", 200, "[offset:200]\r\n[offset:12\r\n[offset:34]"},
        {"[00:01.00]a\x81\n[offset:1]", 500, "[00:01.00]a\x81\n[offset:500]"},
        // "癧" ends in the byte of "[", which opens no tag
        {"[00:01.00]癧offset:1]", 300, "[offset:300]\r\n[00:01.00]癧offset:1]"},
        {"a", 10100, "a"},
        // the new line ends as the file's lines do
        {"[ti:x]\n[00:01.00]a\n", 500, "[offset:500]\n[ti:x]\n[00:01.00]a\n"},
        {"[ti:x]\r[00:01.00]a\r", 500, "[offset:500]\r\n[ti:x]\r[00:01.00]a\r"},  // a CR alone ends no line
        {"[ti:x]\r\n[00:01.00]a\n", 500, "[offset:500]\r\n[ti:x]\r\n[00:01.00]a\n"},
        {"[ti:x]\n[00:01.00]a\r\n", 500, "[offset:500]\n[ti:x]\n[00:01.00]a\r\n"},
        {"[00:01.00]a", -100, "[offset:-100]\r\n[00:01.00]a"},
    };
    for (const auto& c : cases) EXPECT_EQ(WithOffsetTag(c.text, c.offset), c.saved) << c.text;
}

TEST(Lyrics, BakingTheOffsetMovesTheLines) {
    const struct {
        int offset;
        Lines lines;
    } cases[] = {
        {500, {{1500, "a"}, {5500, "b"}, {29500, "c"}}},
        {-2000, {{0, "a"}, {3000, "b"}, {27000, "c"}}},
        {2000, {{3000, "a"}, {7000, "b"}, {30000, "c"}}},
    };
    for (const auto& c : cases) {
        Lyric lyric = ParseLyric("[00:01.00]a\r\n[00:05.00]b\r\n[00:29.00]c", 30000);
        lyric.offset = c.offset;
        EXPECT_TRUE(BakeOffset(lyric, 30000));
        EXPECT_EQ(LinesOf(lyric), c.lines) << c.offset;
        EXPECT_EQ(lyric.offset, 0);
        EXPECT_FALSE(BakeOffset(lyric, 30000));
    }
}

TEST(Lyrics, WrittenAndReadBack) {
    Lyric lyric = ParseLyric("[TI:歌][Ar:人]\r\n[al:集][offset:-300][by:某人]", 4000000);
    lyric.path = "C:\\歌.lrc";
    for (const auto& [time, text] : Lines{{0, "起"}, {12345, "a"}, {12349, "dropped: same hundredth"},
                                          {3599999, "b"}, {3600000, "一小时"}, {3723450, ""}, {4000000, "at the end"}}) {
        lyric.times.push_back(time);
        lyric.texts.push_back(text);
    }
    std::string text;
    ASSERT_TRUE(WriteLyricText(lyric, 4000000, text));
    EXPECT_EQ(text,
              "[ti:歌]\r\n[ar:人]\r\n[al:集]\r\n[by:橙鹿]\r\n[offset:-300]\r\n[00:00.00]起\r\n[00:12.34]a\r\n"
              "[00:12.34]dropped: same hundredth\r\n[59:59.99]b\r\n[01:00:00.00]一小时\r\n[01:02:03.45]\r\n");
    const Lyric back = ParseLyric(text, 4000000);
    EXPECT_EQ(LinesOf(back), (Lines{{0, "起"}, {12340, "a"}, {3599990, "b"}, {3600000, "一小时"}, {3723450, ""}}));
    EXPECT_EQ(back.offset, -300);
    EXPECT_EQ(back.title + back.artist + back.album + back.by, "歌人集橙鹿");

    EXPECT_FALSE(WriteLyricText(lyric, 10000, text));
    lyric.path.clear();
    EXPECT_FALSE(WriteLyricText(lyric, 4000000, text));
}

TEST(Lyrics, HostileFilesLoad) {
    // 100,000 time tags on one line
    std::string tags;
    for (int i = 0; i < 100000; ++i) tags += TimeTag(i * 10);
    Lyric lyric = ParseLyric(tags + "x", 1000000);
    ASSERT_EQ(LineCount(lyric), 100001);
    EXPECT_EQ(lyric.times.back(), 999990);
    EXPECT_EQ(lyric.texts.back(), "x");
    EXPECT_FALSE(lyric.cut);
    // a 10 MB line, and a 1 MB text shared by 100,000 tags: the texts stay within their bound, and
    // the lyric that lost text says so
    lyric = ParseLyric("[00:01.00]" + std::string(10 << 20, 'a'), 60000);
    EXPECT_EQ(lyric.texts.at(1).size(), 4u << 20);
    EXPECT_TRUE(lyric.cut);
    lyric = ParseLyric(tags + std::string(1 << 20, 'a'), 1000000);
    std::size_t bytes = 0;
    for (const std::string& t : lyric.texts) bytes += t.size();
    EXPECT_EQ(LineCount(lyric), 100001);
    EXPECT_EQ(bytes, 4u << 20);
    EXPECT_TRUE(lyric.cut);
    lyric.path = "C:\\a.lrc";
    std::string text;
    EXPECT_FALSE(WriteLyricText(lyric, 1000000, text));
    // 10 MB of unclosed brackets
    EXPECT_EQ(LineCount(ParseLyric(std::string(10 << 20, '['), 60000)), 1);
}

// --- files in today's encodings ---------------------------------------------------------------------

// Bytes written by hand, independently of the program's converters: UTF-8 from u8 literals, UTF-16
// unit by unit from u literals, with their marks.
std::string U8(std::u8string_view s) { return std::string(s.begin(), s.end()); }
const std::string kUtf8Mark = "\xEF\xBB\xBF";
std::string Utf16(std::u16string_view s, bool little_endian, bool mark = true) {
    std::string out = mark ? (little_endian ? "\xFF\xFE" : "\xFE\xFF") : "";
    for (char16_t c : s) {
        const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
        out += little_endian ? low : high;
        out += little_endian ? high : low;
    }
    return out;
}

TEST(LyricEncoding, WhichEncodingAFileIsReadIn) {
    using E = TextEncoding;
    const std::pair<std::string, E> cases[] = {
        // UTF-8 without a mark: Chinese, Japanese and Korean characters are three bytes each
        {U8(u8"[ti:月亮代表我的心]\r\n[00:01.00]你问我爱你有多深\r\n[00:05.00]我爱你有几分\r\n"), E::kUtf8},
        {U8(u8"[00:12.00]さくら さくら 弥生の空は\r\n"), E::kUtf8},
        {U8(u8"[00:05.00]사랑해요\r\n"), E::kUtf8},
        // two-byte letters inside a word, or outside GB2312 when read as GBK
        {U8(u8"[00:03.00]Herr Müller singt\r\n"), E::kUtf8},
        {U8(u8"[00:04.00]Расцветали яблони и груши\r\n"), E::kUtf8},
        {U8(u8"[00:02.00]À toi\r\n"), E::kUtf8},
        {U8(u8"[00:02.00]voilà tout\r\n"), E::kUtf8},  // à is C3 A0
        {U8(u8"[00:01.00]Año"), E::kUtf8},              // ñ between two letters at the very end
        // GBK: a Chinese lyric (no valid UTF-8), and one that happens to be valid UTF-8
        {"[ti:月亮代表我的心]\r\n[00:01.00]你问我爱你有多深\r\n", E::kGbk},
        {"[00:01.00]为什么\r\n[00:02.00]学习\r\n", E::kGbk},
        // ASCII alone reads alike either way; a byte that is no UTF-8; an overlong form
        {"[00:01.00]la la la\r\n", E::kGbk},
        {U8(u8"[00:01.00]你好") + "\xFF", E::kGbk},
        {"[00:01.00]\xC1\xAA", E::kGbk},
        // a Latin letter alone at a word's edge (é is C3 A9, 茅 in GB2312)
        {U8(u8"[00:01.00]un café noir\r\n"), E::kUtf8},
        {U8(u8"[00:01.00]café"), E::kUtf8},
        {U8(u8"[00:01.00]été\r\n"), E::kUtf8},
        // GBK whose characters touch Latin letters but stand in a run ("DJ女说": C5 AE CB B5) or
        // beside no letter ("[ar:么]"), and a Cyrillic-looking pair (D1 A7, 学) at a word's edge
        {"[ar:DJ\xC5\xAE\xCB\xB5]\r\n[00:01.00]\xCE\xAA\xCA\xB2\xC3\xB4\r\n", E::kGbk},
        {"[ar:\xC3\xB4]\r\n", E::kGbk},
        {"[00:01.00]A\xD1\xA7\r\n", E::kGbk},
        // marks
        {kUtf8Mark + "[00:01.00]la\r\n", E::kUtf8WithMark},
        {kUtf8Mark, E::kUtf8WithMark},
        {Utf16(u"[00:01.00]你好\r\n", true), E::kUtf16Le},
        {Utf16(u"[00:01.00]你好\r\n", false), E::kUtf16Be},
        {"", E::kGbk},
    };
    for (const auto& [bytes, encoding] : cases) EXPECT_STREQ(EncodingName(DetectEncoding(bytes)), EncodingName(encoding)) << bytes;
}

TEST(LyricEncoding, FilesInEveryEncodingShowTheirLinesInGbk) {
    // The same lyric in each encoding shows the same GBK lines; Korean, which GBK lacks, shows as
    // "?" but stays in the file's own texts.
    const std::u16string lyric16 =
        u"[ti:月亮代表我的心]\r\n[ar:邓丽君][by:某人]\r\n[00:01.00]你问我爱你有多深\r\n[00:05.50]사랑해요 ♪\r\n";
    const std::string lyric8 =
        U8(u8"[ti:月亮代表我的心]\r\n[ar:邓丽君][by:某人]\r\n[00:01.00]你问我爱你有多深\r\n[00:05.50]사랑해요 ♪\r\n");
    const std::string korean = U8(u8"사랑해요 ♪");  // (outside the test macros, which quote their arguments in GBK)
    const std::pair<std::string, TextEncoding> files[] = {
        {lyric8, TextEncoding::kUtf8},
        {kUtf8Mark + lyric8, TextEncoding::kUtf8WithMark},
        {Utf16(lyric16, true), TextEncoding::kUtf16Le},
        {Utf16(lyric16, false), TextEncoding::kUtf16Be},
    };
    for (const auto& [bytes, encoding] : files) {
        const Lyric lyric = ParseLyricFile(bytes, 60000);
        EXPECT_EQ(lyric.encoding, encoding);
        EXPECT_EQ(LinesOf(lyric), (Lines{{1000, "你问我爱你有多深"}, {5500, "???? ?"}})) << EncodingName(encoding);
        EXPECT_EQ(lyric.title, "月亮代表我的心");
        EXPECT_EQ(lyric.artist, "邓丽君");
        EXPECT_EQ(lyric.by, "某人");
        ASSERT_EQ(lyric.file_texts.size(), 3u);
        EXPECT_EQ(lyric.file_texts[2], korean);
        EXPECT_EQ(lyric.file_title, U8(u8"月亮代表我的心"));
    }
    // A GBK file reads as it always did.
    const Lyric gbk = ParseLyricFile("[ti:月亮]\r\n[00:01.00]你问我\r\n", 60000);
    EXPECT_EQ(gbk.encoding, TextEncoding::kGbk);
    EXPECT_EQ(LinesOf(gbk), (Lines{{1000, "你问我"}}));
    EXPECT_TRUE(gbk.file_texts.empty());
    // Broken sequences show as "?", one a byte; a surrogate alone in UTF-16 as one "?".
    EXPECT_EQ(Utf8ToDisplay(U8(u8"a你") + "\xE4\xBD" + "b\x80"), "a你??b?");
    EXPECT_EQ(LinesOf(ParseLyricFile(Utf16(u"[00:01.00]x\xD800y", true), 60000)), (Lines{{1000, "x?y"}}));
}

TEST(LyricEncoding, TheOffsetSavedChangesOnlyItsTagInTheFilesOwnEncoding) {
    // Each file with a tag gets only its value changed; one without gets the tag as its first
    // line, after the mark. Expected bytes are made from the same text edited by hand.
    const std::u16string with16 = u"[ti:한국어]\r\n[offset:100]\r\n[00:01.00]안녕 🎵 你好\r\n";
    const std::u16string edited16 = u"[ti:한국어]\r\n[offset:-1500]\r\n[00:01.00]안녕 🎵 你好\r\n";
    const std::u16string without16 = u"[00:01.00]안녕 🎵 你好\n";
    const std::u16string added16 = u"[offset:-1500]\n[00:01.00]안녕 🎵 你好\n";
    const std::string with8 = U8(u8"[ti:한국어]\r\n[offset:100]\r\n[00:01.00]안녕 🎵 你好\r\n");
    const std::string edited8 = U8(u8"[ti:한국어]\r\n[offset:-1500]\r\n[00:01.00]안녕 🎵 你好\r\n");
    const std::string without8 = U8(u8"[00:01.00]안녕 🎵 你好\n");
    const std::string added8 = U8(u8"[offset:-1500]\n[00:01.00]안녕 🎵 你好\n");
    const std::pair<std::string, std::string> cases[] = {
        {with8, edited8},
        {without8, added8},
        {kUtf8Mark + with8, kUtf8Mark + edited8},
        {kUtf8Mark + without8, kUtf8Mark + added8},
        {Utf16(with16, true), Utf16(edited16, true)},
        {Utf16(without16, true), Utf16(added16, true)},
        {Utf16(with16, false), Utf16(edited16, false)},
        {Utf16(without16, false), Utf16(added16, false)},
        // kept as they are: a surrogate alone, and an odd last byte
        {Utf16(u"[offset:1]\xDC00x\xD800", true) + "\x41", Utf16(u"[offset:-1500]\xDC00x\xD800", true) + "\x41"},
        {Utf16(u"\xD83C\xD83C\xDFB5\r\n[offset:1]", false), Utf16(u"\xD83C\xD83C\xDFB5\r\n[offset:-1500]", false)},
        // a mark before bytes that are no UTF-8: the bytes stay
        {kUtf8Mark + "[offset:1]\xFF\xC0\xE4\xBD", kUtf8Mark + "[offset:-1500]\xFF\xC0\xE4\xBD"},
        // GBK as ever
        {"[00:01.00]你好\r\n[offset:300]", "[00:01.00]你好\r\n[offset:-1500]"},
    };
    for (const auto& [before, after] : cases) {
        EXPECT_EQ(WithOffsetTagInFile(before, -1500), after) << before;
        // Read back, the lyric has the new offset, its lines unchanged.
        const Lyric was = ParseLyricFile(before, 60000), is = ParseLyricFile(after, 60000);
        EXPECT_EQ(is.offset, -1500);
        EXPECT_EQ(is.texts, was.texts);
        EXPECT_EQ(is.file_texts, was.file_texts);
        // Decoding and encoding alone give back every byte.
        EXPECT_EQ(EncodeText(DecodeText(before)), before);
    }
    EXPECT_EQ(WithOffsetTagInFile(with8, 10100), with8);  // out of range: unchanged
}

TEST(LyricEncoding, ALyricIsWrittenBackInItsEncodingWithEveryCharacter) {
    const std::u16string text16 = u"[ti:사랑]\r\n[ar:Ä]\r\n[00:05.00]사랑해요 🎵\r\n[00:02.00]你好\r\n";
    // 修改时间标签 with 0.5 s, then 保存歌词文件.
    const std::u16string written16 =
        u"[ti:사랑]\r\n[ar:Ä]\r\n[al:]\r\n[by:橙鹿]\r\n[offset:0]\r\n[00:02.50]你好\r\n[00:05.50]사랑해요 🎵\r\n";
    const std::string text8 = U8(u8"[ti:사랑]\r\n[ar:Ä]\r\n[00:05.00]사랑해요 🎵\r\n[00:02.00]你好\r\n");
    const std::string written8 =
        U8(u8"[ti:사랑]\r\n[ar:Ä]\r\n[al:]\r\n[by:橙鹿]\r\n[offset:0]\r\n[00:02.50]你好\r\n[00:05.50]사랑해요 🎵\r\n");
    const std::pair<std::string, std::string> cases[] = {
        {text8, written8},
        {kUtf8Mark + text8, kUtf8Mark + written8},
        {Utf16(text16, true), Utf16(written16, true)},
        {Utf16(text16, false), Utf16(written16, false)},
    };
    for (const auto& [file, expected] : cases) {
        Lyric lyric = ParseLyricFile(file, 60000);
        lyric.path = "C:\\\\歌.lrc";
        lyric.offset = 500;
        ASSERT_TRUE(BakeOffset(lyric, 60000));
        std::string out;
        ASSERT_TRUE(WriteLyricText(lyric, 60000, out));
        EXPECT_EQ(out, expected) << file;
        EXPECT_EQ(DetectEncoding(out), lyric.encoding);
    }
}

}  // namespace
