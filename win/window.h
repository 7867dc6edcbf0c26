// The skeleton every window of the program is built on.
//
// A window is a state object: a struct derived from win::Window that holds the window's controls,
// fonts and data and answers its messages. Create() makes the operating-system window for it. The
// object is attached to the window at WM_NCCREATE, from the creation parameters, and from then on
// the window owns it: it is deleted at WM_NCDESTROY, exactly once, whatever ended the window (its
// own Close, a parent going, the program ending). A window file therefore holds only its own
// behaviour: its controls in OnCreate, its commands in OnCommand, its colours in OnControlColour,
// anything else in OnMessage. Fonts, brushes and bitmaps live in members of the win/handles.h
// types, so they go with the object.
//
// A modal window is run by RunModal: its owner is disabled while it runs and enabled again, in that
// one place, before the window is destroyed; were it enabled only afterwards, Windows would have
// activated some other program's window when the modal one went.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "win/handles.h"

namespace win {

// How a top-level window is made. Each kind of window has its own window class, registered on its
// first use with the program's icon and the arrow cursor.
struct Frame {
    const wchar_t* class_name = nullptr;
    std::string title;  // GBK
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    DWORD ex_style = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    COLORREF background = CLR_INVALID;  // CLR_INVALID: the system's dialog colour
    UINT class_style = 0;
    // Where the window is made (screen pixels). A dialog that knows its client size only once its
    // controls exist sizes and centres itself in OnCreate (PlaceCentred).
    int x = 0;
    int y = 0;
    int width = 100;
    int height = 100;
    // Shown (Show) as soon as it is made; false leaves that to the caller.
    bool shown = true;
};

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window() = default;

    HWND handle() const { return handle_; }
    HWND owner() const { return owner_; }

    // The state object of a window made by Create; nullptr for any other window, or none.
    static Window* Of(HWND window);

    // Ends the window with a result (IDOK, IDCANCEL, or a window's own). Run modally, the modal loop
    // ends it and returns the result; otherwise it is destroyed at once. Return right after the
    // call: the object may be gone.
    void Close(int result);

protected:
    // WM_CREATE: make the controls. False refuses the window (Create then returns nullptr).
    virtual bool OnCreate() { return true; }
    // Once the window has been shown: the place to set the focus.
    virtual void OnShown() {}
    // WM_COMMAND from a control or a key; true when handled.
    virtual bool OnCommand(int id, int code, HWND control);
    // IDCANCEL clicked (Escape, a 取消 button) and not handled by OnCommand: ends the window as
    // WM_CLOSE does.
    virtual void OnCancel();
    // WM_CTLCOLOR*: the brush for a control's background, having set its colours on the DC;
    // nullptr for the system's colours.
    virtual HBRUSH OnControlColour(HDC dc, HWND control);
    // WM_CLOSE (the close box, Alt+F4): Close(IDCANCEL).
    virtual void OnClose();
    // WM_DESTROY, while the controls still exist: stop what works for them.
    virtual void OnDestroy() {}
    // Every other message; DefWindowProc unless the window answers it.
    virtual LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);

    // A child control in the dialog font (or `font`); `id` -1 for labels that are never addressed.
    HWND AddControl(const wchar_t* control_class, const std::string& caption, DWORD style, int x, int y, int width,
                    int height, int id = -1, HFONT font = nullptr, DWORD ex_style = 0);
    HWND Item(int id) const { return GetDlgItem(handle_, id); }
    // "宋体" at 9 points, the font of the program's dialogs; made on first use, freed with the window.
    HFONT DialogFont();
    // Gives the window the frame for this client area and centres it on the screen.
    void PlaceCentred(int client_width, int client_height);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT Dispatch(UINT message, WPARAM wparam, LPARAM lparam);

    friend HWND Create(std::unique_ptr<Window> window, const Frame& frame, HWND owner);
    friend void Show(HWND window);
    friend int RunModal(HWND window);

    HWND handle_ = nullptr;
    HWND owner_ = nullptr;
    Font dialog_font_;
    bool modal_ = false;
    bool closing_ = false;
    int result_ = IDCANCEL;
};

// Makes the window for a state object, owned by `owner` (nullptr: a window of its own on the task
// bar). Returns nullptr when the window cannot be made or OnCreate refuses it; the state object is
// freed either way.
HWND Create(std::unique_ptr<Window> window, const Frame& frame, HWND owner);
// Shows a window made hidden, paints it and calls its OnShown.
void Show(HWND window);
// Runs a window modally to the owner it was made with: the owner is disabled until the window
// closes, then enabled and brought back to the front before the window is destroyed. A quit message
// arriving meanwhile ends the window and is passed on to the loop outside. Returns the result given
// to Close (IDCANCEL when the window went some other way, -1 for a window not made by Create).
int RunModal(HWND window);

// The state object of a window, as its own type; nullptr when it is no such window.
template <typename State>
State* StateOf(HWND window) {
    return dynamic_cast<State*>(Window::Of(window));
}

}  // namespace win
