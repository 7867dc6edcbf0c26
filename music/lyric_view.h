// The lyrics of the playing file on the screen: a tooltip above the player (工具提示), or the lyric
// window, a caption-less layered pop-up whose key colour is see-through, as a scrolling list or as
// karaoke in one or two rows. The lines, the current line and the geometry are music/lyrics.h.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "music/lyrics.h"
#include "win/handles.h"
#include "win/window.h"

namespace music {

// The lyric window's key colour: drawn, it is not there.
constexpr COLORREF kLyricKeyColour = RGB(214, 237, 236);

class LyricView {
public:
    LyricView() = default;
    LyricView(const LyricView&) = delete;
    LyricView& operator=(const LyricView&) = delete;
    ~LyricView() { Stop(); }

    // For a player window, with the program's style and window top (both kept up to date).
    void Start(HWND player, std::int16_t* style, std::int32_t* top);
    void Stop();

    void Load(const std::string& audio_path, const std::string& folder, std::int32_t total_ms);
    void Unload();
    // The position of the song: the current line, shown in the style.
    void Show(std::int32_t position_ms, std::int32_t total_ms);

    // The lyric window moved beside the player again when the player now covers it (its play list
    // shown); otherwise it stays where it is.
    void KeepBeside();

    int style() const { return style_ ? *style_ : 0; }
    void SetStyle(int style);
    bool hidden() const { return hidden_; }
    void SetHidden(bool hidden);

    std::string OffsetCaption() const { return music::OffsetCaption(lyric_.offset); }
    void ShiftOffset(int delta_ms);
    void ResetOffset();
    // 保存偏移量, 修改时间标签, 保存歌词文件; a file that cannot be written is said so and left as it was.
    void SaveOffset();
    void Bake(std::int32_t total_ms);
    void Write(std::int32_t total_ms);

    const Lyric& lyric() const { return lyric_; }
    HWND window() const { return window_; }
    // The tooltip's text now (style 0, or why a lyric file found shows nothing), "" when it shows
    // nothing.
    const std::string& tooltip_text() const { return tooltip_text_; }

private:
    friend struct LyricWindow;
    void Rebuild();  // the display of the style made again: the window, or the tooltip
    void ShowTooltip(const std::string& line);  // the tooltip above the player says `line` ("" hides it)
    // Paints the lyric window, in its 96-DPI geometry converted by the window, in its fonts.
    void Paint(HDC dc, const RECT& client, const win::Scaler& scale, HFONT list_font, HFONT karaoke_font);
    void Failed(platform::ReplaceError why);

    HWND player_ = nullptr;
    std::int16_t* style_ = nullptr;
    std::int32_t* top_ = nullptr;
    bool hidden_ = false;
    Lyric lyric_;
    std::int32_t position_ms_ = 0, total_ms_ = 0;
    HWND window_ = nullptr;
    HWND tooltip_ = nullptr;
    std::string tooltip_text_;
};

}  // namespace music
