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
//
// A window is written in the 96-DPI pixels of its design, whatever the DPI of the monitor it stands
// on: the rectangles of its controls, its client size, the heights of its fonts. The skeleton makes
// them at the window's DPI and remembers them, so that when the DPI changes (the window dragged to
// another monitor, the scaling changed: WM_DPICHANGED) it makes the fonts again and lays everything
// out anew around the window's centre. What a window paints itself it converts with scale().
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "win/dpi.h"
#include "win/handles.h"

namespace win {

// A font of a window: made at the window's DPI from its height in 96-DPI pixels, made again when
// the DPI changes. The window owns it; hold it by pointer and ask for get() when drawing.
class WindowFont {
public:
    HFONT get() const { return font_.get(); }

private:
    friend class Window;
    std::wstring face_;
    int height_ = 12;  // 96-DPI pixels
    int weight_ = FW_NORMAL;
    BYTE quality_ = DEFAULT_QUALITY;
    BYTE pitch_and_family_ = DEFAULT_PITCH;
    Font font_;
};

// Measures of a font at 96 DPI, for laying text out in 96-DPI pixels.
struct FontMeasures {
    int digit_width = 0;  // of "0"
    int line_height = 0;
};

// How a top-level window is made. Each kind of window has its own window class, registered on its
// first use with the program's icon and the arrow cursor.
struct Frame {
    const wchar_t* class_name = nullptr;
    std::string title;  // GBK
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    DWORD ex_style = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    COLORREF background = CLR_INVALID;  // CLR_INVALID: the system's dialog colour
    UINT class_style = 0;
    // Where the window is made: its top left corner in screen pixels (kAtOwner: at the owner's
    // corner, so that it starts on the owner's monitor, or at 0, 0 without one), and its size with
    // its frame in 96-DPI pixels, made at the window's DPI. A dialog that knows its client size only
    // once its controls exist sizes and centres itself in OnCreate (PlaceCentred).
    static constexpr int kAtOwner = CW_USEDEFAULT;
    int x = kAtOwner;
    int y = kAtOwner;
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
    // The converter between the window's 96-DPI geometry and its pixels at its present DPI.
    const Scaler& scale() const { return scale_; }
    // The client size in 96-DPI pixels, and the size the window takes with its frame at a DPI.
    SIZE ClientSize() const { return client_; }
    SIZE FrameSizeAt(int dpi) const;

    // The window's fonts: made at its DPI, made again when it changes, freed with the window.
    // One by face name (GBK), height of its characters in 96-DPI pixels and weight; its quality
    // (NONANTIALIASED_QUALITY for text over a see-through key colour).
    const WindowFont* MakeFont(const char* face, int height, int weight, BYTE quality = DEFAULT_QUALITY);
    // The first of the faces in which every sample keeps to columns (see ColumnFont), at this height.
    const WindowFont* MakeColumnFont(int height, const std::vector<const char*>& faces,
                                     const std::vector<const char*>& samples);
    // A font's digit width and line height as they are at 96 DPI.
    FontMeasures Measure96(const WindowFont* font) const;
    // "宋体" at 9 points, the font of the program's dialogs; made on first use, freed with the window.
    const WindowFont* DialogFont();

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
    // After the DPI changed and the controls, the fonts and the frame were made anew: what the
    // window keeps at its DPI itself (images, tooltips' rectangles).
    virtual void OnDpiChanged() {}

    // A child control at a 96-DPI rectangle, in the dialog font (or `font`); `id` -1 for labels that
    // are never addressed.
    HWND AddControl(const wchar_t* control_class, const std::string& caption, DWORD style, int x, int y, int width,
                    int height, int id = -1, const WindowFont* font = nullptr, DWORD ex_style = 0);
    HWND Item(int id) const { return GetDlgItem(handle_, id); }
    // Moves a control made by AddControl to another 96-DPI rectangle.
    void MoveControl(HWND control, int x, int y, int width, int height);
    // Gives a control made by AddControl another of the window's fonts.
    void SetControlFont(HWND control, const WindowFont* font);
    // The height of the items of a list box made by AddControl (an owner-drawn one), in 96-DPI pixels.
    void SetItemHeight(HWND list, int height);
    // Gives the window the frame for this client area (96-DPI pixels) and centres it on the work
    // area of its monitor.
    void PlaceCentred(int client_width, int client_height);
    // Gives the window another client size (96-DPI pixels), its top left corner kept where it can be.
    void SetClientSize(int client_width, int client_height);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT Dispatch(UINT message, WPARAM wparam, LPARAM lparam);
    // The window at a new DPI: fonts, controls and frame made anew, its centre kept.
    void ApplyDpi(int dpi);
    // Gives the window the frame around its client size at its DPI, where `place` puts a frame of
    // that size (screen pixels). Where the frame drawn differs from the one the system said it
    // would draw (Wine keeps the frame of the DPI a window was made at), the difference is made up.
    void PlaceFrame(const std::function<RECT(SIZE frame)>& place);
    void MakeFontAtDpi(WindowFont& font) const;
    void SetIconsAtDpi();
    DWORD Style() const;
    DWORD ExStyle() const;

    // A control as the window laid it out: where, in which font, how high its items.
    struct Placed {
        HWND control = nullptr;
        RECT rect{};  // 96-DPI pixels
        const WindowFont* font = nullptr;
        int item_height = 0;  // 96-DPI pixels; 0 when the control has no items of its own height
    };
    Placed* PlacedOf(HWND control);

    friend HWND Create(std::unique_ptr<Window> window, const Frame& frame, HWND owner);
    friend void Show(HWND window);
    friend int RunModal(HWND window);

    HWND handle_ = nullptr;
    HWND owner_ = nullptr;
    Scaler scale_;
    SIZE client_{0, 0};
    std::vector<Placed> placed_;
    std::vector<std::unique_ptr<WindowFont>> fonts_;
    const WindowFont* dialog_font_ = nullptr;
    Icon big_icon_, small_icon_;  // at a DPI other than 96 (the class's icons serve there)
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
