// The lyrics of the music player: an LRC file read into timed lines, the line that plays now, the
// geometry of the lyric window in its styles, the lyric offset and the file written back.
//
// An LRC file is text in CR LF lines, GBK or, today mostly, UTF-8 or UTF-16 (music/lyric_encoding.h). A line starts with one or more tags in square brackets,
// and the text after its last tag belongs to every time tag of the line:
//   [ti:title] [ar:artist] [al:album] [by:author]   the header (the names in any case)
//   [offset:+500]                                   the lyric offset in ms, of "1234567890+-" only
//   [mm:ss.xx] [hh:mm:ss.xx]                        a time tag, of "1234567890:." only
// Any other tag is passed over. A tag is taken only where the rest of the line starts with "[" and
// holds a "]"; what follows the first non-tag is text, brackets and all.
//
// The offset delays the lyrics: with offset d (ms) a line tagged T shows at song position T + d. So
// every rule below that sets a position against line times uses t = position - offset.
//
// Every function answers bad input in-band: no lyric loaded, line 0, an unchanged text, false.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "music/lyric_encoding.h"
#include "platform/files.h"

namespace music {

// Lines are numbered from 1. Line 1 is an empty entry at kLeadingTime, before any song starts; the
// file's timed lines follow as lines 2, 3, ... in ascending time. Line n is times[n - 1] and
// texts[n - 1]. Nothing loaded: no lines at all. A new Lyric{} is the state after closing a song.
struct Lyric {
    bool loaded = false;
    std::string path;  // the LRC file it was read from, "" when none
    std::string title, artist, album, by;  // [ti:] [ar:] [al:] [by:]
    int offset = 0;  // LyricOffset: ms, -10000..10000, a multiple of 100 as read
    std::vector<int> times;  // ms from the start of the song
    std::vector<std::string> texts;  // GBK
    int current = 1;  // the line that plays now, kept by the player
    // The file's encoding. Of a file in another encoding than GBK, the texts above and the header
    // tags are the GBK forms shown on the screen (a character GBK lacks shows as "?"), and these
    // are the file's own, in the UTF-8 form of DecodeText, which the lyric is written back from.
    // Empty for a GBK file: its texts are the file's own.
    TextEncoding encoding = TextEncoding::kGbk;
    std::vector<std::string> file_texts;
    std::string file_title, file_artist, file_album;
    // Some texts were cut to stay within kMaxLyricTextBytes: written back, the lyric would lose text.
    bool cut = false;
    // Why no lyric shows although the song has a lyric file (GBK), "" otherwise: the lyric display
    // says it instead of showing nothing.
    std::string notice;
};

constexpr int kLeadingTime = -10000000;
// Songs take lyrics only when longer than kMinSongLength and shorter than kMaxSongLength (ms).
constexpr int kMinSongLength = 10000;
constexpr int kMaxSongLength = 10000000;
constexpr int kMaxOffset = 10000;  // the offset stays within -kMaxOffset..kMaxOffset
// What a lyric file may cost. A file larger than kMaxLyricFileBytes is not read: lyric files are a
// few kilobytes, a long one 100 KB. That bounds the time tags to about 210,000 (five bytes each at
// the least) and so the lines. Each time tag has its own copy of its line's text, so the texts of
// all lines together are kept to kMaxLyricTextBytes (a long text shared by very many tags would
// otherwise be copied for each); the lines past that much text keep only the start of their text
// that still fits, or nothing, and the lyric is marked cut. All told a lyric holds at most about
// 30 MB: the texts, their file forms (UTF-8 and UTF-16 files), and some 70 bytes a line.
constexpr std::size_t kMaxLyricFileBytes = 1u << 20;
constexpr std::size_t kMaxLyricTextBytes = 4u << 20;

bool SongTakesLyrics(int total_ms);
int LineCount(const Lyric& lyric);

// The lyric of an LRC text for a song of total_ms: header tags, offset (0 without a tag) and lines.
// Time tags at or past the song's end are dropped, and so is a time tag whose time an earlier tag
// already had. Hours and minutes are whole numbers, the seconds may have decimals ("12.5", "12.50",
// "12." but not ".5"); a tag with an empty part, a second dot or more than two colons is dropped.
// The offset is a whole number with at most one sign, cut to a multiple of 100 toward zero and
// clamped to the range ("+250" is 200, "-99" is 0); other offset values are passed over. A song
// whose length takes no lyrics gives no lyric (loaded false); a text with no timed line gives a
// loaded lyric of line 1 alone. `path` is left empty.
Lyric ParseLyric(std::string_view text, int total_ms);
// The lyric of a file's bytes in whatever encoding they are (DetectEncoding): a GBK file as
// ParseLyric reads it; any other the same way in its own encoding, its texts shown in GBK.
Lyric ParseLyricFile(std::string_view bytes, int total_ms);

// The line that plays at position_ms of a song of total_ms: line 1 at position 0, the last line at
// the song's end, otherwise the last line whose time is not after position - offset. 0 when there
// are no lines.
int CurrentLine(const Lyric& lyric, int position_ms, int total_ms);

// --- finding the file ---------------------------------------------------------------------------

// Tells whether a path names an existing file.
using FileExists = std::function<bool(const std::string& path)>;

// The path with its extension replaced by "lrc" ("C:\a\song.mp3" -> "C:\a\song.lrc"); a name
// without one gets ".lrc". A dot before the last "\" or "/" lies in a folder's name and is no
// extension ("C:\a.b\song" -> "C:\a.b\song.lrc").
std::string LyricPathOf(const std::string& audio_path);

// The LRC file of an audio file: the one beside it, else the one of the same name in the search
// folder, else "". A missing folder holds no file, so an empty folder is skipped and otherwise the
// file's own check answers for the folder too.
std::string FindLyricFile(const std::string& audio_path, const std::string& search_folder,
                          const FileExists& exists);

// --- the lyric window ---------------------------------------------------------------------------

enum class LyricStyle { kTooltip = 0, kList = 1, kKaraoke = 2, kDoubleKaraoke = 3 };
constexpr int kLyricStyleCount = 4;

// "工具提示", "滚动列表", "卡拉ＯＫ", "双行卡拉ＯＫ"; "" for a style out of range.
const char* LyricStyleName(LyricStyle style);

// The byte length of the longest line's text.
int LongestLineBytes(const Lyric& lyric);

struct WindowSize {
    int width = 0;
    int height = 0;
    friend bool operator==(const WindowSize&, const WindowSize&) = default;
};

// The lyric window of a style for lines of at most longest_bytes bytes: the scrolling list
// 10 x bytes + 40 wide (at most 760) and 220 high; karaoke 18 x bytes + 40 by 76; double-line
// karaoke 18 x bytes + 100 by 132; none of them wider than the screen (a longer line moves along
// as it is sung). The tooltip has no window: 0 x 0.
WindowSize LyricWindowSize(LyricStyle style, int longest_bytes, int screen_width);
// Where a karaoke line of text_width pixels starts when only visible_width pixels show: 0 while it
// fits; otherwise it moves left so that the edge of the sung part stays in the middle, and stops
// once its end shows.
int KaraokeScroll(int text_width, int sung_width, int visible_width);
// What of a GBK line drawn from x (byte_pixels a byte) falls within 0..width: its text from the
// first character that reaches into view to one past the last, and where that part is drawn.
// Drawing only that keeps a very long line as cheap as a short one.
struct VisibleText {
    int x = 0;
    std::string_view text;
};
VisibleText VisiblePart(std::string_view gbk, int x, int width, int byte_pixels);

// The scrolling list: each line 20 pixels high. Within a line the list scrolls the 20 pixels to the
// next line in proportion to the time passed (whole pixels, cut); the last line, with no line to
// scroll to, stands in the band. 0 for a line out of range.
int ListScroll(const Lyric& lyric, int line, int position_ms);
// The list's top: 120 - 20 x (current line - 1) - scroll; kListTopAtEnd at the song's end.
constexpr int kListTopAtEnd = -120;
int ListTop(const Lyric& lyric, int position_ms, int total_ms);
// The list's left edge in its window, centring the longest line at 10 pixels a byte (cut toward 0).
int ListLeft(int window_width, int longest_bytes);

// What karaoke shows for a line: its text, but "●●●●●" for an empty line that is neither the first
// nor the last. "" for a line out of range.
std::string KaraokeText(const Lyric& lyric, int line);
// The sung part of a karaoke line, in pixels at 18 a byte of KaraokeText: in proportion to the time
// passed from the line's start to the next line's (whole pixels, cut), the whole line from the next
// line's start on. The last line ends with the song. 0 for a line out of range.
int SungWidth(const Lyric& lyric, int line, int position_ms, int total_ms);

// --- the offset ---------------------------------------------------------------------------------

// The menu's steps "提前0.5秒(&F)" and "滞后0.5秒(&B)", and Ctrl+Left, Ctrl+Right.
constexpr int kMenuOffsetStep = 500;
constexpr int kKeyOffsetStep = 200;

// Moves the offset by delta_ms, clamped to the range. False, and nothing changes, when no lyric is
// loaded.
bool ShiftOffset(Lyric& lyric, int delta_ms);
// "还原偏移量(&U)": the offset back to 0, when a lyric is loaded.
bool ResetOffset(Lyric& lyric);

// The menu's caption of the offset: "歌词偏移量：提前0.5秒", "歌词偏移量：0.0秒",
// "歌词偏移量：滞后1.2秒" (seconds of |offset| with one decimal).
std::string OffsetCaption(int offset_ms);

// "保存偏移量(&K)": the LRC text with the offset in its first "[offset:" tag (any case), or with the
// tag "[offset:" + offset + "]" on a new first line when it has none, or when that tag does not close
// on its line; the new line ends as the text's first line does (LF alone or CR LF; CR LF for a text
// of one line, where a CR alone ends no line). The text unchanged for an offset out of range.
std::string WithOffsetTag(const std::string& text, int offset_ms);
// The same for a file's bytes in their own encoding (DetectEncoding): only the tag's value changes,
// or the new tag comes first (after the byte-order mark); every other byte stays as it was.
std::string WithOffsetTagInFile(std::string_view bytes, int offset_ms);

// "修改时间标签(&M)": moves every line after line 1 by the offset, clamped to 0..total_ms, and sets
// the offset to 0; the lines stay in order. False, and nothing changes, when no lyric is loaded or
// the offset is 0.
bool BakeOffset(Lyric& lyric, int total_ms);

// "[mm:ss.xx]" below an hour, "[hh:mm:ss.xx]" from an hour on (hundredths cut).
std::string TimeTag(int ms);

// "保存歌词文件(&S)": the LRC text of the lyric, CR LF lines: [ti:] [ar:] [al:], "[by:橙鹿]",
// [offset:], then each line after line 1 whose time lies in 0..total_ms - 1 as its time tag and
// text; in the file's encoding with the file's own texts (a byte-order mark first where it had
// one). False when no lyric is loaded from a path, the song's length takes no lyrics, or the
// lyric was cut when read (writing it would lose the rest).
bool WriteLyricText(const Lyric& lyric, int total_ms, std::string& out);

// --- the files ----------------------------------------------------------------------------------
// These sit in the header because they call the platform's file service, which the Windows program
// finds in its platform library, above the core: each program links them with its own.

// The notice of a lyric file that was found but not read: larger than kMaxLyricFileBytes, or not
// readable ("歌词文件超过1MB，没有读入：song.lrc").
std::string UnreadLyricNotice(const std::string& path, bool too_large);

// The lyric of an audio file: found by FindLyricFile and read (at most kMaxLyricFileBytes). Not
// loaded when there is no such file, it cannot be read or the song takes no lyrics; a file found
// but not read leaves its notice.
inline Lyric LoadLyricFile(const std::string& audio_path, const std::string& search_folder, const FileExists& exists,
                           int total_ms) {
    if (!SongTakesLyrics(total_ms)) return {};
    const std::string path = FindLyricFile(audio_path, search_folder, exists);
    if (path.empty()) return {};
    std::string text;
    bool too_large = false;
    if (!platform::ReadWholeFile(path, text, kMaxLyricFileBytes, platform::FileKind::kAny, &too_large)) {
        Lyric unread;
        unread.notice = UnreadLyricNotice(path, too_large);
        return unread;
    }
    Lyric lyric = ParseLyricFile(text, total_ms);
    lyric.path = path;
    return lyric;
}

// Stores the lyric's offset in its file (WithOffsetTagInFile). Fails (kAborted) when no lyric is
// loaded from a file, the offset is out of range or the file cannot be read, and with the reason
// when it cannot be replaced; the file is then unchanged.
inline platform::ReplaceResult SaveOffsetToFile(const Lyric& lyric) {
    if (!lyric.loaded || lyric.path.empty() || lyric.offset < -kMaxOffset || lyric.offset > kMaxOffset)
        return {platform::ReplaceError::kAborted};
    std::string text;
    if (!platform::ReadWholeFile(lyric.path, text, kMaxLyricFileBytes)) return {platform::ReplaceError::kAborted};
    return platform::ReplaceFileContents(lyric.path, WithOffsetTagInFile(text, lyric.offset));
}

// Writes the lyric over its file (WriteLyricText). Fails (kAborted) when there is nothing to write,
// and with the reason when the file cannot be replaced; the file is then unchanged.
inline platform::ReplaceResult WriteLyricFile(const Lyric& lyric, int total_ms) {
    std::string text;
    if (!WriteLyricText(lyric, total_ms, text)) return {platform::ReplaceError::kAborted};
    return platform::ReplaceFileContents(lyric.path, text);
}

// Why a lyric file was not written, as the player tells it (GBK).
inline std::string WhyNotWritten(platform::ReplaceError error) {
    switch (error) {
        case platform::ReplaceError::kReadOnly: return "它是只读文件";
        case platform::ReplaceError::kInUse: return "别的程序正在使用它";
        case platform::ReplaceError::kCannotCreate: return "它所在的文件夹不允许写入";
        case platform::ReplaceError::kNoFolder: return "它所在的文件夹已不存在";
        case platform::ReplaceError::kFolder:
        case platform::ReplaceError::kNotAFile: return "它不是普通文件";
        case platform::ReplaceError::kAborted: return "无法读出它的内容";
        case platform::ReplaceError::kForeignLink: return "它是别的用户放在公用文件夹里的链接";
        default: return "写入失败，也许磁盘已满";
    }
}

}  // namespace music
