// Every window at the DPI of its monitor: its design's 96-DPI client size, control rectangles and
// font heights times the scale, its controls inside it and apart, laid out again when the DPI
// changes (WM_DPICHANGED) around the same centre; the player answering clicks at its scaled
// places; the lyric window and the pages' transparency at the scale; the pages placed whole on the
// monitor from a stored centre.
//
// These tests run in every run of the Windows tests, whose display has the prefix's DPI (96 for the
// whole suite; 144 and 192 for the runs of this file alone). A window is measured at the display's
// DPI and again after it is told of another one (144 at 96 DPI, 96 otherwise), so that each run
// compares the same window at two DPIs. The expected sizes are computed here with MulDiv, which
// rounds halves away from zero as the windows must.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "astro/day_numbers.h"
#include "music/lyric_view.h"
#include "music/player.h"
#include "music/player_window.h"
#include "tests/windows/test_support.h"
#include "text/wide.h"
#include "views/calendar_page.h"
#include "views/day_page_window.h"
#include "views/month_page_window.h"
#include "win/services.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

using test::Pump;

// The DPI of the display, as GDI tells a program that is aware of it.
int DisplayDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi;
}

// The other DPI a window is measured at: 144 (a rounding scale) on a 96-DPI display, else 96.
int OtherDpi() { return DisplayDpi() == 96 ? 144 : 96; }

int Scaled(int value, int dpi) { return MulDiv(value, dpi, 96); }

// What Windows sends a window dragged to a monitor of another DPI; the suggested rectangle lies
// somewhere else on purpose: the window keeps its own centre.
void ChangeDpi(HWND window, int dpi) {
    RECT suggested{5, 5, 105, 105};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    Pump();
}

// How many rows a text's ink takes in a face at a height (pixels), drawn by itself.
int InkHeightOf(const std::string& text, const char* face, int height, int weight) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    const int size = 4 * height + 8;
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size * 4, size);
    HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
    HFONT font = CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, text::GbkToWide(face).c_str());
    HGDIOBJ old_font = SelectObject(dc, font);
    RECT all{0, 0, size * 4, size};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    const std::wstring wide = text::GbkToWide(text);
    TextOutW(dc, 4, 4, wide.c_str(), static_cast<int>(wide.size()));
    int top = -1, bottom = -1;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size * 4; ++x)
            if (GetPixel(dc, x, y) != RGB(255, 255, 255)) {
                if (top < 0) top = y;
                bottom = y;
                break;
            }
    SelectObject(dc, old_font);
    SelectObject(dc, old_bitmap);
    DeleteObject(font);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return top < 0 ? 0 : bottom - top + 1;
}

SIZE ClientSize(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

POINT Centre(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The layout of a window as it stands: its client size, and per child control (in the order of the
// window's children) its rectangle, whether it is a drop-down list (whose height follows its font)
// and the height of its font (0 without one of its own).
struct Control {
    RECT rect;
    bool combo;
    LONG font_height;
};
struct Layout {
    SIZE client;
    std::vector<Control> controls;
};

Layout LayoutOf(HWND window) {
    Layout layout{ClientSize(window), {}};
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t class_name[16] = {};
        GetClassNameW(child, class_name, 16);
        LOGFONTW font{};
        const auto handle = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
        if (!handle || !GetObjectW(handle, sizeof font, &font)) font.lfHeight = 0;
        layout.controls.push_back({test::RectInParent(child), _wcsicmp(class_name, L"ComboBox") == 0, font.lfHeight});
    }
    return layout;
}

// The client area of a window whose design gives its size with the frame (the month page: 528 x
// 430), from the frame of its styles at 96 DPI.
SIZE ClientOfFrame96(HWND window, SIZE frame) {
    using Adjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    const auto adjust = reinterpret_cast<Adjust>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    RECT r{0, 0, 0, 0};
    if (adjust) {
        adjust(&r, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE,
               static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)), 96);
    }
    return {frame.cx - (r.right - r.left), frame.cy - (r.bottom - r.top)};
}

// Each length of the larger layout is the smaller one's times the scale, within a pixel; each
// font height exactly.
void ExpectScaled(const char* name, const Layout& at_96, const Layout& at_dpi, int dpi) {
    const auto close_to = [](LONG got, int want) { return got >= want - 1 && got <= want + 1; };
    EXPECT_TRUE(close_to(at_dpi.client.cx, Scaled(at_96.client.cx, dpi)) && close_to(at_dpi.client.cy, Scaled(at_96.client.cy, dpi)))
        << name << " at " << dpi << ": client " << at_dpi.client.cx << "x" << at_dpi.client.cy << ", at 96 "
        << at_96.client.cx << "x" << at_96.client.cy;
    ASSERT_EQ(at_dpi.controls.size(), at_96.controls.size()) << name;
    for (size_t i = 0; i < at_96.controls.size(); ++i) {
        const Control& a = at_96.controls[i];
        const Control& b = at_dpi.controls[i];
        EXPECT_TRUE(close_to(b.rect.left, Scaled(a.rect.left, dpi)) && close_to(b.rect.top, Scaled(a.rect.top, dpi)) &&
                    close_to(b.rect.right, Scaled(a.rect.right, dpi)) &&
                    (b.combo || close_to(b.rect.bottom, Scaled(a.rect.bottom, dpi))))
            << name << " at " << dpi << ": control " << i << " at " << b.rect.left << "," << b.rect.top << ","
            << b.rect.right << "," << b.rect.bottom << ", at 96 " << a.rect.left << "," << a.rect.top << ","
            << a.rect.right << "," << a.rect.bottom;
        EXPECT_EQ(b.font_height, -Scaled(-a.font_height, dpi)) << name << " at " << dpi << ": font of control " << i;
    }
}

class DpiTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
    }
    void TearDown() override {
        DestroyWindow(owner_);
        Pump();
        test::TakeQuits();
    }
    HWND owner_ = nullptr;
};

TEST_F(DpiTest, EveryWindowIsItsDesignAtTheDisplaysDpiAndAtAnother) {
    const int display = DisplayDpi();
    const int other = OtherDpi();
    const int high = std::max(display, other);
    for (const test::Opener& o : test::EveryWindow()) {
        HWND w = o.open(owner_);
        ASSERT_NE(w, nullptr) << o.name;
        ShowWindow(w, SW_SHOWNA);
        Pump();
        const Layout at_display = LayoutOf(w);
        for (const std::string& fault : test::LayoutFaults(w)) ADD_FAILURE() << o.name << " at " << display << ": " << fault;
        const POINT centre = Centre(w);

        ChangeDpi(w, other);
        const Layout at_other = LayoutOf(w);
        // Off the screen it may reach: a 96-DPI display is too small for some windows at 144.
        for (const std::string& fault : test::LayoutFaults(w, false)) ADD_FAILURE() << o.name << " at " << other << ": " << fault;
        const Layout& at_96 = display == 96 ? at_display : at_other;
        const Layout& at_high = display == 96 ? at_other : at_display;

        // The design's client size at 96 DPI, and everything times the scale at the other DPI.
        SIZE design = o.client_96;
        if (std::string(o.name) == "月历") design = ClientOfFrame96(w, SIZE{528, 430});
        if (design.cx > 0) {
            EXPECT_EQ(at_96.client.cx, design.cx) << o.name;
            EXPECT_EQ(at_96.client.cy, design.cy) << o.name;
        }
        ExpectScaled(o.name, at_96, at_high, high);

        // Back at the display's DPI: as it was, around the same centre.
        ChangeDpi(w, display);
        const Layout again = LayoutOf(w);
        EXPECT_EQ(again.client.cx, at_display.client.cx) << o.name;
        EXPECT_EQ(again.client.cy, at_display.client.cy) << o.name;
        const POINT back = Centre(w);
        if (display != 96) {  // at 96 the window at 144 may have been moved to stay on the small screen
            EXPECT_NEAR(back.x, centre.x, 1) << o.name;
            EXPECT_NEAR(back.y, centre.y, 1) << o.name;
        }
        SendMessageW(w, WM_CLOSE, 0, 0);
        if (IsWindow(w)) DestroyWindow(w);
        Pump();
    }
}

TEST_F(DpiTest, ChangesOfTheDpiLeaveNoGdiObjectBehind) {
    // Fonts, icons, images and pictures are made again at each DPI; the ones they replace go.
    const auto round = [this] {
        for (const test::Opener& o : test::EveryWindow()) {
            HWND w = o.open(owner_);
            ASSERT_NE(w, nullptr) << o.name;
            ChangeDpi(w, OtherDpi());
            ChangeDpi(w, 192);
            ChangeDpi(w, DisplayDpi());
            SendMessageW(w, WM_CLOSE, 0, 0);
            if (IsWindow(w)) DestroyWindow(w);
            Pump();
        }
    };
    round();  // classes, shared icons and caches made once
    const int before = test::GdiObjects();
    for (int i = 0; i < 3; ++i) round();
    EXPECT_EQ(test::GdiObjects(), before);
}

TEST_F(DpiTest, FontsAreMadeAtTheHeightOfTheDpi) {
    const int dpi = DisplayDpi();
    // The dialogs' 宋体 of 12 pixels at 96 DPI (9 points), on every control of a dialog.
    HWND dialog = test::EveryWindow()[3].open(owner_);  // 本地坐标
    ASSERT_NE(dialog, nullptr);
    for (const Control& c : LayoutOf(dialog).controls) EXPECT_EQ(c.font_height, -Scaled(12, dpi));
    DestroyWindow(dialog);
    // The month page paints in its faces at the DPI: the title 18, the weekdays and day numbers 16
    // (bold), the lunar lines 12 (bold): each text's ink as tall as the same text's in that face
    // at that height.
    HWND page = views::CreateMonthPage(2460351, views::PageOptions{});
    ASSERT_NE(page, nullptr);
    ShowWindow(page, SW_SHOWNOACTIVATE);
    Pump();
    const auto expect_faces = [page](int at) {
        const win::Scaler scale(at);
        const COLORREF title_ground = RGB(248, 249, 200), cell_ground = RGB(190, 255, 255);
        const astro::DayNumber day = 2460351;
        const astro::CalendarDate date = astro::DayNumberToDate(day);
        const int measured = views::CellOfDay(date.year, date.month, day) == 10 ? 11 : 10;  // not the selected one
        const views::ShownCell cell = views::ShownCellOf(page, measured);
        const struct {
            const char* what;
            RECT box;
            std::string text;
            const char* face;
            int height, weight;
            COLORREF ground;
        } texts[] = {
            {"title", views::TitleRect(), "公 历", "楷体_GB2312", 18, FW_NORMAL, title_ground},
            {"weekday", views::WeekdayHeaderRect(1), "星期一", "楷体_GB2312", 16, FW_BOLD, title_ground},
            {"number", views::CellNumberRect(measured), cell.number, "楷体_GB2312", 16, FW_BOLD, cell_ground},
            {"lunar line", views::CellLunarRect(measured), cell.lunar_line, "宋体", 12, FW_BOLD, cell_ground},
        };
        for (const auto& t : texts) {
            ASSERT_FALSE(t.text.empty()) << t.what;
            EXPECT_NEAR(test::InkIn(page, scale.Rect(t.box), t.ground).Height(),
                        InkHeightOf(t.text, t.face, Scaled(t.height, at), t.weight), 1)
                << t.what << " at " << at;
        }
    };
    expect_faces(dpi);
    // Told of another DPI, the page makes them again at that one.
    ChangeDpi(page, 192);
    expect_faces(192);
    DestroyWindow(page);
    Pump();
}

// A player on the recording MCI device, with a song whose lyric file lies beside it.
class DpiPlayerTest : public DpiTest {
protected:
    void SetUp() override {
        DpiTest::SetUp();
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = text::WideToGbk(temp);
        song_ = folder_ + "tempoline-dpi.wav";
        std::string audio = TEMPO_TEST_AUDIO;
        for (char& c : audio) c = c == '/' ? '\\' : c;
        ASSERT_TRUE(CopyFileW(text::GbkToWide(audio + "\\tone15.wav").c_str(), text::GbkToWide(song_).c_str(), FALSE));
        // The longest line: 12 bytes (six Chinese characters).
        std::ofstream(text::GbkToWide(folder_ + "tempoline-dpi.lrc").c_str(), std::ios::binary)
            << "[00:01.00]\xC7\xE5\xB3\xBF\xB5\xC4\xD1\xF4\xB9\xE2\xD5\xD5\r\n[00:05.00]\xD5\xD5\xD4\xDA\r\n";
        mci_.length = "183456";  // 183450 ms
        context_.mci = &mci_;
        context_.history = &history_;
        context_.lyric_style = &style_;
        context_.lyric_folder = &lyric_folder_;
        context_.lyric_top = &top_;
        player_ = music::OpenPlayer(owner_, context_);
        ASSERT_NE(player_, nullptr);
    }
    void TearDown() override {
        if (IsWindow(player_)) DestroyWindow(player_);
        DeleteFileW(text::GbkToWide(song_).c_str());
        DeleteFileW(text::GbkToWide(folder_ + "tempoline-dpi.lrc").c_str());
        DpiTest::TearDown();
    }

    // A click at the centre of a place of the skin, at the window's DPI.
    void ClickAt(POINT p) {
        SendMessageW(player_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageW(player_, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        Pump();
    }
    POINT CentreOf(const RECT& logical, int dpi) {
        return {Scaled((logical.left + logical.right) / 2, dpi), Scaled((logical.top + logical.bottom) / 2, dpi)};
    }
    bool Sent(const std::string& command) const {
        for (const std::string& c : mci_.commands)
            if (c == command) return true;
        return false;
    }

    platform::RecordingMci mci_;
    std::string history_, lyric_folder_, folder_, song_;
    std::int16_t style_ = 2;  // karaoke
    std::int32_t top_ = -1;
    music::PlayerContext context_;
    HWND player_ = nullptr;
};

TEST_F(DpiPlayerTest, ButtonsBarsAndImagesAnswerAtTheirScaledPlaces) {
    for (const int dpi : {DisplayDpi(), OtherDpi()}) {
        if (dpi != DisplayDpi()) ChangeDpi(player_, dpi);
        music::Player* player = music::PlayerOf(player_);
        ASSERT_NE(player, nullptr);
        EXPECT_EQ(ClientSize(player_).cx, Scaled(273, dpi));
        EXPECT_EQ(ClientSize(player_).cy, Scaled(100, dpi));

        // The list image shows the play list below the skin, 150 pixels more; again, it goes.
        ClickAt(CentreOf(music::ImageRect(2), dpi));
        EXPECT_EQ(ClientSize(player_).cy, Scaled(250, dpi)) << dpi;
        ClickAt(CentreOf(music::ImageRect(2), dpi));
        EXPECT_EQ(ClientSize(player_).cy, Scaled(100, dpi)) << dpi;
        // The speaker mutes.
        const bool muted = player->mute();
        ClickAt(CentreOf(music::ImageRect(0), dpi));
        EXPECT_NE(player->mute(), muted) << dpi;
        // The volume bar: volume v at 190 + v / 2, so 15 pixels in is 30.
        const RECT volume = music::VolumeBarRect();
        ClickAt({Scaled(volume.left + 15, dpi), Scaled((volume.top + volume.bottom) / 2, dpi)});
        EXPECT_EQ(player->volume(), 30) << dpi;

        // A song playing: the thumb dragged to bar pixel 120 of 240 seeks to half the song. The
        // second time its lyric window's top is stored far below the screen: a monitor that is gone.
        if (dpi != DisplayDpi()) top_ = 100000;
        player->AddFiles({song_});
        ASSERT_TRUE(player->file_open()) << dpi;
        const RECT bar = music::ProgressBarRect();
        const POINT at{Scaled(bar.left + 8 + 120, dpi), Scaled((bar.top + bar.bottom) / 2, dpi)};
        mci_.commands.clear();
        ClickAt(at);
        EXPECT_TRUE(Sent("Seek AudioMCI To 91725")) << dpi;
        // Its karaoke lyric window: 18 pixels a byte and 40 more wide, 76 high, at the scale; its key
        // colour still made see-through.
        HWND lyric = music::LyricWindowOf(player_);
        ASSERT_NE(lyric, nullptr) << dpi;
        EXPECT_EQ(ClientSize(lyric).cx, Scaled(18 * 12 + 40, DisplayDpi())) << dpi;
        EXPECT_EQ(ClientSize(lyric).cy, Scaled(76, DisplayDpi())) << dpi;
        // Not placed before, or placed off the screen: 8 pixels below the player, centred on it.
        RECT placed, beside;
        GetWindowRect(lyric, &placed);
        GetWindowRect(player_, &beside);
        EXPECT_EQ(placed.top, beside.bottom + Scaled(8, DisplayDpi())) << dpi;
        EXPECT_NEAR(placed.left + placed.right, beside.left + beside.right, 1) << dpi;
        EXPECT_EQ(top_, placed.top) << dpi;
        COLORREF key = 0;
        BYTE alpha = 0;
        DWORD flags = 0;
        ASSERT_TRUE(GetLayeredWindowAttributes(lyric, &key, &alpha, &flags));
        EXPECT_TRUE(flags & LWA_COLORKEY);
        EXPECT_EQ(key, music::kLyricKeyColour);
        // Told of this DPI itself, the lyric window takes it too.
        ChangeDpi(lyric, dpi);
        EXPECT_EQ(ClientSize(lyric).cx, Scaled(18 * 12 + 40, dpi)) << dpi;
        EXPECT_EQ(ClientSize(lyric).cy, Scaled(76, dpi)) << dpi;
        // □ stops it.
        ClickAt(CentreOf(music::ButtonRect(music::kStopButton), dpi));
        EXPECT_FALSE(player->file_open()) << dpi;
    }
    // × closes the player.
    ClickAt(CentreOf(music::ButtonRect(music::kExitButton), OtherDpi()));
    EXPECT_FALSE(IsWindow(player_));
}

// The play list drawn into a bitmap of its client area (WM_PRINTCLIENT draws as WM_PAINT does, the
// rows through the player's WM_DRAWITEM): how many pixels of each row band of `height` pixels, and
// below the last of `rows`, are not the list's background.
std::vector<int> InkOfRows(HWND list, int rows, int height) {
    RECT client;
    GetClientRect(list, &client);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    GdiFlush();
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const std::uint32_t background = (GetRValue(window) << 16) | (GetGValue(window) << 8) | GetBValue(window);
    std::vector<int> ink(static_cast<size_t>(rows) + 1, 0);
    const auto* pixel = static_cast<const std::uint32_t*>(bits);
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x)
            if ((pixel[y * client.right + x] & 0xFFFFFF) != background) ++ink[static_cast<size_t>(std::min(y / height, rows))];
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return ink;
}

// The play list at the display's DPI and at others (144 and 192 among them in every run): its rows
// as high as the DPI asks (16 pixels at 96 DPI), each name drawn whole within its own row. (Its
// rows were once drawn at their place scaled a second time: at 144 DPI each row covered most of the
// name above it, and the 2nd and 3rd of four showed as faint dots.)
TEST_F(DpiPlayerTest, PlayListRowsAreWholeAtTheHeightOfEveryDpi) {
    DestroyWindow(player_);
    history_.clear();
    for (const char* name : {"一号歌", "二号歌", "三号歌", "四号歌"}) {
        const std::string song = folder_ + "tempoline-" + name + ".wav";
        ASSERT_TRUE(CopyFileW(text::GbkToWide(song_).c_str(), text::GbkToWide(song).c_str(), FALSE));
        history_ += song + "|";
    }
    player_ = music::OpenPlayer(owner_, context_);
    ASSERT_NE(player_, nullptr);
    Pump();
    ClickAt(CentreOf(music::ImageRect(2), DisplayDpi()));  // the list shows
    HWND list = GetDlgItem(player_, music::kPlayListId);
    ASSERT_TRUE(IsWindowVisible(list));
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 4);
    for (const int dpi : {DisplayDpi(), OtherDpi(), 192, 144, DisplayDpi()}) {
        ChangeDpi(player_, dpi);
        const int height = Scaled(16, dpi);
        EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), height) << dpi;
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);  // every row in the same colours
        const std::vector<int> ink = InkOfRows(list, 4, height);
        const int most = *std::max_element(ink.begin(), ink.begin() + 4);
        EXPECT_GT(most, 2 * height) << dpi;
        for (int row = 0; row < 4; ++row)
            EXPECT_GT(ink[static_cast<size_t>(row)], most * 6 / 10) << dpi << ": row " << row + 1;
        EXPECT_EQ(ink[4], 0) << dpi << ": drawn below the rows";
    }
    for (const char* name : {"一号歌", "二号歌", "三号歌", "四号歌"})
        DeleteFileW(text::GbkToWide(folder_ + "tempoline-" + name + ".wav").c_str());
}

class DpiPlacementTest : public test::CalendarTest {};

TEST_F(DpiPlacementTest, BothPagesOpenWholeOnTheMonitorAtItsDpiFromAnyStoredCentre) {
    const int dpi = DisplayDpi();
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const struct {
        views::CalendarView view;
        SIZE client;  // 0 x 0: the month page, from its frame
    } pages[] = {{views::CalendarView::kDay, {260, 150}}, {views::CalendarView::kMonth, {0, 0}}};
    // Inside, at the corners, beyond every edge, and far beyond the screen (a monitor that is gone).
    const POINT centres[] = {{width / 2, height / 2}, {0, 0}, {width, height}, {width + 800, 40}, {40, height + 900},
                             {5 * width, 5 * height}};
    for (const auto& page : pages) {
        for (const POINT c : centres) {
            program_.settings.form_center_x = c.x;
            program_.settings.form_center_y = c.y;
            ASSERT_NE(Open(page.view, 2460351), nullptr);
            const SIZE design = page.client.cx ? page.client : ClientOfFrame96(Window(), SIZE{528, 430});
            EXPECT_EQ(ClientSize(Window()).cx, Scaled(design.cx, dpi));
            EXPECT_EQ(ClientSize(Window()).cy, Scaled(design.cy, dpi));
            RECT r;
            GetWindowRect(Window(), &r);
            EXPECT_GE(r.left, 0) << c.x << "," << c.y;
            EXPECT_GE(r.top, 0) << c.x << "," << c.y;
            EXPECT_LE(r.right, width) << c.x << "," << c.y;
            EXPECT_LE(r.bottom, height) << c.x << "," << c.y;
            if (c.x == width / 2) {  // a centre well inside is kept
                EXPECT_EQ((r.left + r.right) / 2, c.x);
                EXPECT_EQ((r.top + r.bottom) / 2, c.y);
            }
            // The transparency of the page's layered window holds at the scale.
            win::SetTransparency(Window(), 100);
            EXPECT_EQ(win::Alpha(Window()), 155);
            DestroyWindow(Window());
            Pump();
            test::TakeQuits();
        }
    }
}

}  // namespace
