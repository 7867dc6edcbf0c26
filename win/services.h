// Services of the window system that the program's windows share: the monitors, keeping a window
// on them, always-on-top, embedding in the desktop, transparency, dragging by the body, the one
// running copy of the program, and whether a file loads as a bitmap.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "win/handles.h"

namespace win {

// How far the monitors reach to the right and down: the largest right and bottom edges.
SIZE DesktopReach();
// The rectangle moved (not resized) so that it lies whole on the work area of the monitor that
// holds most of it (of the nearest one when it lies on none); left and top win when it is larger.
RECT KeptOnScreen(RECT r);
// Puts a window made by win::Create with its centre at a screen point (none: centred on the primary
// monitor) on the monitor that holds that point, or the nearest when none does, at its size for
// that monitor's DPI, whole on that monitor's work area.
void PlaceAtCentre(HWND window, std::optional<POINT> centre);

// Always on top (HWND_TOPMOST) or not; true when the window system took it.
bool SetTopmost(HWND window, bool on);
// Makes the window a child of the desktop's icon view ("Progman" / "SHELLDLL_DefView" /
// "SysListView32"), or top-level again; false when there is no such desktop window.
bool EmbedInDesktop(HWND window, bool on);
// Layered with alpha 255 - t (t clamped to 0..255): 0 is opaque.
void SetTransparency(HWND window, int t);
// The window's alpha, 255 when it is not layered.
int Alpha(HWND window);
// Starts moving the window with the mouse as if its caption had been pressed (call on a
// left-button press on the window's body).
void StartDrag(HWND window);
// Whether a window is this window or lies inside it.
bool IsWindowOrChild(HWND window, HWND other);

// Holds the named mutex that marks the running copy of a program for as long as it lives.
class SingleInstance {
public:
    explicit SingleInstance(const wchar_t* name);
    // True when the mutex could not be made or another copy holds it already.
    bool AlreadyRunning() const { return already_running_; }

private:
    KernelHandle mutex_;
    bool already_running_ = true;
};

// Whether the file (a GBK path) exists, is no folder, and loads as a bitmap.
bool BitmapFileLoads(const std::string& path);
// Whether the path (GBK) names an existing file, not a folder.
bool FileExists(const std::string& path);
// True for an existing folder (GBK path).
bool FolderExists(const std::string& path);

}  // namespace win
