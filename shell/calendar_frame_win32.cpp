// The calendar frame: what the calendar window does for the whole program rather than for its
// page. It is installed on whichever page shows (a subclass of the page's window) and sees every
// message before the page does: the tray icon, the hotkeys, the timers of the alarms, the chime and
// the automatic transparency, dragging, staying on the screen, the popup menu and its commands, a
// dropped background picture, putting the page away, and the orderly close.
#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/command_ids.h"
#include "shell/program_win32.h"
#include "text/wide.h"
#include "win/services.h"
#include "win/shell_services.h"
#include "win/startup_trace.h"

namespace shell {

namespace {

constexpr UINT_PTR kFrameSubclassId = 1;
// Posted by InstallCalendarFrame: handled once the page has been shown and painted.
constexpr UINT kAfterFirstPaintMessage = WM_APP + 0x48;

// What the frame of one calendar window knows: the program, and the page it is installed on.
struct CalendarFrame {
    Program* program;
    const views::CalendarPage* page;
};

void AddTrayIcon(HWND window) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = window;
    nid.uID = 0;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = kTrayMessage;
    nid.hIcon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), L"FORM_APPICON", IMAGE_ICON, 32, 32, LR_SHARED));
    lstrcpynW(nid.szTip, text::GbkToWide("橙鹿日历").c_str(), 64);
    win::NotifyIcon(NIM_ADD, nid);
}

void RemoveTrayIcon(HWND window) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = window;
    nid.uID = 0;
    win::NotifyIcon(NIM_DELETE, nid);
}

void BringToFront(HWND window) {
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
}

// Whether a window belongs to the page: the page, its controls, and the windows it owns (its
// tooltip, the list a drop-down list drops).
bool OnPage(HWND page, HWND other) {
    for (HWND h = other; h != nullptr; h = GetParent(h))
        if (h == page) return true;
    return false;
}

// Automatic transparency: opaque while the pointer is on the page, anywhere on it; once it has
// left, 15 steps of 200 ms fade the page to alpha 30, and the timer stops until the pointer is
// back.
void PointerOnPage(Program& program, const views::CalendarPage& page, HWND window) {
    if (program.transparency_level != kAutomaticTransparency) return;
    if (win::Alpha(window) != 255) win::SetTransparency(window, 0);
    program.fade_step = 0;
    SetTimer(window, page.transparency_timer, 200, nullptr);
}

void FadeStep(Program& program, const views::CalendarPage& page, HWND window) {
    if (GetCapture() != nullptr) return;  // a drag or a menu is in progress
    POINT cursor;
    GetCursorPos(&cursor);
    if (OnPage(window, WindowFromPoint(cursor))) {
        if (program.fade_step != 0) win::SetTransparency(window, 0);
        program.fade_step = 0;
        return;
    }
    if (program.fade_step < kFadeSteps) win::SetTransparency(window, 15 * ++program.fade_step);
    if (program.fade_step >= kFadeSteps) KillTimer(window, page.transparency_timer);
}

void OnTimer(Program& program, const views::CalendarPage& page, HWND window, UINT_PTR timer) {
    if (timer == page.transparency_timer) FadeStep(program, page, window);
    if (!program.time_signals) return;
    if (timer == page.alarm_timer) program.time_signals->AlarmTick(program.settings.alarms);
    if (timer == page.chime_timer) program.time_signals->HourlyChimeTick();
}

// Keep the whole window on the screen (not while it is embedded in the desktop).
void KeepOnScreen(HWND window, WINDOWPOS& pos) {
    if ((pos.flags & SWP_NOMOVE) || GetParent(window) != nullptr) return;
    RECT r;
    GetWindowRect(window, &r);
    const int width = (pos.flags & SWP_NOSIZE) ? r.right - r.left : pos.cx;
    const int height = (pos.flags & SWP_NOSIZE) ? r.bottom - r.top : pos.cy;
    const RECT kept = win::KeptOnScreen({pos.x, pos.y, pos.x + width, pos.y + height});
    pos.x = kept.left;
    pos.y = kept.top;
}

// Escape: hidden where the page can come back (the tray icon; Ctrl+Alt+R while the hotkey is the
// page's own: another program may hold it), minimised to its task-bar button otherwise.
void PutAway(const views::CalendarPage& page, HWND window) {
    bool can_come_back = page.has_tray_icon;
    if (!can_come_back && UnregisterHotKey(window, kHotkeyShow))
        can_come_back = RegisterHotKey(window, kHotkeyShow, MOD_CONTROL | MOD_ALT, 'R') != FALSE;
    ShowWindow(window, can_come_back ? SW_HIDE : SW_MINIMIZE);
}

// A file dropped on the page that names a bitmap becomes its background.
void OnDropFiles(Program& program, HWND window, HDROP drop) {
    const std::vector<std::wstring> files = win::TakeDroppedFiles(drop);
    views::PageWindow* page = views::PageWindowOf(window);
    if (page && page->HasBackgroundPicture() && !files.empty()) {
        const std::string gbk = text::WideToGbk(files.front());
        if (!settings::AcceptBitmapPath(gbk, win::BitmapFileLoads).empty() && page->SetBackgroundPicture(gbk))
            program.settings.dform_back_bitmap_name = gbk;
    }
}

// What the page needs only once it is there: its tray icon, dropped files, the hotkeys. Done after
// the first paint, so that the page shows without waiting for the shell (which is busy at log-on,
// when the calendar starts with Windows) and without loading it first.
void AfterFirstPaint(const views::CalendarPage& page, HWND window) {
    if (page.has_tray_icon) {
        AddTrayIcon(window);
        win::AcceptDroppedFiles(window);
    }
    const char keys[] = {'R', 'A', 'W', 'V', 'X', 'H'};  // kHotkeyShow .. kHotkeyAlmanac
    for (int i = 0; i < 6; ++i) RegisterHotKey(window, kHotkeyShow + i, MOD_CONTROL | MOD_ALT, keys[i]);
    TEMPO_STARTUP_MARK("after the paint: tray icon, dropped files, hotkeys");
}

void OnTray(Program& program, HWND window, LPARAM event) {
    if (!IsWindowEnabled(window)) return;  // a modal window of the program is open
    if (event == WM_LBUTTONDOWN) BringToFront(window);
    if (event == WM_RBUTTONDOWN) UpdateMenuChecks(program);
    if (event == WM_RBUTTONUP) {
        BringToFront(window);
        ShowPopupMenu(program, window);
    }
}

// The close: the background sound stopped, the centre kept, the settings saved unless the window only
// makes way for the other page.
void OnClose(Program& program, HWND window) {
    if (program.background) program.background->Close();
    RECT r;
    GetWindowRect(window, &r);
    program.settings.form_center_x = (r.left + r.right) / 2;
    program.settings.form_center_y = (r.top + r.bottom) / 2;
    if (!program.view_switching) settings::SaveSettings(*program.registry, program.settings, program.path, false);
    DestroyWindow(window);
}

void OnDestroy(const CalendarFrame& frame, HWND window) {
    if (frame.page->has_tray_icon) RemoveTrayIcon(window);
    for (int id = kHotkeyShow; id <= kHotkeyAlmanac; ++id) UnregisterHotKey(window, id);
}

bool IsMenuCommand(WPARAM wparam, LPARAM lparam) {
    return lparam == 0 && HIWORD(wparam) == 0 && LOWORD(wparam) >= command::kFirst && LOWORD(wparam) <= command::kLast;
}

// The pointer and moving the page: a message handled only here gives a result.
std::optional<LRESULT> OnPointerOrMove(Program& program, const views::CalendarPage& page, HWND window, UINT message,
                                       WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_MOUSEMOVE: {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
            TrackMouseEvent(&track);
            PointerOnPage(program, page, window);
            return std::nullopt;
        }
        case WM_SETCURSOR:  // the pointer moves over the page or any of its controls
            PointerOnPage(program, page, window);
            return std::nullopt;
        case WM_LBUTTONDOWN:
            if (!page.moved_by_body) return std::nullopt;
            if (!program.move_lock) win::StartDrag(window);
            return 0;
        case WM_NCLBUTTONDOWN:  // moved by its caption, unless it is locked in place
            if (wparam != HTCAPTION || !program.move_lock) return std::nullopt;
            SetForegroundWindow(window);
            return 0;
        case WM_SYSCOMMAND:  // nor from the keyboard
            if ((wparam & 0xFFF0) == SC_MOVE && program.move_lock) return 0;
            return std::nullopt;
        case WM_WINDOWPOSCHANGING:
            KeepOnScreen(window, *reinterpret_cast<WINDOWPOS*>(lparam));
            program.fade_step = 0;
            if (program.transparency_level == kAutomaticTransparency) SetTimer(window, page.transparency_timer, 200, nullptr);
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

// What the user asks of the program through the page: hotkeys, the tray icon, the popup menu and
// its commands, a dropped picture, putting the page away.
std::optional<LRESULT> OnRequest(Program& program, const views::CalendarPage& page, HWND window, UINT message,
                                 WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_HOTKEY:
            if (wparam == kHotkeyShow) BringToFront(window);
            if (wparam == kHotkeyMusic) OpenMusicPlayer(program, window);
            if (wparam == kHotkeyWeather) OpenWeather(program, window);
            if (wparam == kHotkeySpeak && program.time_signals) program.time_signals->RequestSpokenTime();
            if (wparam == kHotkeyExit) PostMessageW(window, WM_CLOSE, 0, 0);
            if (wparam == kHotkeyAlmanac) OpenAlmanac(program, window, ShownPage(program) ? ShownPage(program)->Day() : Today(program));
            return 0;
        case kTrayMessage: OnTray(program, window, lparam); return 0;
        case WM_RBUTTONDOWN: UpdateMenuChecks(program); return 0;
        case WM_RBUTTONUP: ShowPopupMenu(program, window); return 0;
        case WM_CONTEXTMENU: {  // from the keyboard (the Menu key, Shift+F10: no point), or a control
            POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
            if (GET_X_LPARAM(lparam) == -1 && GET_Y_LPARAM(lparam) == -1) {
                const views::PageWindow* shown = views::PageWindowOf(window);
                at = shown ? shown->MenuPoint() : POINT{0, 0};
            }
            UpdateMenuChecks(program);
            ShowPopupMenuAt(program, window, at);
            return 0;
        }
        case WM_COMMAND:
            if (!IsMenuCommand(wparam, lparam)) return std::nullopt;
            RunCommand(program, LOWORD(wparam));
            return 0;
        case WM_DROPFILES: OnDropFiles(program, window, reinterpret_cast<HDROP>(wparam)); return 0;
        case views::kPutAwayMessage: PutAway(page, window); return 0;
        default: return std::nullopt;
    }
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
    auto* frame = reinterpret_cast<CalendarFrame*>(data);
    Program& program = *frame->program;
    const views::CalendarPage& page = *frame->page;
    if (const auto result = OnPointerOrMove(program, page, window, message, wparam, lparam)) return *result;
    if (const auto result = OnRequest(program, page, window, message, wparam, lparam)) return *result;
    switch (message) {
        case kAfterFirstPaintMessage:
            AfterFirstPaint(page, window);
            return 0;
        case WM_TIMER:
            if (wparam != page.alarm_timer && wparam != page.transparency_timer && wparam != page.chime_timer) break;
            OnTimer(program, page, window, wparam);
            return 0;
        case WM_CLOSE:
            OnClose(program, window);
            return 0;
        case WM_DESTROY:
            OnDestroy(*frame, window);
            break;
        case WM_NCDESTROY: {
            RemoveWindowSubclass(window, FrameProc, kFrameSubclassId);
            const std::unique_ptr<CalendarFrame> owned(frame);
            if (program.calendar_window == window) program.calendar_window = nullptr;
            // Closed to make way for the other page: the program goes on.
            if (!program.view_switching) PostQuitMessage(0);
            break;
        }
        default:
            break;
    }
    return DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace

void InstallCalendarFrame(Program& program, HWND window) {
    auto frame = std::make_unique<CalendarFrame>(CalendarFrame{&program, program.page});
    if (!SetWindowSubclass(window, FrameProc, kFrameSubclassId, reinterpret_cast<DWORD_PTR>(frame.get()))) return;
    static_cast<void>(frame.release());  // freed at WM_NCDESTROY
    const views::CalendarPage& page = *program.page;
    // The page is shown and painted before the program takes another posted message.
    PostMessageW(window, kAfterFirstPaintMessage, 0, 0);
    const settings::Settings& s = program.settings;
    if (s.whole_auto_report_time_flag) SetTimer(window, page.chime_timer, 500, nullptr);
    if (s.alarms[0].open_flag || s.alarms[1].open_flag || s.alarms[2].open_flag) SetTimer(window, page.alarm_timer, 500, nullptr);
    if (program.transparency_level == kAutomaticTransparency) SetTimer(window, page.transparency_timer, 200, nullptr);
}

void ApplyPlacement(Program& program, HWND window) {
    if (program.placement == Placement::kOnTop && !win::SetTopmost(window, true)) program.placement = Placement::kNormal;
    if (program.placement == Placement::kInDesktop && !win::EmbedInDesktop(window, true))
        program.placement = Placement::kNormal;
}

void SetTransparencyLevel(Program& program, int level) {
    HWND window = program.calendar_window;
    program.transparency_level = level;
    program.fade_step = 0;
    if (level == kAutomaticTransparency) {
        SetTimer(window, program.page->transparency_timer, 200, nullptr);
    } else {
        win::SetTransparency(window, 25 * level);
        KillTimer(window, program.page->transparency_timer);
    }
}

}  // namespace shell
