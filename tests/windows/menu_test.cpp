// The popup menu and every command of it, sent to a real calendar window under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "astro/day_numbers.h"
#include "calendar/lunar_year.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "shell/app_win32.h"
#include "text/wide.h"
#include "views/day_page_window.h"
#include "views/month_page_window.h"

namespace {

using astro::DateToDayNumber;

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::string Text(HWND control) {
    wchar_t buf[512] = {};
    GetWindowTextW(control, buf, 512);
    return text::WideToGbk(buf);
}

// What a modal window that a command opens should be answered with: the timer finds the window by
// its caption and presses one of its buttons.
struct AutoAnswer {
    static std::wstring caption;
    static int button;
    static bool seen;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND window = FindWindowW(nullptr, caption.c_str());
        if (window && IsWindowVisible(window)) {
            seen = true;
            HWND b = GetDlgItem(window, button);
            if (b)
                SendMessageW(b, BM_CLICK, 0, 0);
            else
                PostMessageW(window, WM_COMMAND, button, 0);
        }
    }
};
std::wstring AutoAnswer::caption;
int AutoAnswer::button = IDOK;
bool AutoAnswer::seen = false;

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        shell::App& app = shell::TheApp();
        app = shell::App{};
        registry_ = std::make_unique<platform::MemoryRegistry>();
        clock_ = std::make_unique<platform::FixedClock>(platform::LocalDateTime{2025, 10, 6, 9, 30, 0});
        app.registry = registry_.get();
        app.clock = clock_.get();
        wchar_t module[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, module, MAX_PATH);
        app.program = shell::SplitProgramPath(text::WideToGbk(module));
        shell::BuildPopupMenu();
        page_ = views::CreateDayPage(DateToDayNumber(2024, 2, 10));
        ASSERT_NE(page_, nullptr);
        Pump();
    }
    void TearDown() override {
        HWND window = shell::TheApp().calendar_window;
        if (window && IsWindow(window)) DestroyWindow(window);
        Pump();
        calendar::SetModernCalculateAncientFlag(false);
        shell::TheApp().registry = nullptr;
        shell::TheApp().clock = nullptr;
    }

    HWND Window() const { return shell::TheApp().calendar_window; }
    void Command(int id) {
        SendMessageW(Window(), WM_COMMAND, id, 0);
        Pump();
    }
    bool Checked(int id) {
        shell::UpdateMenuChecks();
        return (GetMenuState(shell::PopupMenu(), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
    }
    int Alpha() {
        BYTE alpha = 255;
        DWORD flags = 0;
        if (!GetLayeredWindowAttributes(Window(), nullptr, &alpha, &flags) || !(flags & LWA_ALPHA)) return 255;
        return alpha;
    }
    // Runs a command that opens a modal window, answered by pressing `button` in the window titled
    // `caption`.
    bool CommandAnswered(int id, const char* caption, int button) {
        AutoAnswer::caption = text::GbkToWide(caption);
        AutoAnswer::button = button;
        AutoAnswer::seen = false;
        const UINT_PTR timer = SetTimer(nullptr, 0, 200, AutoAnswer::Tick);
        Command(id);
        KillTimer(nullptr, timer);
        return AutoAnswer::seen;
    }

    std::unique_ptr<platform::MemoryRegistry> registry_;
    std::unique_ptr<platform::FixedClock> clock_;
    HWND page_ = nullptr;
};

TEST_F(MenuTest, TheMenuHoldsEveryItemInOrder) {
    HMENU menu = shell::PopupMenu();
    ASSERT_EQ(GetMenuItemCount(menu), 27);
    const int expected[] = {3025, 3026, 0, 3030, 3031, 0, 3035, 3036, 0, 3037, 0, -1, 0, 3055,
                            0,    -1,   0, 3080, 0,    -1, 0, 3105, 3106, 0, 3110, 0, 3113};
    for (int i = 0; i < 27; ++i) {
        const UINT id = GetMenuItemID(menu, i);
        if (expected[i] == -1)
            EXPECT_EQ(id, static_cast<UINT>(-1)) << i;  // a submenu
        else if (expected[i] == 0)
            EXPECT_TRUE(GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR) << i;
        else
            EXPECT_EQ(id, static_cast<UINT>(expected[i])) << i;
    }
    wchar_t name[64] = {};
    GetMenuStringW(menu, 3026, name, 64, MF_BYCOMMAND);
    EXPECT_EQ(text::WideToGbk(name), "橙鹿月历(&M)");
    HMENU tools = GetSubMenu(menu, 15);
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(GetMenuItemCount(tools), 23);
    EXPECT_EQ(GetMenuItemID(tools, 19), 3075u);  // 查询条件月 after 查询条件日
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 11)), 12);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 19)), 17);
    // The windows that come later are shown greyed.
    EXPECT_TRUE(GetMenuState(menu, 3030, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(menu, 3080, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(menu, 3055, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(MenuTest, ChecksFollowTheState) {
    EXPECT_TRUE(Checked(3025));
    EXPECT_FALSE(Checked(3026));
    EXPECT_EQ(Checked(3035), shell::TheApp().window_placement == 'T');
    EXPECT_TRUE(Checked(3040));
    EXPECT_FALSE(Checked(3050));
    EXPECT_TRUE(Checked(3096));
    EXPECT_FALSE(Checked(3085));
    Command(3037);
    EXPECT_TRUE(shell::TheApp().move_lock);
    EXPECT_TRUE(Checked(3037));
    Command(3037);
    EXPECT_FALSE(Checked(3037));
}

TEST_F(MenuTest, PlacementAndTransparency) {
    shell::TheApp().window_placement = 'T';
    shell::SetTopmost(Window(), true);
    Command(3035);
    EXPECT_EQ(shell::TheApp().window_placement, 'N');
    EXPECT_FALSE(GetWindowLongPtrW(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    Command(3035);
    EXPECT_EQ(shell::TheApp().window_placement, 'T');
    EXPECT_TRUE(GetWindowLongPtrW(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    Command(3036);  // into the desktop, or back on top where there is no desktop window to join
    const char placement = shell::TheApp().window_placement;
    EXPECT_TRUE(placement == 'D' || placement == 'T');
    EXPECT_EQ(GetParent(Window()) != nullptr, placement == 'D');
    if (placement == 'D') Command(3036);
    for (int level = 0; level <= 9; ++level) {
        Command(3040 + level);
        EXPECT_EQ(Alpha(), 255 - 25 * level) << level;
        EXPECT_TRUE(Checked(3040 + level));
    }
    Command(3050);
    EXPECT_EQ(shell::TheApp().transparency_level, 10);
    EXPECT_TRUE(Checked(3050));
    EXPECT_FALSE(Checked(3049));
}

TEST_F(MenuTest, OptionsAreSavedAsTheirValues) {
    for (int id : {3085, 3087, 3090, 3091, 3092, 3093, 3095}) {
        Command(id);
        EXPECT_TRUE(Checked(id)) << id;
    }
    Command(3097);
    EXPECT_TRUE(Checked(3097));
    EXPECT_FALSE(Checked(3096));
    EXPECT_EQ(Text(GetDlgItem(Window(), views::kInformationLineId)).substr(0, 8), "日出时刻");
    Command(3098);
    EXPECT_EQ(Text(GetDlgItem(Window(), views::kInformationLineId)).substr(0, 8), "天亮时刻");
    Command(3090);  // and off again: its value must go
    SendMessageW(Window(), WM_CLOSE, 0, 0);
    Pump();
    const auto stored = [&](const char* name) {
        return registry_->StoredValue(platform::RegistryRoot::CurrentUser, shell::SettingsKey, name);
    };
    EXPECT_EQ(stored("Version"), "4.2");
    EXPECT_EQ(stored("WholeAutoReportTimeFlag"), "1");
    EXPECT_EQ(stored("ModernCalculateAncientFlag"), "1");
    EXPECT_EQ(stored("DFORMShowDynastyFlag"), "1");
    EXPECT_EQ(stored("DFORMShowInfoTypeFlag"), "2");
    EXPECT_FALSE(registry_->HasValue(platform::RegistryRoot::CurrentUser, shell::SettingsKey, "GanZhiFromChunjieFlag"));
}

TEST_F(MenuTest, ModernRuleEmptiesTheYearCache) {
    const std::string historical = calendar::LunarYearRecord(300);
    Command(3092);
    EXPECT_TRUE(calendar::ModernCalculateAncientFlag());
    EXPECT_NE(calendar::LunarYearRecord(300), historical);
    Command(3092);
    EXPECT_EQ(calendar::LunarYearRecord(300), historical);
}

TEST_F(MenuTest, TheViewsSwitchKeepingTheDay) {
    shell::TheApp().move_lock = true;
    Command(3045);
    Command(3025);  // the day page is shown: nothing happens
    EXPECT_EQ(Window(), page_);
    Command(3026);
    HWND month = Window();
    ASSERT_NE(month, nullptr);
    EXPECT_NE(month, page_);
    EXPECT_FALSE(IsWindow(page_));
    EXPECT_EQ(Text(month), "橙鹿月历");
    EXPECT_EQ(views::MonthPageDay(month), DateToDayNumber(2024, 2, 10));
    EXPECT_EQ(shell::TheApp().calendar_view, 1);
    EXPECT_FALSE(shell::TheApp().move_lock);
    EXPECT_EQ(Alpha(), 255);
    EXPECT_EQ(shell::TheApp().window_placement, 'T');
    EXPECT_TRUE(Checked(3026));
    // Nothing was saved by the switch.
    EXPECT_FALSE(registry_->HasValue(platform::RegistryRoot::CurrentUser, shell::SettingsKey, "FormCenterX"));
    Command(3105);  // today on the month page
    EXPECT_EQ(views::MonthPageDay(Window()), DateToDayNumber(2025, 10, 6));
    Command(3025);
    EXPECT_EQ(views::DayPageDay(Window()), DateToDayNumber(2025, 10, 6));
    EXPECT_EQ(shell::TheApp().calendar_view, 0);
}

TEST_F(MenuTest, GoToAndChangeTheSystemDate) {
    Command(3105);
    EXPECT_EQ(views::DayPageDay(Window()), DateToDayNumber(2025, 10, 6));
    views::ShowDayOnPage(Window(), DateToDayNumber(1979, 5, 1));
    Command(3106);  // outside 1980..2099: nothing at all
    EXPECT_EQ(clock_->DateChanges(), 0);
    views::ShowDayOnPage(Window(), DateToDayNumber(2099, 12, 31));
    EXPECT_TRUE(CommandAnswered(3106, "警告", IDCANCEL));
    EXPECT_EQ(clock_->DateChanges(), 0);
    EXPECT_TRUE(CommandAnswered(3106, "警告", IDOK));
    EXPECT_EQ(clock_->DateChanges(), 1);
    EXPECT_EQ(clock_->Now().year, 2099);
    EXPECT_EQ(clock_->Now().day, 31);
    // A refused change is told in a message box.
    clock_->RefuseChanges(true);
    AutoAnswer::caption = text::GbkToWide("警告");
    AutoAnswer::button = IDOK;
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, AutoAnswer::Tick);
    views::ShowDayOnPage(Window(), DateToDayNumber(2030, 1, 1));
    Command(3106);
    KillTimer(nullptr, timer);
    EXPECT_EQ(clock_->DateChanges(), 2);
    EXPECT_EQ(clock_->Now().year, 2099);
}

TEST_F(MenuTest, HelpAndLocalCoordinatesOpenModally) {
    EXPECT_TRUE(CommandAnswered(3110, "帮助", IDCANCEL));
    EXPECT_TRUE(CommandAnswered(3055, "本地坐标", IDCANCEL));
    EXPECT_EQ(shell::TheApp().settings.place.prov_index, 1);
}

TEST_F(MenuTest, ShortcutsAreCreatedBesideTheProgram) {
    const std::wstring folder = text::GbkToWide(shell::TheApp().program.folder);
    const std::wstring music = folder + L"\\" + text::GbkToWide("橙鹿音乐") + L".LNK";
    const std::wstring weather = folder + L"\\" + text::GbkToWide("橙鹿天气") + L".LNK";
    DeleteFileW(music.c_str());
    DeleteFileW(weather.c_str());
    Command(3077);
    Command(3078);
    EXPECT_NE(GetFileAttributesW(music.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(weather.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(music.c_str());
    DeleteFileW(weather.c_str());
}

TEST_F(MenuTest, ExitClosesTheWindow) {
    Command(3113);
    EXPECT_FALSE(IsWindow(page_));
}

}  // namespace
