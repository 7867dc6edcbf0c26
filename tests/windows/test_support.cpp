#include "tests/windows/test_support.h"

#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#include "almanac/almanac_window.h"
#include "calendar/lunar_year.h"
#include "help/help_window.h"
#include "help/holiday_update_window.h"
#include "music/player_window.h"
#include "personal/alarm_editor.h"
#include "personal/personal_days_editor.h"
#include "places/local_coordinates_dialog.h"
#include "platform/network.h"
#include "text/wide.h"
#include "tools/date_tools_window.h"
#include "tools/query_window.h"
#include "tools/yearly_tables_window.h"
#include "views/day_page_window.h"
#include "views/month_page_window.h"
#include "weather/weather_window.h"
#include "win/confirm_dialog.h"
#include "win/controls.h"

namespace test {

namespace {

int g_quits = 0;

std::vector<std::function<void()>> g_steps;
size_t g_next_step = 0;
int g_running_steps = 0;     // steps under way (a step may pump or open a modal window itself)
DWORD g_last_activity = 0;   // when the last step began or ended
bool g_gave_up = false;

// The modal windows of this thread: shown and enabled over an owner that is disabled.
BOOL CALLBACK FindModal(HWND window, LPARAM found) {
    HWND owner = GetWindow(window, GW_OWNER);
    if (IsWindowVisible(window) && IsWindowEnabled(window) && owner && !IsWindowEnabled(owner))
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

void CALLBACK RunStep(HWND, UINT, UINT_PTR timer, DWORD) {
    if (g_next_step >= g_steps.size()) {
        // The steps are done and a modal loop still runs (a window nobody closes, a step that
        // failed before its close): it is told as a failure and closed, so the test ends in
        // seconds instead of at CTest's limit. A step still under way (waiting for a worker, say)
        // gets longer.
        const DWORD deadline = g_running_steps > 0 ? kModalDeadlineMs * 3 : kModalDeadlineMs;
        if (GetTickCount() - g_last_activity < deadline) return;
        std::vector<HWND> modal;
        EnumThreadWindows(GetCurrentThreadId(), FindModal, reinterpret_cast<LPARAM>(&modal));
        if (modal.empty()) return;
        if (!g_gave_up) {
            g_gave_up = true;
            ADD_FAILURE() << "a modal window was still open " << deadline / 1000 << " s after the test's last step";
        }
        for (HWND window : modal) PostMessageW(window, WM_CLOSE, 0, 0);
        if (GetTickCount() - g_last_activity > deadline + 5000) {
            KillTimer(nullptr, timer);
            std::fflush(stdout);
            std::_Exit(1);  // it would not close: the test program ends rather than hang
        }
        return;
    }
    ++g_running_steps;
    g_last_activity = GetTickCount();
    g_steps[g_next_step++]();
    --g_running_steps;
    g_last_activity = GetTickCount();
}

}  // namespace

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ++g_quits;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > milliseconds) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Pump();
    }
    return true;
}

int TakeQuits() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) ++g_quits;
    const int quits = g_quits;
    g_quits = 0;
    return quits;
}

std::string WebHost() {
    const char* host = std::getenv("TEMPO_WEB_HOST");
    return host != nullptr ? host : "";
}

std::string Text(HWND control) { return win::Text(control); }
std::string Text(HWND window, int id) { return win::Text(GetDlgItem(window, id)); }
void SetText(HWND window, int id, const std::string& gbk) { win::SetText(GetDlgItem(window, id), gbk); }

std::string Selected(HWND combo) {
    const LRESULT i = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (i < 0) return {};
    std::wstring item(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
    item.resize(item.size() - 1);
    return text::WideToGbk(item);
}

void Click(HWND window, int id) {
    SendMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0);
    Pump();
}

bool IsChecked(HWND window, int id) { return win::Checked(GetDlgItem(window, id)); }

void Choose(HWND combo, int index) {
    // The list drops down first (its owner hears of it), as it does for the user's choice.
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_DROPDOWN),
                 reinterpret_cast<LPARAM>(combo));
    SendMessageW(combo, CB_SETCURSEL, index, 0);
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    Pump();
}

void Choose(HWND window, int id, int index) { Choose(GetDlgItem(window, id), index); }

void Type(HWND window, int id, const std::string& keys) {
    HWND box = GetDlgItem(window, id);
    for (char c : keys) SendMessageW(box, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1);
    Pump();
}

RECT RectInParent(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

Ink InkIn(HWND window, const RECT& box, COLORREF ground, COLORREF colour) {
    Ink ink;
    UpdateWindow(window);
    // Only what lies on the screen can be read off it.
    POINT origin{box.left, box.top};
    ClientToScreen(window, &origin);
    const int right = std::min<int>(origin.x + box.right - box.left, GetSystemMetrics(SM_CXSCREEN));
    const int bottom = std::min<int>(origin.y + box.bottom - box.top, GetSystemMetrics(SM_CYSCREEN));
    origin.x = std::max<int>(origin.x, 0);
    origin.y = std::max<int>(origin.y, 0);
    const int width = right - origin.x, height = bottom - origin.y;
    if (width <= 0 || height <= 0) return ink;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    const auto as_colorref = [](std::uint32_t bgra) {
        return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const COLORREF c = as_colorref(pixels[y * width + x]);
            if (c == ground) continue;
            ++ink.painted;
            if (c == colour) ++ink.of_colour;
            if (ink.top < 0) ink.top = y;
            ink.bottom = y;
        }
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ink;
}

ModalSteps::ModalSteps(std::vector<std::function<void()>> steps) {
    g_steps = std::move(steps);
    g_next_step = 0;
    g_running_steps = 0;
    g_last_activity = GetTickCount();
    g_gave_up = false;
    timer_ = SetTimer(nullptr, 0, 50, RunStep);
}

ModalSteps::~ModalSteps() { KillTimer(nullptr, timer_); }

HWND FindByCaption(const char* caption) { return FindWindowW(nullptr, text::GbkToWide(caption).c_str()); }

bool Answered(const std::function<void()>& open_modal, const char* caption, int button) {
    bool seen = false;
    std::vector<std::function<void()>> steps;
    // Looks for such windows for 10 s, answering each that shows (a question may be followed by a
    // message box of the same title), then gives up: a modal loop nobody answers waits forever.
    for (int i = 0; i < 200; ++i) {
        steps.push_back([&seen, caption, button] {
            HWND window = FindByCaption(caption);
            if (!window || !IsWindowVisible(window)) return;
            seen = true;
            if (HWND b = GetDlgItem(window, button))
                SendMessageW(b, BM_CLICK, 0, 0);
            else
                PostMessageW(window, WM_COMMAND, button, 0);
        });
    }
    const ModalSteps answer(std::move(steps));
    open_modal();
    return seen;
}

// Windows counts a process's GDI objects for GetGuiResources. Wine does not (it answers 0), but
// keeps them in the table of GDI handles that the process environment block points to, one
// 24-byte entry each whose type byte (offset 14) is not 0 while the object lives.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"  // GCC 12 misreads the segment read of NtCurrentTeb
int GdiObjects() {
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0) return static_cast<int>(counted);
    const auto* peb = reinterpret_cast<const std::uint8_t*>(NtCurrentTeb()->ProcessEnvironmentBlock);
    const auto* table = *reinterpret_cast<const std::uint8_t* const*>(peb + 0xF8);
    if (table == nullptr) return -1;
    int live = 0;
    for (int i = 0; i < 0x10000; ++i)
        if (table[24 * i + 14] != 0) ++live;
    return live;
}
#pragma GCC diagnostic pop

CalendarTest::CalendarTest() : clock_(platform::LocalDateTime{2024, 2, 10, 9, 0, 0}) {
    program_.registry = &registry_;
    program_.clock = &clock_;
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    program_.path = settings::SplitProgramPath(text::WideToGbk(module));
    program_.placement = shell::Placement::kNormal;
    shell::StartSounds(program_, sounds_, mci_);
    shell::BuildPopupMenu(program_);
}

void CalendarTest::TearDown() {
    if (Window() && IsWindow(Window())) DestroyWindow(Window());
    Pump();
    TakeQuits();  // the calendar window's
    calendar::SetModernCalculateAncientFlag(false);
}

HWND CalendarTest::Open(views::CalendarView view, astro::DayNumber day) {
    HWND window = shell::OpenCalendarPage(program_, view, day);
    Pump();
    return window;
}

astro::DayNumber CalendarTest::Day() const {
    const views::PageWindow* page = views::PageWindowOf(Window());
    return page ? page->Day() : 0;
}

void CalendarTest::ShowDay(astro::DayNumber day) {
    views::PageWindowOf(Window())->ShowDay(day);
    Pump();
}

void CalendarTest::Command(int id) {
    SendMessageW(Window(), WM_COMMAND, id, 0);
    Pump();
}

bool CalendarTest::Checked(int id) {
    shell::UpdateMenuChecks(program_);
    return (GetMenuState(program_.menu.get(), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

std::string CalendarTest::Stored(const char* name) const {
    return registry_.StoredValue(platform::RegistryRoot::CurrentUser, settings::SettingsKey, name);
}

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

const std::vector<Opener>& EveryWindow() {
    static places::LocalPlace place;
    static personal::Alarms alarms;
    static platform::MemoryRegistry registry;
    static platform::RecordingMci mci;
    static const tools::ToolContext context{2460351, 0, 5, 1};
    static const std::unique_ptr<platform::Network> network = platform::MakeSystemNetwork();
    static const std::vector<Opener> windows = [] {
        const views::PageOptions options{};
        views::PageOptions picture;
        picture.background_picture = BitmapFile();
        // The client sizes of the design: the day page 260 x 150 and the player at its fixed size,
        // the dialogs as their layouts add up (the help window: 10 + 104 + 10 + 22 + 190 + 10
        // high; the alarms: three rows of 34 from 16, and 66 below).
        std::vector<Opener> all = {
            {"日历", [=](HWND) { return views::CreateDayPage(2460351, options); }, true, false, {260, 150}},
            {"日历 with a picture",
             [=](HWND) {
                 HWND page = views::CreateDayPage(2460351, picture);
                 EXPECT_NE(SendMessageW(GetDlgItem(page, views::kPictureId), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
                 return page;
             },
             true, false, {260, 150}},
            // 528 x 430 with its frame (the test works out the client area from the frame at 96 DPI).
            {"月历", [=](HWND) { return views::CreateMonthPage(2460351, options); }, true},
            {"本地坐标", [](HWND owner) { return places::CreateLocalCoordinatesDialog(owner, &place); }, false, false,
             {213, 175}},
            {"帮助", [](HWND owner) { return help::CreateHelpDialog(owner); }, false, false, {440, 346}},
            {"警告", [](HWND owner) { return win::CreateConfirmDialog(owner, "警告", "是否修改系统日期？"); }, false, false,
             {250, 100}},
            {"编辑闹钟", [](HWND owner) { return personal::CreateAlarmEditor(owner, &alarms); }, false, false, {372, 184}},
            {"更新节假日安排", [](HWND owner) { return help::CreateHolidayUpdateWindow(owner, {}); }, false, false, {400, 146}},
            {"橙鹿天气",
             [](HWND owner) { return weather::OpenWeatherViewer(owner, {network.get(), "127.0.0.1:9", 2, 1}); }, false,
             false, {469, 329}},
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
             false, true, {273, 100}},
        };
        for (auto mode : {personal::EditorMode::kMemorials, personal::EditorMode::kReminders, personal::EditorMode::kCountdown})
            all.push_back({"personal days",
                           [=](HWND owner) {
                               return personal::CreatePersonalDaysEditor(owner, {mode, &registry, &mci, true});
                           },
                           false, false, {640, 372}});
        for (int mode = 1; mode <= 4; ++mode) {
            all.push_back({"date tools", [=](HWND owner) { return tools::CreateDateToolsWindow(owner, mode, context); }});
            all.push_back({"yearly tables", [=](HWND owner) { return tools::CreateYearlyTablesWindow(owner, mode, context); }});
        }
        for (int mode = 1; mode <= 2; ++mode)
            all.push_back({"queries", [=](HWND owner) { return tools::CreateQueryWindow(owner, mode, context); }});
        all.push_back({"黄历",
                       [](HWND owner) { return almanac::OpenAlmanacWindow(owner, {2460351, nullptr, nullptr}); }, false,
                       false, {700, 640}});
        return all;
    }();
    return windows;
}

std::vector<std::string> LayoutFaults(HWND window, bool whole_on_screen) {
    std::vector<std::string> faults;
    RECT client;
    GetClientRect(window, &client);
    const auto id_of = [](HWND control) { return std::to_string(GetDlgCtrlID(control)); };
    std::vector<HWND> shown;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t class_name[16] = {};
        GetClassNameW(child, class_name, 16);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        const bool group_box = _wcsicmp(class_name, L"Button") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX;
        // The day page's picture is 265 wide in the page of 260, as the design has it.
        const bool picture = _wcsicmp(class_name, L"Static") == 0 && (style & SS_TYPEMASK) == SS_BITMAP;
        // A hidden control waits for room (the player's list below the skin until the skin grows).
        if (!IsWindowVisible(child) || picture) continue;
        const RECT r = RectInParent(child);
        if (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom)
            faults.push_back("control " + id_of(child) + " reaches out of the client area");
        if (!group_box) shown.push_back(child);
    }
    for (size_t i = 0; i < shown.size(); ++i) {
        for (size_t j = i + 1; j < shown.size(); ++j) {
            const RECT a = RectInParent(shown[i]), b = RectInParent(shown[j]);
            RECT both;
            if (!IntersectRect(&both, &a, &b)) continue;
            faults.push_back("controls " + id_of(shown[i]) + " and " + id_of(shown[j]) + " overlap");
        }
    }
    RECT frame;
    GetWindowRect(window, &frame);
    if (whole_on_screen && (frame.left < 0 || frame.top < 0 || frame.right > GetSystemMetrics(SM_CXSCREEN) ||
                            frame.bottom > GetSystemMetrics(SM_CYSCREEN)))
        faults.push_back("the window reaches off the screen");
    return faults;
}

long Capture::Size() {
    FILE* f = _wfopen(TEMPO_SOUND_CAPTURE, L"rb");
    if (!f) return -1;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fclose(f);
    return size;
}

std::vector<short> Capture::Samples() const {
    std::vector<short> samples;
    if (FILE* f = _wfopen(TEMPO_SOUND_CAPTURE, L"rb")) {
        std::fseek(f, start_, SEEK_SET);
        short s;
        while (std::fread(&s, sizeof s, 1, f) == 1) samples.push_back(s);
        std::fclose(f);
    }
    return samples;
}

int Capture::Peak() const {
    int peak = 0;
    for (short s : Samples()) peak = std::max(peak, std::abs(static_cast<int>(s)));
    return peak;
}

double Capture::LoudSeconds() const {
    const std::vector<short> samples = Samples();
    constexpr size_t window = 110;
    long first = -1, last = -1;
    for (size_t i = 0; i + window <= samples.size(); i += window) {
        double energy = 0;
        for (size_t j = i; j < i + window; ++j) energy += static_cast<double>(samples[j]) * samples[j];
        if (energy / window > 300.0 * 300.0) {
            if (first < 0) first = static_cast<long>(i);
            last = static_cast<long>(i + window);
        }
    }
    return first < 0 ? 0.0 : (last - first) / 11025.0;
}

}  // namespace test
