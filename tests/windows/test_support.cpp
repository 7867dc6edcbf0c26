#include "tests/windows/test_support.h"

#include <winternl.h>

#include <cstdint>

#include "calendar/lunar_year.h"
#include "text/wide.h"
#include "win/controls.h"

namespace test {

namespace {

int g_quits = 0;

std::vector<std::function<void()>> g_steps;
size_t g_next_step = 0;

void CALLBACK RunStep(HWND, UINT, UINT_PTR timer, DWORD) {
    if (g_next_step >= g_steps.size()) {
        KillTimer(nullptr, timer);
        return;
    }
    g_steps[g_next_step++]();
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

ModalSteps::ModalSteps(std::vector<std::function<void()>> steps) {
    g_steps = std::move(steps);
    g_next_step = 0;
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
    program_.path = shell::SplitProgramPath(text::WideToGbk(module));
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
    return registry_.StoredValue(platform::RegistryRoot::CurrentUser, shell::SettingsKey, name);
}

}  // namespace test
