// The foundation every window is built on: the window skeleton (its state object attached at
// creation and freed exactly once, the modal loop giving the owner back before the window goes), no
// GDI object left behind by any window of the program, and every dialog's controls inside its
// client area, none covering another.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "help/help_window.h"
#include "music/player_window.h"
#include "personal/alarm_editor.h"
#include "personal/personal_days_editor.h"
#include "places/local_coordinates_dialog.h"
#include "tests/windows/test_support.h"
#include "text/wide.h"
#include "tools/date_tools_window.h"
#include "tools/query_window.h"
#include "tools/yearly_tables_window.h"
#include "views/day_page_window.h"
#include "views/month_page_window.h"
#include "win/confirm_dialog.h"
#include "win/controls.h"
#include "win/window.h"

namespace {

using test::Pump;

// A window that counts its state objects' deaths and notes what it saw at its end.
struct Probe : win::Window {
    static int destroyed;
    static bool owner_enabled_at_destroy;
    bool refuse = false;

    ~Probe() override { ++destroyed; }
    bool OnCreate() override {
        AddControl(L"BUTTON", "确定", BS_PUSHBUTTON, 10, 10, 80, 24, IDOK);
        return !refuse;
    }
    bool OnCommand(int id, int, HWND) override {
        if (id != IDOK) return false;
        Close(42);
        return true;
    }
    void OnDestroy() override { owner_enabled_at_destroy = owner() == nullptr || IsWindowEnabled(owner()); }
};
int Probe::destroyed = 0;
bool Probe::owner_enabled_at_destroy = false;

HWND MakeProbe(HWND owner, bool refuse = false) {
    auto probe = std::make_unique<Probe>();
    probe->refuse = refuse;
    return win::Create(std::move(probe), win::Frame{.class_name = L"TempolineProbe", .title = "probe"}, owner);
}

class FoundationTest : public ::testing::Test {
protected:
    void SetUp() override {
        Probe::destroyed = 0;
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

TEST_F(FoundationTest, TheStateGoesWithItsWindowExactlyOnceHoweverTheWindowEnds) {
    const std::vector<std::function<void(HWND)>> endings = {
        [](HWND w) { SendMessageW(GetDlgItem(w, IDOK), BM_CLICK, 0, 0); },  // its own Close
        [](HWND w) { SendMessageW(w, WM_CLOSE, 0, 0); },                   // the close box
        [](HWND w) { SendMessageW(w, WM_COMMAND, IDCANCEL, 0); },          // Escape
        [](HWND w) { DestroyWindow(w); },                                  // destroyed from outside
    };
    for (size_t i = 0; i < endings.size(); ++i) {
        Probe::destroyed = 0;
        HWND w = MakeProbe(owner_);
        ASSERT_NE(w, nullptr);
        EXPECT_NE(win::StateOf<Probe>(w), nullptr);
        endings[i](w);
        Pump();
        EXPECT_FALSE(IsWindow(w)) << i;
        EXPECT_EQ(Probe::destroyed, 1) << i;
        EXPECT_EQ(win::StateOf<Probe>(w), nullptr) << i;
    }
    // The owner going takes its owned window and the state with it.
    Probe::destroyed = 0;
    HWND other_owner = CreateWindowExW(0, L"STATIC", L"o", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    MakeProbe(other_owner);
    DestroyWindow(other_owner);
    EXPECT_EQ(Probe::destroyed, 1);
    // A window its OnCreate refuses is not made, and its state is freed all the same.
    Probe::destroyed = 0;
    EXPECT_EQ(MakeProbe(owner_, true), nullptr);
    EXPECT_EQ(Probe::destroyed, 1);
    // Windows made otherwise carry no state.
    EXPECT_EQ(win::Window::Of(owner_), nullptr);
    EXPECT_EQ(win::Window::Of(nullptr), nullptr);
}

TEST_F(FoundationTest, TheModalLoopGivesTheOwnerBackBeforeTheWindowGoes) {
    // Closed by the window itself: its result comes back, the owner was enabled again before the
    // window was destroyed (else Windows would activate some other program's window).
    HWND w = MakeProbe(owner_);
    bool disabled_meanwhile = false;
    {
        const test::ModalSteps steps({[&] {
            disabled_meanwhile = !IsWindowEnabled(owner_);
            SendMessageW(GetDlgItem(w, IDOK), BM_CLICK, 0, 0);
            // Close only asks the loop to end the window: it is still there until the loop does.
            EXPECT_TRUE(IsWindow(w));
        }});
        Probe::owner_enabled_at_destroy = false;
        EXPECT_EQ(win::RunModal(w), 42);
    }
    EXPECT_TRUE(disabled_meanwhile);
    EXPECT_TRUE(Probe::owner_enabled_at_destroy);
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(Probe::destroyed, 1);

    // Destroyed from outside while modal: the loop ends, the owner comes back.
    w = MakeProbe(owner_);
    {
        const test::ModalSteps steps({[w] { DestroyWindow(w); }});
        EXPECT_EQ(win::RunModal(w), IDCANCEL);
    }
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_EQ(Probe::destroyed, 2);

    // The program ends while a modal window is open: the window goes and the quit is passed on.
    w = MakeProbe(owner_);
    {
        const test::ModalSteps steps({[] { PostQuitMessage(7); }});
        EXPECT_EQ(win::RunModal(w), IDCANCEL);
    }
    EXPECT_FALSE(IsWindow(w));
    EXPECT_TRUE(IsWindowEnabled(owner_));
    EXPECT_EQ(test::TakeQuits(), 1);
    EXPECT_EQ(win::RunModal(owner_), -1);  // not a window of the skeleton
}

// A small 24-bit bitmap file, for the day page's background picture.
std::string BitmapFile() {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"tempoline-test.bmp";
    const int width = 4;
    const int height = 2;
    const int row = width * 3;  // a multiple of 4: no padding
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + row * height;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes.append(static_cast<size_t>(row * height), '\x80');
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(out);
    return text::WideToGbk(path);
}

// Every window of the program, as its opener makes it (shown, not modal); the pages and the dialogs.
struct Opener {
    const char* name;
    std::function<HWND(HWND owner)> open;
    bool page = false;
};

const std::vector<Opener>& EveryWindow() {
    static places::LocalPlace place;
    static personal::Alarms alarms;
    static platform::MemoryRegistry registry;
    static platform::RecordingMci mci;
    static const tools::ToolContext context{2460351, 0, 5, 1};
    static const std::vector<Opener> windows = [] {
        const views::PageOptions options{};
        views::PageOptions picture;
        picture.background_picture = BitmapFile();
        std::vector<Opener> all = {
            {"日历", [=](HWND) { return views::CreateDayPage(2460351, options); }, true},
            {"日历 with a picture",
             [=](HWND) {
                 HWND page = views::CreateDayPage(2460351, picture);
                 EXPECT_NE(SendMessageW(GetDlgItem(page, views::kPictureId), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
                 return page;
             },
             true},
            {"月历", [=](HWND) { return views::CreateMonthPage(2460351, options); }, true},
            {"本地坐标", [](HWND owner) { return places::CreateLocalCoordinatesDialog(owner, &place); }},
            {"帮助", [](HWND owner) { return help::CreateHelpDialog(owner); }},
            {"警告", [](HWND owner) { return win::CreateConfirmDialog(owner, "警告", "是否修改系统日期？"); }},
            {"编辑闹钟", [](HWND owner) { return personal::CreateAlarmEditor(owner, &alarms); }},
            // A skin that draws its own buttons: its layout is the music tests'.
            {"橙鹿音乐",
             [](HWND owner) {
                 static std::string history;
                 static std::string folder;
                 static std::int16_t style = 2;
                 static std::int32_t top = -1;
                 music::PlayerContext player;
                 player.mci = &mci;
                 player.history = &history;
                 player.lyric_style = &style;
                 player.lyric_folder = &folder;
                 player.lyric_top = &top;
                 return music::OpenPlayer(owner, player);
             },
             true},
        };
        for (auto mode : {personal::EditorMode::kMemorials, personal::EditorMode::kReminders, personal::EditorMode::kCountdown})
            all.push_back({"personal days", [=](HWND owner) {
                               return personal::CreatePersonalDaysEditor(owner, {mode, &registry, &mci, true});
                           }});
        for (int mode = 1; mode <= 4; ++mode) {
            all.push_back({"date tools", [=](HWND owner) { return tools::CreateDateToolsWindow(owner, mode, context); }});
            all.push_back({"yearly tables", [=](HWND owner) { return tools::CreateYearlyTablesWindow(owner, mode, context); }});
        }
        for (int mode = 1; mode <= 2; ++mode)
            all.push_back({"queries", [=](HWND owner) { return tools::CreateQueryWindow(owner, mode, context); }});
        return all;
    }();
    return windows;
}

// Opens and ends every window once.
void OpenAndEndEveryWindow(HWND owner) {
    for (const Opener& o : EveryWindow()) {
        HWND w = o.open(owner);
        ASSERT_NE(w, nullptr) << o.name;
        SendMessageW(w, WM_CLOSE, 0, 0);
        if (IsWindow(w)) DestroyWindow(w);  // a page leaves closing to the program's frame
        Pump();
    }
}

TEST_F(FoundationTest, NoWindowLeavesAGdiObjectBehind) {
    ASSERT_GT(test::GdiObjects(), 0);
    OpenAndEndEveryWindow(owner_);  // classes, shared icons and caches made once
    const int before = test::GdiObjects();
    for (int round = 0; round < 20; ++round) OpenAndEndEveryWindow(owner_);
    EXPECT_EQ(test::GdiObjects(), before);
}

TEST_F(FoundationTest, TheGdiCountSeesALeak) {
    // The count the test above relies on: one brush more while it lives, none after.
    const int before = test::GdiObjects();
    {
        const win::Brush brush(CreateSolidBrush(RGB(1, 2, 3)));
        EXPECT_EQ(test::GdiObjects(), before + 1);
    }
    EXPECT_EQ(test::GdiObjects(), before);
}

TEST_F(FoundationTest, EveryDialogHoldsItsControlsApartInsideItsClientArea) {
    const SIZE screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    for (const Opener& o : EveryWindow()) {
        if (o.page) continue;  // the pages' layouts have tests of their own
        HWND w = o.open(owner_);
        ASSERT_NE(w, nullptr) << o.name;
        Pump();
        RECT client;
        GetClientRect(w, &client);
        int children = 0;
        for (HWND child = GetWindow(w, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++children) {
            const RECT r = test::RectInParent(child);
            const std::string where = std::string(o.name) + " " + std::to_string(GetDlgCtrlID(child));
            EXPECT_GE(r.left, 0) << where;
            EXPECT_GE(r.top, 0) << where;
            EXPECT_LE(r.right, client.right) << where;
            EXPECT_LE(r.bottom, client.bottom) << where;
        }
        EXPECT_GE(children, 3) << o.name;
        // No visible control covers another (a group box frames others and is left out).
        std::vector<HWND> shown;
        for (HWND child = GetWindow(w, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t class_name[16] = {};
            GetClassNameW(child, class_name, 16);
            const bool group_box = _wcsicmp(class_name, L"Button") == 0 &&
                                   (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
            if (IsWindowVisible(child) && !group_box) shown.push_back(child);
        }
        for (size_t i = 0; i < shown.size(); ++i) {
            for (size_t j = i + 1; j < shown.size(); ++j) {
                const RECT a = test::RectInParent(shown[i]), b = test::RectInParent(shown[j]);
                RECT both;
                EXPECT_FALSE(IntersectRect(&both, &a, &b))
                    << o.name << ": " << GetDlgCtrlID(shown[i]) << " and " << GetDlgCtrlID(shown[j]) << " overlap";
            }
        }
        // And the dialog itself lies on the screen.
        RECT frame;
        GetWindowRect(w, &frame);
        EXPECT_GE(frame.left, 0) << o.name;
        EXPECT_GE(frame.top, 0) << o.name;
        EXPECT_LE(frame.right, screen.cx) << o.name;
        EXPECT_LE(frame.bottom, screen.cy) << o.name;
        DestroyWindow(w);
        Pump();
    }
}

}  // namespace
