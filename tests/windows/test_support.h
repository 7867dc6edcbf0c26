// What the Windows tests share: pumping messages, reading and driving controls as a user does,
// answering modal windows from inside their loops, counting GDI objects, and a program with its
// calendar window open on an in-memory registry and a fixed clock.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "astro/day_numbers.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/sound.h"
#include "shell/command_ids.h"
#include "shell/program_win32.h"

namespace test {

// Dispatches every message waiting for this thread. A quit message is not dispatched but counted
// (TakeQuits) and dropped, so that it cannot end a later modal loop.
void Pump();
// Pumps until the condition holds or the time is up; whether it holds.
bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds);
// The quit messages seen by Pump since the last call, and any still queued.
int TakeQuits();

// "127.0.0.1:PORT" of the tempoline-web that runs beside the tests (tests/windows/with-web.sh),
// or "" where none runs; tests that need it skip themselves then.
std::string WebHost();

// The text of a window or control, and of a dialog's control (GBK).
std::string Text(HWND control);
std::string Text(HWND window, int id);
void SetText(HWND window, int id, const std::string& gbk);
// The text of a drop-down list's selected item.
std::string Selected(HWND combo);
// A button pressed as the user does (check boxes and option buttons change their state too).
void Click(HWND window, int id);
bool IsChecked(HWND window, int id);
// An item chosen as the user does: the selection changes and the list's parent is told.
void Choose(HWND combo, int index);
void Choose(HWND window, int id, int index);
// Characters typed into a box, one WM_CHAR each.
void Type(HWND window, int id, const std::string& keys);
// A control's rectangle in its parent's client coordinates.
RECT RectInParent(HWND control);

// What a shown window has painted in a box of its client area (pixels), read off the screen once
// it has painted (the part of the box on the screen): how many pixels differ from the box's `ground`, how many are of `colour`, and the
// rows from the first to the last that differ (-1 when none does).
struct Ink {
    int painted = 0;
    int of_colour = 0;
    int top = -1;
    int bottom = -1;
    int Height() const { return top < 0 ? 0 : bottom - top + 1; }
};
Ink InkIn(HWND window, const RECT& box, COLORREF ground, COLORREF colour = CLR_INVALID);

// Runs steps from a thread timer while a modal loop runs: each step once, 50 ms after the last. A
// modal loop that still runs kModalDeadlineMs after the last step (three times that while a step is
// still under way) is a failure: its window is closed (and the test program ended if it will not
// close), so a test fails in seconds. The timer stops with the object.
constexpr DWORD kModalDeadlineMs = 10000;
class ModalSteps {
public:
    explicit ModalSteps(std::vector<std::function<void()>> steps);
    ~ModalSteps();
    ModalSteps(const ModalSteps&) = delete;
    ModalSteps& operator=(const ModalSteps&) = delete;

private:
    UINT_PTR timer_;
};

// Runs `open_modal` and answers each modal window titled `caption` (GBK) that shows meanwhile by
// pressing `button`; whether one showed.
bool Answered(const std::function<void()>& open_modal, const char* caption, int button);
HWND FindByCaption(const char* caption);

// The GDI objects this process holds now.
int GdiObjects();

// A small 24-bit bitmap file in the temporary folder (a day page's background picture); its GBK path.
std::string BitmapFile();

// Every window of the program, as its opener makes it (shown, not modal; a page hidden).
struct Opener {
    const char* name;
    std::function<HWND(HWND owner)> open;
    bool page = false;  // a calendar page
    bool skin = false;  // draws its own controls (the music player)
    // The client size of its design in 96-DPI pixels, where a literal gives it; 0 x 0 otherwise.
    SIZE client_96{0, 0};
};
const std::vector<Opener>& EveryWindow();

// What is wrong with a window's layout: a control reaching out of the client area, two visible
// controls covering one another, the window reaching off the screen (unless it may). A group box
// framing others and a picture lying under a page are meant to cover what they cover.
std::vector<std::string> LayoutFaults(HWND window, bool whole_on_screen = true);

// A program as RunProgram makes it, on an in-memory registry and a clock fixed at 2024-02-10
// 09:00, with its calendar window opened by Open.
class CalendarTest : public ::testing::Test {
protected:
    CalendarTest();
    void TearDown() override;

    // Opens the calendar window (placement normal unless a test sets another first).
    HWND Open(views::CalendarView view, astro::DayNumber day);
    HWND Window() const { return program_.calendar_window; }
    HWND Item(int id) const { return GetDlgItem(Window(), id); }
    // The day the calendar page shows, and moving it to another.
    astro::DayNumber Day() const;
    void ShowDay(astro::DayNumber day);
    // A menu command as the menu sends it, and the check mark the menu would show for it.
    void Command(int id);
    bool Checked(int id);
    std::string Stored(const char* name) const;

    platform::MemoryRegistry registry_;
    platform::FixedClock clock_;
    // What the program would play: the time signals' sounds (each 5 ms), the MCI commands.
    platform::RecordingSoundPlayer sounds_{std::chrono::milliseconds(5)};
    platform::RecordingMci mci_;
    shell::Program program_;
};

// What ALSA's default device received, written into a file of the test's HOME (16-bit mono at
// 11025 Hz), since `Mark`.
class Capture {
public:
    bool Available() const { return Size() >= 0; }
    void Mark() { start_ = Size(); }
    std::vector<short> Samples() const;
    // The loudest sample.
    int Peak() const;
    // The time from the first to the last loud 10 ms.
    double LoudSeconds() const;

private:
    static long Size();
    long start_ = 0;
};

}  // namespace test
