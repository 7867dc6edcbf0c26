#include "shell/app_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>

#include "calendar/lunar_year.h"
#include "shell/command_line.h"
#include "text/wide.h"
#include "tools/date_tools_window.h"
#include "tools/query_window.h"
#include "tools/yearly_tables_window.h"
#include "views/day_page_window.h"
#include "views/month_page_window.h"

namespace shell {

namespace {

struct CalendarTimers {
    UINT_PTR chime;
    UINT_PTR transparency;
    UINT_PTR alarm;
};

CalendarTimers TimersOf(bool day_page) {
    return day_page ? CalendarTimers{kDayChimeTimer, kDayTransparencyTimer, kDayAlarmTimer}
                    : CalendarTimers{kMonthChimeTimer, kMonthTransparencyTimer, kMonthAlarmTimer};
}

void AddTrayIcon(HWND window, DWORD action) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = window;
    nid.uID = 0;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = kTrayMessage;
    nid.hIcon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), L"FORM_APPICON", IMAGE_ICON, 32, 32, LR_SHARED));
    lstrcpynW(nid.szTip, text::GbkToWide("橙鹿日历").c_str(), 64);
    Shell_NotifyIconW(action, &nid);
}

void RemoveTrayIcon(HWND window) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = window;
    nid.uID = 0;
    Shell_NotifyIconW(NIM_DELETE, &nid);
}

void BringToFront(HWND window) {
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
}

// The alarm due at this minute of the day: A, B, C in turn, the first that is on and set to it.
int DueAlarm(const Settings& settings, int minute_of_day) {
    for (int i = 0; i < 3; ++i)
        if (settings.alarms[i].open_flag && settings.alarms[i].time_minutes == minute_of_day) return i;
    return -1;
}

bool IsWindowOrChild(HWND window, HWND other) { return other == window || IsChild(window, other); }

}  // namespace

App& TheApp() {
    static App app;
    return app;
}

bool RegisterProgramClass(const wchar_t* name, WNDPROC procedure, HBRUSH background, UINT style) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, name, &existing)) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = static_cast<HICON>(LoadImageW(instance, L"FORM_APPICON", IMAGE_ICON, 32, 32, LR_SHARED));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, L"FORM_APPICON", IMAGE_ICON, 16, 16, LR_SHARED));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

void RunModal(HWND window, HWND owner) {
    if (!window) return;
    if (owner) EnableWindow(owner, FALSE);
    MSG msg;
    while (IsWindow(window)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: the window goes, and the quit is left for the main loop.
            DestroyWindow(window);
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (IsDialogMessageW(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (owner) {
        EnableWindow(owner, TRUE);
        SetForegroundWindow(owner);
    }
}

ScreenSize ScreenPixels() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

bool BitmapLoads(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(text::GbkToWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    HANDLE bitmap = LoadImageW(nullptr, text::GbkToWide(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    if (bitmap == nullptr) return false;
    DeleteObject(bitmap);
    return true;
}

bool IsAlreadyRunning(const wchar_t* name) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
    if (mutex == nullptr) return true;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return true;
    }
    return false;  // kept for the life of the process
}

bool SetTopmost(HWND window, bool on) {
    return SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                        SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED) != FALSE;
}

bool EmbedInDesktop(HWND window, bool on) {
    if (!on) {
        SetParent(window, nullptr);
        return true;
    }
    HWND manager = FindWindowW(L"Progman", L"Program Manager");
    HWND view = manager ? FindWindowExW(manager, nullptr, L"SHELLDLL_DefView", nullptr) : nullptr;
    HWND list = view ? FindWindowExW(view, nullptr, L"SysListView32", nullptr) : nullptr;
    if (list == nullptr) return false;
    return SetParent(window, list) != nullptr;
}

void SetTransparency(HWND window, int t) {
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
    SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
    const int alpha = 255 - std::clamp(t, 0, 255);
    SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
}

void InitCalendarWindow(HWND window, bool day_page) {
    App& app = TheApp();
    app.calendar_window = window;
    if (app.window_placement == 'T' && !SetTopmost(window, true)) app.window_placement = 'N';
    if (app.window_placement == 'D' && !EmbedInDesktop(window, true)) app.window_placement = 'N';
    if (day_page) {
        AddTrayIcon(window, NIM_ADD);
        DragAcceptFiles(window, TRUE);
    }
    RegisterHotKey(window, kHotkeyShow, MOD_CONTROL | MOD_ALT, 'R');
    RegisterHotKey(window, kHotkeyMusic, MOD_CONTROL | MOD_ALT, 'A');
    RegisterHotKey(window, kHotkeyWeather, MOD_CONTROL | MOD_ALT, 'W');
    RegisterHotKey(window, kHotkeySpeak, MOD_CONTROL | MOD_ALT, 'V');
    RegisterHotKey(window, kHotkeyExit, MOD_CONTROL | MOD_ALT, 'X');
    const CalendarTimers timers = TimersOf(day_page);
    if (app.settings.whole_auto_report_time_flag) SetTimer(window, timers.chime, 500, nullptr);
    if (app.settings.alarms[0].open_flag || app.settings.alarms[1].open_flag || app.settings.alarms[2].open_flag)
        SetTimer(window, timers.alarm, 500, nullptr);
    if (app.transparency_level == kAutomaticTransparency) SetTimer(window, timers.transparency, 200, nullptr);
    app.view_switching = false;
}

void StartDrag(HWND window) {
    if (TheApp().move_lock) return;
    ReleaseCapture();
    SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

bool HandleCalendarMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam, bool day_page, LRESULT& result) {
    App& app = TheApp();
    const CalendarTimers timers = TimersOf(day_page);
    result = 0;
    switch (message) {
        case WM_TIMER:
            if (wparam == timers.alarm) {
                const platform::LocalDateTime now = app.clock->Now();
                const int minute = 60 * now.hour + now.minute;
                // The timer fires twice a second; the alarm sounds through its whole minute.
                if (DueAlarm(app.settings, minute) >= 0) MessageBeep(MB_ICONASTERISK);
                app.last_alarm_minute = minute;
                return true;
            }
            if (wparam == timers.transparency) {
                if (GetCapture() != nullptr) return true;  // a drag or a menu is in progress
                if (app.fade_step <= 14) {
                    ++app.fade_step;
                    POINT cursor;
                    GetCursorPos(&cursor);
                    if (!IsWindowOrChild(window, WindowFromPoint(cursor))) SetTransparency(window, 15 * app.fade_step);
                }
                return true;
            }
            if (wparam == timers.chime) return true;  // the hourly chime sounds with the spoken time
            return false;
        case WM_MOUSEMOVE: {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
            TrackMouseEvent(&track);
            if (app.transparency_level == kAutomaticTransparency) {
                SetTransparency(window, 0);
                app.fade_step = 0;
            }
            return false;
        }
        case WM_WINDOWPOSCHANGING: {
            // Keep the whole window on the screen.
            auto* pos = reinterpret_cast<WINDOWPOS*>(lparam);
            if (!(pos->flags & SWP_NOMOVE) && GetParent(window) == nullptr) {
                RECT r;
                GetWindowRect(window, &r);
                const int width = (pos->flags & SWP_NOSIZE) ? r.right - r.left : pos->cx;
                const int height = (pos->flags & SWP_NOSIZE) ? r.bottom - r.top : pos->cy;
                const ScreenSize screen = ScreenPixels();
                pos->x = std::max(0, std::min(pos->x, screen.width - width));
                pos->y = std::max(0, std::min(pos->y, screen.height - height));
            }
            app.fade_step = 0;
            if (app.transparency_level == kAutomaticTransparency) SetTimer(window, timers.transparency, 200, nullptr);
            return false;
        }
        case WM_HOTKEY:
            switch (static_cast<int>(wparam)) {
                case kHotkeyShow: BringToFront(window); break;
                case kHotkeyExit: PostMessageW(window, WM_CLOSE, 0, 0); break;
                default: break;  // the music player, the weather viewer and the spoken time
            }
            return true;
        case kTrayMessage:
            if (!IsWindowEnabled(window)) return true;
            if (lparam == WM_LBUTTONDOWN) BringToFront(window);
            if (lparam == WM_RBUTTONDOWN) UpdateMenuChecks();
            if (lparam == WM_RBUTTONUP) {
                BringToFront(window);
                ShowPopupMenu(window);
            }
            return true;
        case WM_RBUTTONDOWN:
            UpdateMenuChecks();
            return true;
        case WM_RBUTTONUP:
            ShowPopupMenu(window);
            return true;
        case WM_COMMAND:
            if (lparam == 0 && HIWORD(wparam) == 0 && LOWORD(wparam) >= 3025 && LOWORD(wparam) <= 3113) {
                DispatchCommand(window, LOWORD(wparam));
                return true;
            }
            return false;
        default:
            return false;
    }
}

void CloseCalendarWindow(HWND window, bool day_page) {
    App& app = TheApp();
    if (day_page) RemoveTrayIcon(window);
    for (int id = kHotkeyShow; id <= kHotkeyExit; ++id) UnregisterHotKey(window, id);
    RECT r;
    GetWindowRect(window, &r);
    app.settings.form_center_x = (r.left + r.right) / 2;
    app.settings.form_center_y = (r.top + r.bottom) / 2;
    if (!app.view_switching) SaveSettings(*app.registry, app.settings, app.program, false);
}

int RunProgram(const std::string& command_line) {
    if (IsAlreadyRunning(kInstanceMutex)) return 0;

    INITCOMMONCONTROLSEX controls{sizeof controls, 0x7FFF};  // every class, ICC_LISTVIEW_CLASSES .. 0x4000
    InitCommonControlsEx(&controls);
    InitCommonControls();

    App& app = TheApp();
    std::unique_ptr<platform::Registry> registry = platform::MakeSystemRegistry();
    std::unique_ptr<platform::Clock> clock = platform::MakeSystemClock();
    app.registry = registry.get();
    app.clock = clock.get();

    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    app.program = SplitProgramPath(text::WideToGbk(module));

    app.settings = LoadSettings(*app.registry, app.program, ScreenPixels(), BitmapLoads);
    calendar::SetModernCalculateAncientFlag(app.settings.modern_calculate_ancient_flag != 0);
    app.calendar_view = app.settings.calendar_show_type_flag;
    app.transparency_level = 0;
    app.window_placement = 'T';
    app.move_lock = false;
    app.picture_folder = app.program.folder;
    if (!app.settings.dform_back_bitmap_name.empty())
        app.picture_folder = SplitProgramPath(app.settings.dform_back_bitmap_name).folder;

    const platform::LocalDateTime today = app.clock->Now();
    app.displayed_day = astro::DateToDayNumber(today.year, today.month, today.day);

    const StartOptions options = ParseCommandLine(ArgumentsOf(command_line));
    switch (options.action) {
        case StartAction::kCalendar:
            break;
        case StartAction::kUnregister:
            RemoveAllSettings(*app.registry);
            return 0;
        // A tool opens as the only window; the program ends when it closes.
        case StartAction::kJulianDay: tools::ShowDateToolsWindow(nullptr, 1); return 0;
        case StartAction::kInterval: tools::ShowDateToolsWindow(nullptr, 2); return 0;
        case StartAction::kGanZhi: tools::ShowDateToolsWindow(nullptr, 3); return 0;
        case StartAction::kConversion: tools::ShowDateToolsWindow(nullptr, 4); return 0;
        case StartAction::kLunarMonths: tools::ShowYearlyTablesWindow(nullptr, 1); return 0;
        case StartAction::kSolarTerms: tools::ShowYearlyTablesWindow(nullptr, 2); return 0;
        case StartAction::kMoons: tools::ShowYearlyTablesWindow(nullptr, 3); return 0;
        case StartAction::kSunTimes: tools::ShowYearlyTablesWindow(nullptr, 4); return 0;
        case StartAction::kConditionDays: tools::ShowQueryWindow(nullptr, 1); return 0;
        case StartAction::kConditionMonths: tools::ShowQueryWindow(nullptr, 2); return 0;
        default:
            // The music player and the weather viewer come later; their switches end quietly.
            return 0;
    }
    if (options.view >= 0) app.calendar_view = options.view;
    app.settings.calendar_show_type_flag = static_cast<std::int16_t>(app.calendar_view);

    BuildPopupMenu();
    HWND window = app.calendar_view == 1 ? views::CreateMonthPage(app.displayed_day) : views::CreateDayPage(app.displayed_day);
    if (window == nullptr) return 0;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (app.calendar_window && IsDialogMessageW(app.calendar_window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    app.registry = nullptr;
    app.clock = nullptr;
    return 0;
}

}  // namespace shell
