// What the three tools windows (date tools, yearly tables, condition queries) share: their window
// class and frame, child controls in the dialog font, entry boxes that take only some characters,
// the fixed-width font of the tables, and the modal loop.
#pragma once

#include <windows.h>

#include <string>

#include "astro/day_numbers.h"

namespace tools {

// "橙鹿万年历：" + the name of the menu item that opened the window.
std::string ToolWindowTitle(const char* item_name);

// Creates a tools window (hidden, to be placed once its controls exist) with the program's icon;
// its class is registered on first use. Returns nullptr when the window cannot be made.
HWND CreateToolFrame(const wchar_t* class_name, WNDPROC procedure, const std::string& title, HWND owner);
// Gives the window the client size its controls need and centres it on the screen.
void PlaceToolFrame(HWND window, int client_width, int client_height);

// The dialog font of the windows ("宋体", 9 points).
HFONT CreateDialogFont();
// A fixed-width Chinese font in which one Chinese character is exactly two digits wide, so that
// the columns of the tables (laid out by counting GBK bytes) line up: "新宋体" where it is such a
// font, otherwise the first of a few other monospaced Chinese faces that is. `height` as for
// CreateFontW.
HFONT CreateTableFont(int height);
// The width of one column (one digit) of a fixed-width font, in pixels.
int ColumnWidth(HFONT font);

// A child control with the given font; `id` may be -1 for labels.
HWND AddControl(HWND parent, HFONT font, const wchar_t* control_class, const std::string& caption, DWORD style,
                int x, int y, int width, int height, int id);

std::string ControlText(HWND control);  // GBK
void SetControlText(HWND control, const std::string& gbk);

// Lets an edit box take only the characters of `allowed` (GBK; ASCII here) while typing and pasting,
// and at most max_length characters.
void RestrictEntry(HWND edit, const char* allowed, int max_length);

// The day the tools start from: the day the calendar page shows, or today when no page has set one.
astro::DayNumber ToolStartDay();

// Runs a tools window modally to its owner (disabled meanwhile; nullptr when the window is the
// program's only one) until the window is gone. A quit message on the way closes the window and is
// passed on. Returns IDCANCEL.
int RunToolWindow(HWND window, HWND owner);

}  // namespace tools
