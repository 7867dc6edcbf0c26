// The popup menu of the calendar window and the dispatcher of its commands.
#include <windows.h>

#include <commdlg.h>
#include <shlobj.h>

#include <string>

#include "calendar/lunar_year.h"
#include "help/help_window.h"
#include "places/local_coordinates_dialog.h"
#include "shell/app_win32.h"
#include "shell/confirm_dialog.h"
#include "text/wide.h"
#include "tools/date_tools_window.h"
#include "tools/query_window.h"
#include "tools/yearly_tables_window.h"
#include "views/day_page_window.h"
#include "views/month_page_window.h"

namespace shell {

namespace {

HMENU g_menu = nullptr;

struct Item {
    const char* text;  // nullptr: a separator
    int id;            // 0 with a text: a submenu, filled from the table that follows
};

constexpr Item kTransparency[] = {
    {"0%(&0)", 3040}, {"10%(&1)", 3041}, {"20%(&2)", 3042}, {"30%(&3)", 3043}, {"40%(&4)", 3044},
    {"50%(&5)", 3045}, {"60%(&6)", 3046}, {"70%(&7)", 3047}, {"80%(&8)", 3048}, {"90%(&9)", 3049},
    {nullptr, 0},      {"自动(&A)", 3050},
};

constexpr Item kTools[] = {
    {"编辑纪念日(&E)...", 3060}, {"编辑提醒日(&R)...", 3061}, {"编辑倒计日(&O)...", 3062}, {nullptr, 0},
    {"编辑闹钟(&A)...", 3063},   {nullptr, 0},                {"计算儒略日(&J)...", 3065}, {"计算间隔日(&I)...", 3066},
    {"计算干支历(&G)...", 3067}, {nullptr, 0},                {"公历农历回历互转(&C)...", 3068}, {nullptr, 0},
    {"计算农历月(&L)...", 3070}, {"计算节气日(&T)...", 3071}, {"计算塑望日(&N)...", 3072}, {nullptr, 0},
    {"计算太阳升降时刻(&S)...", 3073}, {nullptr, 0},          {"查询条件日(&D)...", 3076}, {"查询条件月(&M)...", 3075},
    {nullptr, 0},                {"创建橙鹿音乐快捷方式(&K)...", 3077}, {"创建橙鹿天气快捷方式(&W)...", 3078},
};

constexpr Item kOptions[] = {
    {"使用注册表(&U)", 3085},
    {"开机自动运行(&P)", 3086},
    {nullptr, 0},
    {"整点自动报时(&W)", 3087},
    {nullptr, 0},
    {"干支纪年以春节为起点(&F)", 3090},
    {"关闭背景音乐播放功能(&C)", 3091},
    {"按现代天文算法计算古历(&M)", 3092},
    {"近似定位纪念日(&N)", 3093},
    {nullptr, 0},
    {"橙鹿日历显示年号纪年(&D)", 3095},
    {nullptr, 0},
    {"橙鹿日历显示节日节气(&G)", 3096},
    {"橙鹿日历显示日出日落时刻(&R)", 3097},
    {"橙鹿日历显示天亮天黑时刻(&B)", 3098},
    {nullptr, 0},
    {"选择橙鹿日历背景图片(&S)...", 3100},
};

// Commands whose windows are not part of the program yet: shown, greyed.
constexpr int kNotYetAvailable[] = {3030, 3031, 3060, 3061, 3062, 3063, 3080};

template <size_t N>
HMENU BuildMenu(const Item (&items)[N]) {
    HMENU menu = CreatePopupMenu();
    for (const Item& item : items) {
        if (item.text == nullptr)
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.id), text::GbkToWide(item.text).c_str());
    }
    return menu;
}

void AppendSubmenu(HMENU menu, HMENU submenu, const char* text) {
    AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu), text::GbkToWide(text).c_str());
}

void AppendItem(HMENU menu, const char* text, int id) {
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(id), text::GbkToWide(text).c_str());
}

void Check(int id, bool on) { CheckMenuItem(g_menu, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); }

bool DayPageShown() { return TheApp().calendar_view == 0; }

UINT_PTR TransparencyTimer() { return DayPageShown() ? kDayTransparencyTimer : kMonthTransparencyTimer; }
UINT_PTR ChimeTimer() { return DayPageShown() ? kDayChimeTimer : kMonthChimeTimer; }

astro::DayNumber DisplayedDay(HWND window) {
    return DayPageShown() ? views::DayPageDay(window) : views::MonthPageDay(window);
}

// Windows that must stay above the calendar window when it stops being always on top.
void KeepOthersOnTop(HWND window) {
    if (DayPageShown()) {
        HWND tip = views::DayPageTooltip(window);
        if (tip) SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void SwitchView(HWND window, int view) {
    App& app = TheApp();
    if (app.calendar_view == view) return;
    const astro::DayNumber day = DisplayedDay(window);
    app.calendar_view = view;
    app.settings.calendar_show_type_flag = static_cast<std::int16_t>(view);
    app.window_placement = 'T';
    app.move_lock = false;
    app.transparency_level = 0;
    app.fade_step = 0;
    app.view_switching = true;  // the close below must neither save nor end the program
    SendMessageW(window, WM_CLOSE, 0, 0);
    if (view == 0)
        views::CreateDayPage(day);
    else
        views::CreateMonthPage(day);
}

void TogglePlacementTop(HWND window) {
    App& app = TheApp();
    switch (app.window_placement) {
        case 'T':
            if (SetTopmost(window, false)) {
                KeepOthersOnTop(window);
                app.window_placement = 'N';
            }
            break;
        case 'D':
            EmbedInDesktop(window, false);
            app.window_placement = SetTopmost(window, true) ? 'T' : 'N';
            break;
        default:
            if (SetTopmost(window, true)) app.window_placement = 'T';
            break;
    }
}

void TogglePlacementDesktop(HWND window) {
    App& app = TheApp();
    switch (app.window_placement) {
        case 'T':
            SetTopmost(window, false);
            KeepOthersOnTop(window);
            if (EmbedInDesktop(window, true))
                app.window_placement = 'D';
            else
                app.window_placement = SetTopmost(window, true) ? 'T' : 'N';
            break;
        case 'D':
            EmbedInDesktop(window, false);
            app.window_placement = 'N';
            break;
        default:
            if (EmbedInDesktop(window, true)) app.window_placement = 'D';
            break;
    }
}

// A shortcut "NAME.LNK" in the program's folder that starts the program with one switch.
bool CreateShortcut(const char* name, const wchar_t* arguments, const char* description) {
    const App& app = TheApp();
    const std::wstring target = text::GbkToWide(ProgramFullPath(app.program));
    const std::wstring folder = text::GbkToWide(app.program.folder);
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    path += text::GbkToWide(name) + L".LNK";
    const HRESULT init = CoInitialize(nullptr);
    bool ok = false;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        link->SetPath(target.c_str());
        link->SetArguments(arguments);
        link->SetWorkingDirectory(folder.c_str());
        link->SetDescription(text::GbkToWide(description).c_str());
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            ok = SUCCEEDED(file->Save(path.c_str(), TRUE));
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return ok;
}

void ChooseBackgroundPicture(HWND window) {
    App& app = TheApp();
    wchar_t file[MAX_PATH] = {};
    const std::wstring filter = text::GbkToWide("位图文件 (*.bmp)") + std::wstring(L"\0*.bmp\0", 7) +
                                text::GbkToWide("所有文件 (*.*)") + std::wstring(L"\0*.*\0\0", 7);
    const std::wstring title = text::GbkToWide("选择位图文件");
    const std::wstring folder = text::GbkToWide(app.picture_folder);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = window;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = folder.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&ofn)) return;
    const std::string path = text::WideToGbk(file);
    if (AcceptBitmapPath(path, BitmapLoads).empty() || !views::SetBackgroundPicture(window, path)) return;
    app.settings.dform_back_bitmap_name = path;
    app.picture_folder = SplitProgramPath(path).folder;
}

void ChangeSystemDate(HWND window) {
    App& app = TheApp();
    const astro::CalendarDate d = astro::DayNumberToDate(DisplayedDay(window));
    if (d.year < 1980 || d.year > 2099) return;  // the system clock's own range
    if (!ShowConfirmDialog(window, "是否修改系统日期？")) return;
    if (!app.clock->SetDate(d.year, d.month, d.day))
        MessageBoxW(window, text::GbkToWide("无法修改系统日期：需要管理员权限。").c_str(),
                    text::GbkToWide("警告").c_str(), MB_OK | MB_ICONWARNING);
}

void ToggleFlag(std::int16_t& flag) { flag = flag ? 0 : 1; }

}  // namespace

void BuildPopupMenu() {
    if (g_menu) return;
    g_menu = CreatePopupMenu();
    AppendItem(g_menu, "橙鹿日历(&D)", 3025);
    AppendItem(g_menu, "橙鹿月历(&M)", 3026);
    AppendMenuW(g_menu, MF_SEPARATOR, 0, nullptr);
    AppendItem(g_menu, "橙鹿音频(&A)...", 3030);
    AppendItem(g_menu, "查询天气(&W)...", 3031);
    AppendMenuW(g_menu, MF_SEPARATOR, 0, nullptr);
    AppendItem(g_menu, "最前显示(&T)", 3035);
    AppendItem(g_menu, "嵌入桌面(&I)", 3036);
    AppendMenuW(g_menu, MF_SEPARATOR, 0, nullptr);
    AppendItem(g_menu, "禁止移动(&N)", 3037);
    AppendMenuW(g_menu, MF_SEPARATOR, 0, nullptr);
    AppendSubmenu(g_menu, BuildMenu(kTransparency), "设置透明度(&P)");
    AppendMenuW(g_menu, MF_SEPARATOR, 0, nullptr);
    AppendItem(g_menu, "本地坐标(&L)...", 3055);
    AppendMenuW(g_menu, MF_SEPARATOR, 0, nullptr);
    AppendSubmenu(g_menu, BuildMenu(kTools), "实用工具(&U)");
    AppendMenuW(g_menu, MF_SEPARATOR, 0, nullptr);
    AppendItem(g_menu, "语音报时(&V)", 3080);
    AppendMenuW(g_menu, MF_SEPARATOR, 0, nullptr);
    AppendSubmenu(g_menu, BuildMenu(kOptions), "选项(&O)");
    AppendMenuW(g_menu, MF_SEPARATOR, 0, nullptr);
    AppendItem(g_menu, "转到系统日期(&G)", 3105);
    AppendItem(g_menu, "修改系统日期(&S)", 3106);
    AppendMenuW(g_menu, MF_SEPARATOR, 0, nullptr);
    AppendItem(g_menu, "帮助(&H)", 3110);
    AppendMenuW(g_menu, MF_SEPARATOR, 0, nullptr);
    AppendItem(g_menu, "退出(&X)", 3113);
    for (int id : kNotYetAvailable) EnableMenuItem(g_menu, static_cast<UINT>(id), MF_BYCOMMAND | MF_GRAYED);
}

HMENU PopupMenu() {
    BuildPopupMenu();
    return g_menu;
}

void UpdateMenuChecks() {
    BuildPopupMenu();
    const App& app = TheApp();
    const Settings& s = app.settings;
    Check(3025, app.calendar_view == 0);
    Check(3026, app.calendar_view == 1);
    Check(3035, app.window_placement == 'T');
    Check(3036, app.window_placement == 'D');
    Check(3037, app.move_lock);
    for (int level = 0; level <= kAutomaticTransparency; ++level) Check(3040 + level, app.transparency_level == level);
    Check(3085, s.use_registry != 0);
    Check(3086, s.start_with_windows != 0);
    Check(3087, s.whole_auto_report_time_flag != 0);
    Check(3090, s.gan_zhi_from_chunjie_flag != 0);
    Check(3091, s.close_back_audio_play_flag != 0);
    Check(3092, s.modern_calculate_ancient_flag != 0);
    Check(3093, s.near_locate_memorial_flag != 0);
    Check(3095, s.dform_show_dynasty_flag != 0);
    for (int type = 0; type <= 2; ++type) Check(3096 + type, s.dform_show_info_type_flag == type);
    // The background picture belongs to the day page.
    EnableMenuItem(g_menu, 3100, MF_BYCOMMAND | (app.calendar_view == 0 ? MF_ENABLED : MF_GRAYED));
}

void ShowPopupMenu(HWND window) {
    BuildPopupMenu();
    POINT cursor;
    GetCursorPos(&cursor);
    SetForegroundWindow(window);  // so that the menu closes when the user clicks elsewhere
    TrackPopupMenu(g_menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
    PostMessageW(window, WM_NULL, 0, 0);
}

void RefreshCalendarWindow() {
    HWND window = TheApp().calendar_window;
    if (!window) return;
    if (DayPageShown())
        views::RefreshDayPage(window);
    else
        views::RefreshMonthPage(window);
}

void DispatchCommand(HWND window, int id) {
    App& app = TheApp();
    Settings& s = app.settings;
    // While a modal window of the program is open the calendar window is disabled; a command from
    // the tray menu must not reach the calendar then (a search may be using it on another thread).
    if (!IsWindowEnabled(window)) return;
    switch (id) {
        case 3025: SwitchView(window, 0); break;
        case 3026: SwitchView(window, 1); break;
        case 3035: TogglePlacementTop(window); break;
        case 3036: TogglePlacementDesktop(window); break;
        case 3037: app.move_lock = !app.move_lock; break;
        case 3040: case 3041: case 3042: case 3043: case 3044:
        case 3045: case 3046: case 3047: case 3048: case 3049:
            app.transparency_level = id - 3040;
            SetTransparency(window, 25 * app.transparency_level);
            KillTimer(window, TransparencyTimer());
            break;
        case 3050:
            app.transparency_level = kAutomaticTransparency;
            app.fade_step = 0;
            SetTimer(window, TransparencyTimer(), 200, nullptr);
            break;
        case 3055:
            if (places::ShowLocalCoordinatesDialog(window) == IDOK) {
                if (!DayPageShown())
                    views::RefreshMonthPage(window);
                else if (s.dform_show_info_type_flag != 0)
                    views::RefreshInformationLine(window);
            }
            break;
        case 3065: case 3066: case 3067: case 3068: tools::ShowDateToolsWindow(window, id - 3064); break;
        case 3070: case 3071: case 3072: case 3073: tools::ShowYearlyTablesWindow(window, id - 3069); break;
        case 3076: tools::ShowQueryWindow(window, 1); break;
        case 3075: tools::ShowQueryWindow(window, 2); break;
        case 3077: CreateShortcut("橙鹿音乐", L"/A", "橙鹿音乐：Tempoline 的音乐播放器"); break;
        case 3078: CreateShortcut("橙鹿天气", L"/W", "橙鹿天气：Tempoline 的天气预报"); break;
        case 3085: ToggleFlag(s.use_registry); RefreshCalendarWindow(); break;
        case 3086: ToggleFlag(s.start_with_windows); break;
        case 3087:
            ToggleFlag(s.whole_auto_report_time_flag);
            if (s.whole_auto_report_time_flag)
                SetTimer(window, ChimeTimer(), 500, nullptr);
            else
                KillTimer(window, ChimeTimer());
            break;
        case 3090: ToggleFlag(s.gan_zhi_from_chunjie_flag); RefreshCalendarWindow(); break;
        case 3091: ToggleFlag(s.close_back_audio_play_flag); RefreshCalendarWindow(); break;
        case 3092:
            ToggleFlag(s.modern_calculate_ancient_flag);
            calendar::SetModernCalculateAncientFlag(s.modern_calculate_ancient_flag != 0);  // empties the year cache
            if (DayPageShown()) views::ShowDayOnPage(window, views::DayPageDay(window));
            RefreshCalendarWindow();
            break;
        case 3093: ToggleFlag(s.near_locate_memorial_flag); RefreshCalendarWindow(); break;
        case 3095:
            ToggleFlag(s.dform_show_dynasty_flag);
            if (DayPageShown())
                views::RefillLunarYears(window);
            else
                views::RefreshMonthPage(window);
            break;
        case 3096: case 3097: case 3098:
            if (s.dform_show_info_type_flag == id - 3096) break;
            s.dform_show_info_type_flag = static_cast<std::int16_t>(id - 3096);
            if (DayPageShown()) views::RefreshInformationLine(window);
            break;
        case 3100:
            if (DayPageShown()) ChooseBackgroundPicture(window);
            break;
        case 3105: {
            if (DayPageShown()) {
                const platform::LocalDateTime now = app.clock->Now();
                views::ShowDayOnPage(window, astro::DateToDayNumber(now.year, now.month, now.day));
            } else {
                views::MonthPageGoToToday(window);
            }
            break;
        }
        case 3106: ChangeSystemDate(window); break;
        case 3110: help::ShowHelpDialog(window); break;
        case 3113: PostMessageW(window, WM_CLOSE, 0, 0); break;
        default: break;  // the windows that are not part of the program yet
    }
}

}  // namespace shell
