// The popup menu of the calendar window and its commands. One table holds every item: its text, its
// submenu, what puts its check mark, and what it does. The table builds the menu, sets the check
// marks before each showing, and dispatches the commands.
#include <windows.h>

#include <span>
#include <string>

#include "calendar/lunar_year.h"
#include "help/help_window.h"
#include "personal/alarm_editor.h"
#include "personal/personal_days_editor.h"
#include "places/local_coordinates_dialog.h"
#include "shell/command_ids.h"
#include "shell/program_win32.h"
#include "text/wide.h"
#include "tools/date_tools_window.h"
#include "tools/query_window.h"
#include "tools/yearly_tables_window.h"
#include "win/confirm_dialog.h"
#include "win/services.h"
#include "win/shell_services.h"

namespace shell {

namespace {

using namespace command;

struct CommandRow {
    const char* text = nullptr;  // nullptr: a separator
    int id = 0;                  // 0 with a text: the submenu
    std::span<const CommandRow> submenu{};
    void (*run)(Program&, int id) = nullptr;  // nullptr: its window is not part of the program yet (greyed)
    bool (*checked)(const Program&, int id) = nullptr;
    bool (*available)(const Program&) = nullptr;  // greyed while this says no
};

// --- the views and the placement -------------------------------------------------------------------

views::CalendarView ViewOf(int id) { return id == kDayPage ? views::CalendarView::kDay : views::CalendarView::kMonth; }
void ShowView(Program& p, int id) { SwitchView(p, ViewOf(id)); }
bool ViewShown(const Program& p, int id) { return p.view == ViewOf(id); }

// Windows that must stay above the calendar window when it stops being always on top.
void KeepOthersOnTop(const Program& p) {
    HWND other = ShownPage(p) ? ShownPage(p)->KeptOnTop() : nullptr;
    if (other) SetWindowPos(other, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void ToggleOnTop(Program& p, int) {
    HWND window = p.calendar_window;
    switch (p.placement) {
        case Placement::kOnTop:
            if (win::SetTopmost(window, false)) {
                KeepOthersOnTop(p);
                p.placement = Placement::kNormal;
            }
            break;
        case Placement::kInDesktop:
            win::EmbedInDesktop(window, false);
            p.placement = win::SetTopmost(window, true) ? Placement::kOnTop : Placement::kNormal;
            break;
        case Placement::kNormal:
            if (win::SetTopmost(window, true)) p.placement = Placement::kOnTop;
            break;
    }
}

void ToggleInDesktop(Program& p, int) {
    HWND window = p.calendar_window;
    switch (p.placement) {
        case Placement::kOnTop:
            win::SetTopmost(window, false);
            KeepOthersOnTop(p);
            if (win::EmbedInDesktop(window, true))
                p.placement = Placement::kInDesktop;
            else
                p.placement = win::SetTopmost(window, true) ? Placement::kOnTop : Placement::kNormal;
            break;
        case Placement::kInDesktop:
            win::EmbedInDesktop(window, false);
            p.placement = Placement::kNormal;
            break;
        case Placement::kNormal:
            if (win::EmbedInDesktop(window, true)) p.placement = Placement::kInDesktop;
            break;
    }
}

bool PlacedAs(const Program& p, int id) {
    return p.placement == (id == kAlwaysOnTop ? Placement::kOnTop : Placement::kInDesktop);
}

void ToggleMoveLock(Program& p, int) { p.move_lock = !p.move_lock; }
bool MoveLocked(const Program& p, int) { return p.move_lock; }

void SetLevel(Program& p, int id) { SetTransparencyLevel(p, id == kTransparencyAuto ? kAutomaticTransparency : id - kTransparency0); }
bool LevelIs(const Program& p, int id) {
    return p.transparency_level == (id == kTransparencyAuto ? kAutomaticTransparency : id - kTransparency0);
}

// --- the windows ---------------------------------------------------------------------------------

void ChooseLocalPlace(Program& p, int) {
    if (places::ShowLocalCoordinatesDialog(p.calendar_window, p.settings.place) == IDOK) RefreshCalendarPage(p);
}

// The tools windows, modal to the calendar window, each in the mode of its menu item.
void OpenDateTools(Program& p, int id) {
    tools::RunToolWindow(tools::CreateDateToolsWindow(p.calendar_window, id - kJulianDay + 1, ToolContextOf(p)));
}
void OpenYearlyTable(Program& p, int id) {
    tools::RunToolWindow(tools::CreateYearlyTablesWindow(p.calendar_window, id - kLunarMonths + 1, ToolContextOf(p)));
}
void OpenQuery(Program& p, int id) {
    tools::RunToolWindow(tools::CreateQueryWindow(p.calendar_window, id == kConditionDays ? 1 : 2, ToolContextOf(p)));
}

// A shortcut "NAME.LNK" in the program's folder that starts the program with one switch.
bool CreateShortcut(const Program& p, const char* name, const wchar_t* arguments, const char* description) {
    const std::wstring target = text::GbkToWide(settings::ProgramFullPath(p.path));
    const std::wstring folder = text::GbkToWide(p.path.folder);
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    path += text::GbkToWide(name) + L".LNK";
    return win::WriteShortcut(path, target, arguments, folder, text::GbkToWide(description));
}

void MakeShortcut(Program& p, int id) {
    if (id == kMusicShortcut)
        CreateShortcut(p, "橙鹿音乐", L"/A", "橙鹿音乐：Tempoline 的音乐播放器");
    else
        CreateShortcut(p, "橙鹿天气", L"/W", "橙鹿天气：Tempoline 的天气预报");
}

void OpenMusic(Program& p, int) { OpenMusicPlayer(p, p.calendar_window); }

void OpenHelp(Program& p, int) {
    help::ShowHelpDialog(p.calendar_window, VersionSourceOf(p));
    RecheckKeptHolidays(p);
    RefreshCalendarPage(p);  // its check may have brought a newer holiday table
}

void UpdateHolidays(Program& p, int) {
    help::ShowHolidayUpdateWindow(p.calendar_window, HolidaySourceOf(p));
    RecheckKeptHolidays(p);
    RefreshCalendarPage(p);
}
void OpenWeatherCommand(Program& p, int) { OpenWeather(p, p.calendar_window); }
void OpenAlmanacCommand(Program& p, int) {
    OpenAlmanac(p, p.calendar_window, ShownPage(p) ? ShownPage(p)->Day() : Today(p));
}

// --- the personal days, the alarms, the spoken time ---------------------------------------------------

// The editor of memorial, reminder or countdown days; the page shows the days again afterwards.
void EditPersonalDays(Program& p, int id) {
    if (p.background) p.background->Close();
    const personal::EditorMode mode = id == kMemorialDays   ? personal::EditorMode::kMemorials
                                      : id == kReminderDays ? personal::EditorMode::kReminders
                                                            : personal::EditorMode::kCountdown;
    personal::ShowPersonalDaysEditor(
        p.calendar_window, personal::EditorContext{mode, p.registry, p.mci, p.settings.use_registry != 0});
    RefreshCalendarPage(p);
}

// The alarm editor; the alarm timer runs while at least one alarm is on.
void EditAlarms(Program& p, int) {
    if (personal::ShowAlarmEditor(p.calendar_window, p.settings.alarms) != IDOK) return;
    const personal::Alarms& a = p.settings.alarms;
    if (a[0].open_flag || a[1].open_flag || a[2].open_flag)
        SetTimer(p.calendar_window, p.page->alarm_timer, 500, nullptr);
    else
        KillTimer(p.calendar_window, p.page->alarm_timer);
}

void SpeakTime(Program& p, int) {
    if (p.time_signals) p.time_signals->RequestSpokenTime();
}

// --- the options ---------------------------------------------------------------------------------

// The setting an option item toggles (a const one for the check mark).
template <typename SettingsType>
auto& OptionFlag(SettingsType& s, int id) {
    switch (id) {
        case kUseRegistry: return s.use_registry;
        case kStartWithWindows: return s.start_with_windows;
        case kHourlyChime: return s.whole_auto_report_time_flag;
        case kGanZhiFromChunjie: return s.gan_zhi_from_chunjie_flag;
        case kNoBackgroundMusic: return s.close_back_audio_play_flag;
        case kModernAncient: return s.modern_calculate_ancient_flag;
        case kNearLocateMemorial: return s.near_locate_memorial_flag;
        default: return s.dform_show_dynasty_flag;  // kShowEraNames
    }
}

void ToggleOption(Program& p, int id) {
    std::int16_t& flag = OptionFlag(p.settings, id);
    flag = flag ? 0 : 1;
    switch (id) {
        case kStartWithWindows:
            return;  // takes effect when the settings are saved
        case kHourlyChime:
            if (flag)
                SetTimer(p.calendar_window, p.page->chime_timer, 500, nullptr);
            else
                KillTimer(p.calendar_window, p.page->chime_timer);
            return;
        case kModernAncient:
            calendar::SetModernCalculateAncientFlag(flag != 0);  // empties the year cache
            break;
        default:
            break;
    }
    RefreshCalendarPage(p);
}

bool OptionOn(const Program& p, int id) { return OptionFlag(p.settings, id) != 0; }

// On by default, so stored as its opposite (Settings::hide_holidays_flag).
void ToggleHolidays(Program& p, int) {
    p.settings.hide_holidays_flag = p.settings.hide_holidays_flag ? 0 : 1;
    RefreshCalendarPage(p);
}
bool HolidaysShown(const Program& p, int) { return p.settings.hide_holidays_flag == 0; }

void SetInfoType(Program& p, int id) {
    if (p.settings.dform_show_info_type_flag == id - kInfoFestivals) return;
    p.settings.dform_show_info_type_flag = static_cast<std::int16_t>(id - kInfoFestivals);
    RefreshCalendarPage(p);
}
bool InfoTypeIs(const Program& p, int id) { return p.settings.dform_show_info_type_flag == id - kInfoFestivals; }

bool HasBackgroundPicture(const Program& p) { return ShownPage(p) != nullptr && ShownPage(p)->HasBackgroundPicture(); }

void ChooseBackgroundPicture(Program& p, int) {
    wchar_t file[MAX_PATH] = {};
    const std::wstring filter = text::GbkToWide("位图文件 (*.bmp)") + std::wstring(L"\0*.bmp\0", 7) +
                                text::GbkToWide("所有文件 (*.*)") + std::wstring(L"\0*.*\0\0", 7);
    const std::wstring title = text::GbkToWide("选择位图文件");
    const std::wstring folder = text::GbkToWide(p.picture_folder);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = p.calendar_window;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = folder.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!win::ChooseFileToOpen(ofn)) return;
    const std::string path = text::WideToGbk(file);
    if (settings::AcceptBitmapPath(path, win::BitmapFileLoads).empty() || !ShownPage(p)->SetBackgroundPicture(path)) return;
    p.settings.dform_back_bitmap_name = path;
    p.picture_folder = settings::SplitProgramPath(path).folder;
}

// --- the date ------------------------------------------------------------------------------------

void GoToToday(Program& p, int) { ShownPage(p)->ShowDay(Today(p)); }

void ChangeSystemDate(Program& p, int) {
    HWND window = p.calendar_window;
    const astro::CalendarDate d = astro::DayNumberToDate(ShownPage(p)->Day());
    if (d.year < 1980 || d.year > 2099) return;  // the system clock's own range
    if (!win::AskConfirmation(window, "警告", "是否修改系统日期？")) return;
    if (!p.clock->SetDate(d.year, d.month, d.day))
        MessageBoxW(window, text::GbkToWide("无法修改系统日期：需要管理员权限。").c_str(),
                    text::GbkToWide("警告").c_str(), MB_OK | MB_ICONWARNING);
}

void Exit(Program& p, int) { PostMessageW(p.calendar_window, WM_CLOSE, 0, 0); }

// --- the menu ------------------------------------------------------------------------------------

constexpr CommandRow kSeparator{};

constexpr CommandRow kTransparencyMenu[] = {
    {"0%(&0)", kTransparency0, {}, SetLevel, LevelIs},       {"10%(&1)", kTransparency0 + 1, {}, SetLevel, LevelIs},
    {"20%(&2)", kTransparency0 + 2, {}, SetLevel, LevelIs},  {"30%(&3)", kTransparency0 + 3, {}, SetLevel, LevelIs},
    {"40%(&4)", kTransparency0 + 4, {}, SetLevel, LevelIs},  {"50%(&5)", kTransparency0 + 5, {}, SetLevel, LevelIs},
    {"60%(&6)", kTransparency0 + 6, {}, SetLevel, LevelIs},  {"70%(&7)", kTransparency0 + 7, {}, SetLevel, LevelIs},
    {"80%(&8)", kTransparency0 + 8, {}, SetLevel, LevelIs},  {"90%(&9)", kTransparency90, {}, SetLevel, LevelIs},
    kSeparator,
    {"自动(&A)", kTransparencyAuto, {}, SetLevel, LevelIs},
};

constexpr CommandRow kToolsMenu[] = {
    {"编辑纪念日(&E)...", kMemorialDays, {}, EditPersonalDays},
    {"编辑提醒日(&R)...", kReminderDays, {}, EditPersonalDays},
    {"编辑倒计日(&O)...", kCountdownDays, {}, EditPersonalDays},
    kSeparator,
    {"编辑闹钟(&A)...", kAlarms, {}, EditAlarms},
    kSeparator,
    {"计算儒略日(&J)...", kJulianDay, {}, OpenDateTools},
    {"计算间隔日(&I)...", kInterval, {}, OpenDateTools},
    {"计算干支历(&G)...", kGanZhi, {}, OpenDateTools},
    kSeparator,
    {"公历农历回历互转(&C)...", kConversion, {}, OpenDateTools},
    kSeparator,
    {"计算农历月(&L)...", kLunarMonths, {}, OpenYearlyTable},
    {"计算节气日(&T)...", kSolarTerms, {}, OpenYearlyTable},
    {"计算塑望日(&N)...", kMoons, {}, OpenYearlyTable},
    kSeparator,
    {"计算太阳升降时刻(&S)...", kSunTimes, {}, OpenYearlyTable},
    kSeparator,
    {"查询条件日(&D)...", kConditionDays, {}, OpenQuery},
    {"查询条件月(&M)...", kConditionMonths, {}, OpenQuery},
    kSeparator,
    {"创建橙鹿音乐快捷方式(&K)...", kMusicShortcut, {}, MakeShortcut},
    {"创建橙鹿天气快捷方式(&W)...", kWeatherShortcut, {}, MakeShortcut},
};

constexpr CommandRow kOptionsMenu[] = {
    {"使用注册表(&U)", kUseRegistry, {}, ToggleOption, OptionOn},
    {"开机自动运行(&P)", kStartWithWindows, {}, ToggleOption, OptionOn},
    kSeparator,
    {"整点自动报时(&W)", kHourlyChime, {}, ToggleOption, OptionOn},
    kSeparator,
    {"干支纪年以春节为起点(&F)", kGanZhiFromChunjie, {}, ToggleOption, OptionOn},
    {"关闭背景音乐播放功能(&C)", kNoBackgroundMusic, {}, ToggleOption, OptionOn},
    {"按现代天文算法计算古历(&M)", kModernAncient, {}, ToggleOption, OptionOn},
    {"近似定位纪念日(&N)", kNearLocateMemorial, {}, ToggleOption, OptionOn},
    kSeparator,
    {"显示节假日安排(&H)", kShowHolidays, {}, ToggleHolidays, HolidaysShown},
    {"更新节假日安排(&J)...", kUpdateHolidays, {}, UpdateHolidays},
    kSeparator,
    {"橙鹿日历显示年号纪年(&D)", kShowEraNames, {}, ToggleOption, OptionOn},
    kSeparator,
    {"橙鹿日历显示节日节气(&G)", kInfoFestivals, {}, SetInfoType, InfoTypeIs},
    {"橙鹿日历显示日出日落时刻(&R)", kInfoSunTimes, {}, SetInfoType, InfoTypeIs},
    {"橙鹿日历显示天亮天黑时刻(&B)", kInfoTwilight, {}, SetInfoType, InfoTypeIs},
    kSeparator,
    {"选择橙鹿日历背景图片(&S)...", kBackgroundPicture, {}, ChooseBackgroundPicture, nullptr, HasBackgroundPicture},
};

constexpr CommandRow kMainMenu[] = {
    {"橙鹿日历(&D)", kDayPage, {}, ShowView, ViewShown},
    {"橙鹿月历(&M)", kMonthPage, {}, ShowView, ViewShown},
    kSeparator,
    {"橙鹿音频(&A)...", kMusicPlayer, {}, OpenMusic},
    {"查询天气(&W)...", kWeather, {}, OpenWeatherCommand},
    {"黄历(&Y)...", kAlmanac, {}, OpenAlmanacCommand},
    kSeparator,
    {"最前显示(&T)", kAlwaysOnTop, {}, ToggleOnTop, PlacedAs},
    {"嵌入桌面(&I)", kEmbedInDesktop, {}, ToggleInDesktop, PlacedAs},
    kSeparator,
    {"禁止移动(&N)", kMoveLock, {}, ToggleMoveLock, MoveLocked},
    kSeparator,
    {"设置透明度(&P)", 0, kTransparencyMenu},
    kSeparator,
    {"本地坐标(&L)...", kLocalCoordinates, {}, ChooseLocalPlace},
    kSeparator,
    {"实用工具(&U)", 0, kToolsMenu},
    kSeparator,
    {"语音报时(&V)", kSpeakTime, {}, SpeakTime},
    kSeparator,
    {"选项(&O)", 0, kOptionsMenu},
    kSeparator,
    {"转到系统日期(&G)", kGoToToday, {}, GoToToday},
    {"修改系统日期(&S)", kChangeSystemDate, {}, ChangeSystemDate},
    kSeparator,
    {"帮助(&H)", kHelp, {}, OpenHelp},
    kSeparator,
    {"退出(&X)", kExit, {}, Exit},
};

HMENU BuildMenu(std::span<const CommandRow> rows) {
    HMENU menu = CreatePopupMenu();
    for (const CommandRow& row : rows) {
        if (row.text == nullptr) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        } else if (!row.submenu.empty()) {
            AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(BuildMenu(row.submenu)),
                        text::GbkToWide(row.text).c_str());
        } else {
            AppendMenuW(menu, MF_STRING | (row.run ? 0 : MF_GRAYED), static_cast<UINT_PTR>(row.id),
                        text::GbkToWide(row.text).c_str());
        }
    }
    return menu;
}

const CommandRow* Find(std::span<const CommandRow> rows, int id) {
    for (const CommandRow& row : rows) {
        if (row.text && row.id == id) return &row;
        if (const CommandRow* found = row.submenu.empty() ? nullptr : Find(row.submenu, id)) return found;
    }
    return nullptr;
}

void UpdateChecks(HMENU menu, std::span<const CommandRow> rows, const Program& p) {
    for (const CommandRow& row : rows) {
        if (!row.submenu.empty()) UpdateChecks(menu, row.submenu, p);
        if (row.text == nullptr || row.id == 0) continue;
        if (row.checked)
            CheckMenuItem(menu, static_cast<UINT>(row.id), MF_BYCOMMAND | (row.checked(p, row.id) ? MF_CHECKED : MF_UNCHECKED));
        if (row.available)
            EnableMenuItem(menu, static_cast<UINT>(row.id), MF_BYCOMMAND | (row.available(p) ? MF_ENABLED : MF_GRAYED));
    }
}

}  // namespace

void BuildPopupMenu(Program& program) {
    if (!program.menu) program.menu.reset(BuildMenu(kMainMenu));
}

void UpdateMenuChecks(Program& program) {
    BuildPopupMenu(program);
    UpdateChecks(program.menu.get(), kMainMenu, program);
}

void ShowPopupMenu(Program& program, HWND window) {
    POINT cursor;
    GetCursorPos(&cursor);
    ShowPopupMenuAt(program, window, cursor);
}

void ShowPopupMenuAt(Program& program, HWND window, POINT at) {
    BuildPopupMenu(program);
    SetForegroundWindow(window);  // so that the menu closes when the user clicks elsewhere
    TrackPopupMenu(program.menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
    PostMessageW(window, WM_NULL, 0, 0);
}

void RunCommand(Program& program, int id) {
    // While a modal window of the program is open the calendar window is disabled; a command from
    // the tray menu must not change the calendar or its settings behind that window's back.
    if (program.calendar_window == nullptr || !IsWindowEnabled(program.calendar_window)) return;
    const CommandRow* row = Find(kMainMenu, id);
    if (row == nullptr || row->run == nullptr || (row->available && !row->available(program))) return;
    row->run(program, id);
}

}  // namespace shell
