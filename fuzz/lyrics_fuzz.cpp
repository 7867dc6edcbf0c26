// Fuzz target: any bytes read as an LRC file give a lyric that holds together. Its lines after the
// leading entry run strictly ascending within the song, the offset is a multiple of 100 in range,
// the current line is a line, the window's geometry stays within its line; the lyric written out
// and read back has the same header, offset, texts, and times cut to hundredths (two that meet in
// one hundredth keep the first); the offset saved into a text without one is what the text then
// gives; baking keeps the lines in order within the song. Read as a file in whatever encoding its
// bytes are, the same holds, its text decodes and encodes back to every byte, and the offset saved
// into a file without one is what the file then gives, its lines unchanged.
//
// Input: four bytes for the song's length (folded around the lengths that take lyrics), four for a
// playing position, the rest the LRC text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "music/lyrics.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

std::uint32_t Word(const std::uint8_t* data, std::size_t size, std::size_t at) {
    std::uint32_t w = 0;
    for (std::size_t i = 0; i < 4; ++i) w |= static_cast<std::uint32_t>(at + i < size ? data[at + i] : 0) << (8 * i);
    return w;
}

bool HasOffsetTag(const std::string& text) {
    for (std::size_t i = 0; i + 8 <= text.size(); ++i) {
        bool same = true;
        for (std::size_t j = 0; j < 8 && same; ++j) {
            char c = text[i + j];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            same = c == "[offset:"[j];
        }
        if (same) return true;
    }
    return false;
}

void CheckLines(const music::Lyric& lyric, int total) {
    Check(lyric.loaded);
    Check(lyric.times.size() == lyric.texts.size() && !lyric.times.empty());
    Check(lyric.times[0] == music::kLeadingTime && lyric.texts[0].empty());
    for (std::size_t i = 1; i < lyric.times.size(); ++i) {
        Check(lyric.times[i] >= 0 && lyric.times[i] < total);
        Check(i == 1 || lyric.times[i - 1] < lyric.times[i]);
        Check(lyric.texts[i].find('\n') == std::string::npos);
    }
    Check(lyric.offset >= -music::kMaxOffset && lyric.offset <= music::kMaxOffset && lyric.offset % 100 == 0);
}

void CheckPosition(const music::Lyric& lyric, int position, int total) {
    const int count = music::LineCount(lyric);
    const int line = music::CurrentLine(lyric, position, total);
    Check(line >= 1 && line <= count);
    if (position == 0) Check(line == 1);
    if (position == total) Check(line == count);
    const long long t = static_cast<long long>(position) - lyric.offset;
    if (position != 0 && position != total) {
        Check(line == 1 || lyric.times[line - 1] <= t);
        Check(line == count || lyric.times[line] > t);
    }
    const int scroll = music::ListScroll(lyric, line, position);
    Check(scroll >= 0 && scroll <= 20);
    const int sung = music::SungWidth(lyric, line, position, total);
    Check(sung >= 0 && static_cast<std::size_t>(sung) <= 18 * music::KaraokeText(lyric, line).size());
}

void CheckWrittenBack(const music::Lyric& lyric, int total) {
    music::Lyric named = lyric;
    named.path = "C:\\歌词.lrc";
    std::string text;
    Check(music::WriteLyricText(named, total, text));
    const music::Lyric back = music::ParseLyric(text, total);
    CheckLines(back, total);
    Check(back.title == lyric.title && back.artist == lyric.artist && back.album == lyric.album);
    Check(back.by == "橙鹿" && back.offset == lyric.offset);
    std::size_t j = 0;
    int last = -1;
    for (std::size_t i = 1; i < lyric.times.size(); ++i) {
        const int cut = lyric.times[i] / 10 * 10;
        if (cut == last) continue;
        last = cut;
        ++j;
        Check(j < back.times.size() && back.times[j] == cut && back.texts[j] == lyric.texts[i]);
    }
    Check(j + 1 == back.times.size());
}

void CheckOffsetSaved(const std::string& text, const music::Lyric& lyric, int offset, int total) {
    if (HasOffsetTag(text)) return;
    const music::Lyric saved = music::ParseLyric(music::WithOffsetTag(text, offset), total);
    Check(saved.offset == offset && saved.times == lyric.times && saved.texts == lyric.texts);
    Check(saved.title == lyric.title && saved.artist == lyric.artist && saved.album == lyric.album);
}

void CheckBaked(music::Lyric lyric, int offset, int total) {
    lyric.offset = offset;
    Check(music::BakeOffset(lyric, total) == (offset != 0));
    Check(lyric.offset == 0);
    for (std::size_t i = 1; i < lyric.times.size(); ++i) {
        Check(lyric.times[i] >= 0 && lyric.times[i] <= total);
        Check(i == 1 || lyric.times[i - 1] <= lyric.times[i]);
    }
}

void CheckFile(const std::string& bytes, int offset, int total) {
    const music::DecodedText decoded = music::DecodeText(bytes);
    Check(music::EncodeText(decoded) == bytes);
    const music::Lyric lyric = music::ParseLyricFile(bytes, total);
    CheckLines(lyric, total);
    if (lyric.encoding != music::TextEncoding::kGbk) {
        Check(lyric.file_texts.size() == lyric.texts.size());
        music::Lyric named = lyric;
        named.path = "C:\\歌词.lrc";
        std::string written;
        if (music::WriteLyricText(named, total, written)) {
            const music::Lyric back = music::ParseLyricFile(written, total);
            Check(back.encoding == lyric.encoding && back.file_title == lyric.file_title);
        }
    }
    if (HasOffsetTag(decoded.text)) return;
    const music::Lyric saved = music::ParseLyricFile(music::WithOffsetTagInFile(bytes, offset), total);
    Check(saved.offset == offset && saved.times == lyric.times && saved.texts == lyric.texts);
    Check(saved.file_texts == lyric.file_texts && saved.encoding == lyric.encoding);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::uint32_t w0 = Word(data, size, 0), w1 = Word(data, size, 4);
    // Mostly lengths that take lyrics, some just outside them, some anything.
    int total;
    switch (w0 & 3) {
        case 0: total = static_cast<int>(9990 + (w0 >> 2) % 30); break;
        case 1: total = static_cast<int>(9999990 + (w0 >> 2) % 30); break;
        case 2: total = static_cast<int>(w0 >> 2) - (1 << 29); break;
        default: total = static_cast<int>(10001 + (w0 >> 2) % 9999999); break;
    }
    const std::string text(reinterpret_cast<const char*>(data) + (size < 8 ? size : 8), size < 8 ? 0 : size - 8);

    const music::Lyric lyric = music::ParseLyric(text, total);
    if (!music::SongTakesLyrics(total)) {
        Check(!lyric.loaded && lyric.times.empty() && lyric.texts.empty());
        Check(music::CurrentLine(lyric, 0, total) == 0);
        return 0;
    }
    CheckLines(lyric, total);
    const int position = static_cast<int>(w1 % (static_cast<std::uint32_t>(total) + 1));
    for (int p : {0, total, position, position / 2, total - 1}) CheckPosition(lyric, p, total);
    CheckWrittenBack(lyric, total);
    const int offset = static_cast<int>(w1 % 201) * 100 - music::kMaxOffset;
    CheckOffsetSaved(text, lyric, offset, total);
    CheckBaked(lyric, offset, total);
    CheckFile(text, offset, total);
    return 0;
}
