// The foundation every window is built on: the window skeleton (its state object attached at
// creation and freed exactly once, the modal loop giving the owner back before the window goes), no
// GDI object left behind by any window of the program, and every window's controls inside its
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

// Opens and ends every window once.
void OpenAndEndEveryWindow(HWND owner) {
    for (const test::Opener& o : test::EveryWindow()) {
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

TEST_F(FoundationTest, EveryWindowHoldsItsControlsApartInsideItsClientArea) {
    for (const test::Opener& o : test::EveryWindow()) {
        HWND w = o.open(owner_);
        ASSERT_NE(w, nullptr) << o.name;
        ShowWindow(w, SW_SHOWNA);  // a page is made hidden; its controls count once it shows
        Pump();
        for (const std::string& fault : test::LayoutFaults(w)) ADD_FAILURE() << o.name << ": " << fault;
        int children = 0;
        for (HWND child = GetWindow(w, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) ++children;
        EXPECT_GE(children, o.skin ? 1 : 3) << o.name;
        SendMessageW(w, WM_CLOSE, 0, 0);
        if (IsWindow(w)) DestroyWindow(w);
        Pump();
    }
}

}  // namespace
