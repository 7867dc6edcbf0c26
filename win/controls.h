// Child controls: making them, their text (GBK inside the program, UTF-16 for the window system),
// lists, check boxes, entry boxes that take only some characters, read-only text boxes, and fonts,
// including a fixed-width one found by measuring.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "win/handles.h"

namespace win {

// A child control of `parent` with a font; `id` -1 for labels that are never addressed.
HWND AddControl(HWND parent, HFONT font, const wchar_t* control_class, const std::string& caption, DWORD style, int x,
                int y, int width, int height, int id, DWORD ex_style = 0);

// Fonts at a height in pixels of the screen; a window makes its fonts through win::Window, at its DPI.
// The first of the faces (GBK) at this pixel height in which every sample text (GBK) is exactly as
// many columns wide as it has bytes, a Chinese character two digits, an ASCII character one: the
// font that lines up text laid out by counting GBK bytes. The first face that exists when none
// does; nullptr when none exists.
Font ColumnFont(int height, const std::vector<const char*>& faces, const std::vector<const char*>& samples);
// The width of a digit and the height of a line of a font, in pixels.
int DigitWidth(HFONT font);
int LineHeight(HFONT font);

// The text of a control, and setting it (GBK).
std::string Text(HWND control);
void SetText(HWND control, const std::string& gbk);

// A drop-down list: its items replaced (drawing held back meanwhile), the selected index (-1 for
// none), selecting one, and the list box it drops down.
void FillList(HWND combo, const std::vector<std::string>& items);
int Selection(HWND combo);
void Select(HWND combo, int index);
HWND DropDownOf(HWND combo);

// Check boxes and option buttons.
bool Checked(HWND button);
void SetChecked(HWND button, bool on);

// Lets an edit box take only the characters of `allowed` (ASCII), typed or pasted, and at most
// max_length characters in all. `allowed` must outlive the box.
void RestrictEntry(HWND edit, const char* allowed, int max_length);
// Makes an edit box a read-only text to read and copy: nothing can be pasted, a double click selects
// the whole text and tells the parent (WM_COMMAND with kTextDoubleClicked), Escape goes to the parent
// as IDCANCEL (a multi-line edit would otherwise close the parent), and the right button goes to the
// parent.
void MakeReadOnlyText(HWND edit);
// A multi-line edit that lets Tab, Enter and Escape go on to its window, as a dialog's keys (a
// multi-line edit keeps them all by itself); the arrows and the rest stay its own.
void LetDialogKeysLeave(HWND edit);
// The notification code of a double click on a read-only text (no edit box sends it).
constexpr WORD kTextDoubleClicked = 0x0C01;
// Passes the mouse buttons and moves that reach a control on to its parent, at the same place.
void PassMouseToParent(HWND control);

// Answers WM_PAINT by drawing the whole client area into a bitmap first and copying it at once, so
// that a window redrawn often (a timer's tick) does not flicker. `draw` gets the bitmap's DC and the
// client rectangle.
void PaintOffScreen(HWND window, const std::function<void(HDC, const RECT&)>& draw);

// The colours a window gives its controls (WM_CTLCOLOR*) and paints with: one solid brush per
// colour, made on first use and freed with the object.
class Colours {
public:
    // Sets the text and the background colour on a control's DC; the brush of the background.
    HBRUSH Use(HDC dc, COLORREF text, COLORREF background);
    // The background only (a control without text, or one that keeps its text colour).
    HBRUSH Use(HDC dc, COLORREF background);
    HBRUSH BrushOf(COLORREF colour);

private:
    std::vector<std::pair<COLORREF, Brush>> brushes_;
};

}  // namespace win
