#include "music/lyric_view.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "text/gbk.h"
#include "text/wide.h"
#include "win/accessible.h"
#include "win/controls.h"
#include "win/dpi.h"
#include "win/services.h"
#include "win/window.h"

namespace music {

namespace {

constexpr COLORREF kListBackground = RGB(160, 255, 255);
constexpr COLORREF kListBand = RGB(255, 255, 160);
constexpr COLORREF kWaiting = RGB(0, 64, 128);   // a line still to be sung
constexpr COLORREF kSung = RGB(230, 40, 40);     // the part sung
constexpr COLORREF kOtherLine = RGB(40, 40, 40);  // the list's other lines

constexpr std::size_t kTooltipBytes = 200;

// The part of a line of byte_pixels a byte that shows in a window `width` wide, drawn from x (all in
// 96-DPI pixels, drawn at the window's).
void VisibleLine(HDC dc, const win::Scaler& scale, std::string_view s, int x, int y, int width, int byte_pixels) {
    const VisibleText part = VisiblePart(s, x, width, byte_pixels);
    const std::wstring w = text::GbkToWide(part.text);
    TextOutW(dc, scale.Px(part.x), scale.Px(y), w.c_str(), static_cast<int>(w.size()));
}

}  // namespace

// The lyric window: painted by its view, moved by a press anywhere, never activated; its top is
// kept for the next time.
struct LyricWindow : win::Window {
    LyricView* view = nullptr;
    const win::WindowFont* list_font = nullptr;
    const win::WindowFont* karaoke_font = nullptr;
    // What a screen reader reads: the lyric, its current line as its value, its lines as its children.
    win::AccessibleContent accessible{*this, [this] { return AccessibleItems(); }};

    win::AccessibleItems AccessibleItems() const {
        const Lyric& lyric = view->lyric_;
        const SIZE client = ClientSize();
        const RECT whole{0, 0, client.cx, client.cy};
        win::AccessibleItems items;
        const int current = lyric.current;
        items.push_back(win::PaintedItem("歌词", win::role::kText, win::state::kReadOnly, whole,
                                         current >= 1 && current <= LineCount(lyric)
                                             ? lyric.texts[static_cast<size_t>(current - 1)]
                                             : std::string()));
        for (int n = 1; n <= LineCount(lyric); ++n)
            items.push_back(win::PaintedItem(lyric.texts[static_cast<size_t>(n - 1)], win::role::kStaticText,
                                             win::state::kReadOnly | (n == current ? win::state::kSelected : 0),
                                             whole, "", 0));
        return items;
    }

    bool OnCreate() override {
        list_font = MakeFont("宋体", 20, FW_NORMAL);  // 10 pixels a byte
        // 18 pixels a byte. Unsmoothed: over the see-through key colour, smoothed edges would leave
        // a fringe of that colour around every character.
        karaoke_font = MakeFont("宋体", 36, FW_BOLD, NONANTIALIASED_QUALITY);
        return true;
    }

    void OnDestroy() override {
        if (view->window_ == handle()) view->window_ = nullptr;  // gone some other way than Rebuild
    }

    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
        switch (message) {
            case WM_PAINT:
                win::PaintOffScreen(handle(), [this](HDC dc, const RECT& client) {
                    view->Paint(dc, client, scale(), list_font->get(), karaoke_font->get());
                });
                return 0;
            case WM_ERASEBKGND: return 1;
            case WM_GETOBJECT: {
                LRESULT object = 0;
                accessible.Changed();  // another lyric may have been loaded
                if (accessible.Answer(wparam, lparam, &object)) return object;
                return Window::OnMessage(message, wparam, lparam);
            }
            case WM_LBUTTONDOWN: win::StartDrag(handle()); return 0;
            case WM_MOVE:
                if (view->top_) {
                    RECT r;
                    GetWindowRect(handle(), &r);
                    *view->top_ = r.top;
                }
                return 0;
            case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
            default: return Window::OnMessage(message, wparam, lparam);
        }
    }
};

void LyricView::Start(HWND player, std::int16_t* style, std::int32_t* top) {
    player_ = player;
    style_ = style;
    top_ = top;
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0,
                               0, player, nullptr, GetModuleHandleW(nullptr), nullptr);
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    info.hwnd = player;
    info.uId = 1;
    info.lpszText = const_cast<wchar_t*>(L"");
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void LyricView::Stop() {
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
    if (tooltip_) DestroyWindow(tooltip_);
    tooltip_ = nullptr;
}

void LyricView::Load(const std::string& audio_path, const std::string& folder, std::int32_t total_ms) {
    lyric_ = LoadLyricFile(audio_path, folder, [](const std::string& p) { return win::FileExists(p); }, total_ms);
    total_ms_ = total_ms;
    position_ms_ = 0;
    Rebuild();
}

void LyricView::Unload() {
    lyric_ = Lyric{};
    total_ms_ = 0;
    Rebuild();
}

void LyricView::SetStyle(int style) {
    if (style < 0 || style >= kLyricStyleCount || !style_) return;
    *style_ = static_cast<std::int16_t>(style);
    Rebuild();
}

void LyricView::SetHidden(bool hidden) {
    hidden_ = hidden;
    Rebuild();
}

void LyricView::Rebuild() {
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
    tooltip_text_.clear();
    if (tooltip_) {
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        info.hwnd = player_;
        info.uId = 1;
        SendMessageW(tooltip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info));
    }
    if (hidden_ || !player_) return;
    if (!lyric_.loaded) {
        // A lyric file that was found but not read: the tooltip says why no lyric shows.
        if (!lyric_.notice.empty()) ShowTooltip(lyric_.notice);
        return;
    }
    const auto kind = static_cast<LyricStyle>(style());
    if (kind == LyricStyle::kTooltip) {
        Show(position_ms_, total_ms_);
        return;
    }
    // On the player's monitor, as wide as the style and the longest line ask (in 96-DPI pixels,
    // at that monitor's scale), beside the player and clear of it and its play list, whole on the
    // work area: at the stored top (a screen position) when the window stands there whole and
    // clear of the player, else below the player, above it, or at its side.
    const std::vector<win::Monitor> monitors = win::Monitors();
    RECT at;
    GetWindowRect(player_, &at);
    const win::Box player = win::ToBox(at);
    const win::Monitor& monitor = monitors[win::MonitorHolding(monitors, player)];
    const win::Scaler scale(monitor.dpi);
    const WindowSize size = LyricWindowSize(kind, LongestLineBytes(lyric_), scale.Logical(monitor.work.Width()));
    const std::optional<int> saved = top_ && *top_ >= 0 ? std::optional<int>(*top_) : std::nullopt;
    const win::Box placed =
        win::PlaceBeside(player, {scale.Px(size.width), scale.Px(size.height)}, monitor.work, saved, scale.Px(8));
    if (top_) *top_ = placed.top;
    auto state = std::make_unique<LyricWindow>();
    state->view = this;
    win::Frame frame;
    frame.class_name = L"TempolineLyric";
    frame.style = WS_POPUP;
    frame.ex_style = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    frame.x = placed.left;
    frame.y = placed.top;
    frame.width = size.width;
    frame.height = size.height;
    frame.shown = false;  // shown below without taking the focus from the player
    window_ = win::Create(std::move(state), frame, player_);
    if (!window_) return;
    SetLayeredWindowAttributes(window_, kLyricKeyColour, 255, LWA_COLORKEY);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    Show(position_ms_, total_ms_);
}

void LyricView::KeepBeside() {
    if (!window_ || !player_) return;
    RECT player_rect, lyric_rect, both;
    GetWindowRect(player_, &player_rect);
    GetWindowRect(window_, &lyric_rect);
    if (!IntersectRect(&both, &player_rect, &lyric_rect)) return;
    const std::vector<win::Monitor> monitors = win::Monitors();
    const win::Box player = win::ToBox(player_rect);
    const win::Monitor& monitor = monitors[win::MonitorHolding(monitors, player)];
    const win::Box placed = win::PlaceBeside(player, {lyric_rect.right - lyric_rect.left, lyric_rect.bottom - lyric_rect.top},
                                             monitor.work, std::nullopt, win::Scaler(monitor.dpi).Px(8));
    SetWindowPos(window_, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void LyricView::Show(std::int32_t position_ms, std::int32_t total_ms) {
    position_ms_ = position_ms;
    total_ms_ = total_ms;
    if (!lyric_.loaded) return;
    const int before = lyric_.current;
    lyric_.current = CurrentLine(lyric_, position_ms, total_ms);
    // A screen reader hears the line that is sung now.
    if (lyric_.current != before && window_)
        if (auto* lyric_window = win::StateOf<LyricWindow>(window_)) lyric_window->accessible.RaiseValueChange(0);
    if (hidden_) return;
    if (style() == static_cast<int>(LyricStyle::kTooltip)) {
        // A tooltip is as wide as its text: a very long line shows its start.
        ShowTooltip(std::string(lyric_.current >= 1 ? text::GbkPrefix(lyric_.texts[static_cast<size_t>(lyric_.current - 1)], kTooltipBytes)
                                                     : std::string_view()));
        return;
    }
    if (window_) InvalidateRect(window_, nullptr, FALSE);
}

void LyricView::ShowTooltip(const std::string& line) {
    if (line == tooltip_text_ || !tooltip_) return;
    tooltip_text_ = line;
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = player_;
    info.uId = 1;
    std::wstring wide = text::GbkToWide(line);
    info.lpszText = wide.data();
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    // Just above the player, at its left edge.
    RECT r;
    GetWindowRect(player_, &r);
    const win::Window* player = win::Window::Of(player_);
    const int above = player ? player->scale().Px(24) : 24;
    SendMessageW(tooltip_, TTM_TRACKPOSITION, 0, MAKELPARAM(r.left, std::max(0L, r.top - above)));
    SendMessageW(tooltip_, TTM_TRACKACTIVATE, !line.empty(), reinterpret_cast<LPARAM>(&info));
}

void LyricView::Paint(HDC dc, const RECT& client, const win::Scaler& scale, HFONT list_font, HFONT karaoke_font) {
    const auto kind = static_cast<LyricStyle>(style());
    HBRUSH background = CreateSolidBrush(kind == LyricStyle::kList ? kListBackground : kLyricKeyColour);
    FillRect(dc, &client, background);
    DeleteObject(background);
    SetBkMode(dc, TRANSPARENT);
    const int line = lyric_.current;
    // The window in 96-DPI pixels.
    const int width = scale.Logical(client.right);
    const int height = scale.Logical(client.bottom);
    if (kind == LyricStyle::kList) {
        HGDIOBJ old = SelectObject(dc, list_font);
        const RECT band = scale.Rect(0, 120, width, 140);
        HBRUSH b = CreateSolidBrush(kListBand);
        FillRect(dc, &band, b);
        DeleteObject(b);
        const int top = ListTop(lyric_, position_ms_, total_ms_);
        const int left = ListLeft(width, LongestLineBytes(lyric_));
        for (int n = 1; n <= LineCount(lyric_); ++n) {
            const int y = top + 20 * (n - 1);
            if (y < -20 || y > height) continue;
            SetTextColor(dc, n == line ? kSung : kOtherLine);
            VisibleLine(dc, scale, lyric_.texts[static_cast<size_t>(n - 1)], left, y, width, 10);
        }
        SelectObject(dc, old);
        return;
    }
    // Karaoke: the line in the waiting colour, then its sung part over it in the other colour. In
    // two rows the odd lines take the upper row from the left, the even ones the lower row ending
    // at the right, so that the next line already stands in the other row.
    HGDIOBJ old = SelectObject(dc, karaoke_font);
    // A line wider than the window moves along as it is sung (KaraokeScroll).
    const int visible = width - 40;
    const auto draw = [&](int n, int x, int y) {
        const std::string s = KaraokeText(lyric_, n);
        if (s.empty()) return;
        const int sung = n == line ? SungWidth(lyric_, n, position_ms_, total_ms_) : 0;
        const int text_width = static_cast<int>(std::min<std::size_t>(s.size(), 1u << 24)) * 18;
        x -= KaraokeScroll(text_width, sung, visible);
        SetTextColor(dc, kWaiting);
        VisibleLine(dc, scale, s, x, y, width, 18);
        if (n != line) return;
        const RECT sung_part = scale.Rect(std::max(x, 0), y, std::clamp(x + sung, 0, width), y + 40);
        const HRGN clip = CreateRectRgnIndirect(&sung_part);
        SelectClipRgn(dc, clip);
        SetTextColor(dc, kSung);
        VisibleLine(dc, scale, s, x, y, width, 18);
        SelectClipRgn(dc, nullptr);
        DeleteObject(clip);
    };
    if (kind == LyricStyle::kKaraoke) {
        draw(line, 20, 18);
    } else {
        const int upper = line % 2 == 1 ? line : line + 1;
        const int lower = line % 2 == 0 ? line : line + 1;
        draw(upper, 20, 14);
        const int lower_width = static_cast<int>(std::min<std::size_t>(KaraokeText(lyric_, lower).size(), 1u << 24)) * 18;
        draw(lower, std::max(20, width - 20 - lower_width), 74);
    }
    SelectObject(dc, old);
}

void LyricView::ShiftOffset(int delta_ms) {
    if (music::ShiftOffset(lyric_, delta_ms)) Show(position_ms_, total_ms_);
}

void LyricView::ResetOffset() {
    if (music::ResetOffset(lyric_)) Show(position_ms_, total_ms_);
}

void LyricView::Failed(platform::ReplaceError why) {
    MessageBoxW(player_,
                text::GbkToWide("无法写入歌词文件（" + WhyNotWritten(why) + "），原文件没有改动：\n" + lyric_.path).c_str(),
                text::GbkToWide("橙鹿音乐").c_str(), MB_OK | MB_ICONWARNING);
}

void LyricView::SaveOffset() {
    if (!lyric_.loaded || lyric_.path.empty()) return;
    if (const platform::ReplaceResult saved = SaveOffsetToFile(lyric_); !saved) Failed(saved.error);
}

void LyricView::Bake(std::int32_t total_ms) {
    if (BakeOffset(lyric_, total_ms)) Show(position_ms_, total_ms_);
}

void LyricView::Write(std::int32_t total_ms) {
    if (!lyric_.loaded || lyric_.path.empty() || !SongTakesLyrics(total_ms)) return;
    if (const platform::ReplaceResult written = WriteLyricFile(lyric_, total_ms); !written) Failed(written.error);
}

}  // namespace music
