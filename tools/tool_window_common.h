// What the three tools windows (date tools, yearly tables, condition queries) share: what they start
// from, their frame, and the fixed-width font of the tables.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "astro/day_numbers.h"
#include "win/handles.h"
#include "win/window.h"

namespace tools {

// What a tools window starts from, given by the program when it opens one.
struct ToolContext {
    astro::DayNumber start_day = 0;  // the day the calendar shows, or today
    int ganzhi_from_chunjie = 0;     // the sexagenary year starts at the Spring Festival, not at 立春
    int province = 1;                // the local place (the sun-times table starts there)
    int city = 1;
};

// The frame of a tools window titled "橙鹿万年历：" + the name of the menu item that opens it. Alone
// (no owner) the window stands for the program on the task bar.
win::Frame ToolFrame(const wchar_t* class_name, const char* item_name, HWND owner);

// A fixed-width Chinese font of a window in which one Chinese character is exactly two digits wide,
// so that the columns of the tables (laid out by counting GBK bytes) line up: "新宋体" where it is
// such a font, otherwise the first of a few other monospaced Chinese faces that is. `height` in
// 96-DPI pixels.
const win::WindowFont* TableFont(win::Window& window, int height);

// The state object of a tools window: the mode its menu item chose, and what the program handed it.
struct ToolWindow : win::Window {
    int mode = 1;
    ToolContext context;
};

// Makes and shows (not modally) a tools window of type `Window` in a mode 1..n-1, titled after
// mode_names[mode], the name of the menu item that opens that mode; nullptr for another mode.
template <typename Window, size_t n>
HWND CreateToolWindow(HWND owner, int mode, const ToolContext& context, const wchar_t* class_name,
                      const char* const (&mode_names)[n]) {
    if (mode < 1 || mode >= static_cast<int>(n)) return nullptr;
    auto window = std::make_unique<Window>();
    window->mode = mode;
    window->context = context;
    return win::Create(std::move(window), ToolFrame(class_name, mode_names[mode], owner), owner);
}

// Runs a tools window modally to its owner (nullptr: the program's only window) until it closes.
// Returns IDCANCEL, or 0 when there is no window (it could not be made).
int RunToolWindow(HWND window);

}  // namespace tools
