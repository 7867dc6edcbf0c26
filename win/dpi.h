// The one place where the program meets the DPI of its monitors. Every window is written in the
// 96-DPI pixels of its design; the foundation converts them here to the pixels of the monitor the
// window stands on (win::Window keeps a Scaler per window and lays its controls and fonts out
// again when the DPI changes). Nothing outside win/ asks the window system for a DPI or multiplies
// by a scale: a window calls the Scaler of its win::Window.
//
// The DPI functions of newer Windows (GetDpiForWindow, AdjustWindowRectExForDpi,
// GetSystemMetricsForDpi, GetDpiForMonitor...) are looked up when first needed; where a Windows (or
// Wine) lacks one, the system DPI and the plain functions take its place.
#pragma once

#include <windows.h>

#include <vector>

#include "win/screen_geometry.h"

namespace win {

// The DPI the system was started with (the one of its first monitor); 96 when it cannot tell.
int SystemDpi();
// The DPI of a window: of the monitor it stands on for a program aware of each monitor's DPI.
int DpiOf(HWND window);
// Asks the window system to scale the frame (caption, borders) of a window made for per-monitor
// DPI on systems that do not do so by themselves; call at WM_NCCREATE. Harmless elsewhere.
void ScaleFrameOf(HWND window);

// The monitors, the primary one first, with their work areas and DPIs.
std::vector<Monitor> Monitors();

// A system metric (SM_CXVSCROLL, SM_CXSMICON...) as it is at `dpi`.
int MetricAt(int index, int dpi);
// The size of a window of these styles (no menu bar) around a client area of `client` pixels of `dpi`.
SIZE FrameSizeAt(DWORD style, DWORD ex_style, SIZE client, int dpi);

RECT ToRect(const Box& box);
Box ToBox(const RECT& r);

// A window's converter between the 96-DPI geometry it is written in and its pixels.
class Scaler {
public:
    explicit Scaler(int dpi = kBaseDpi) : dpi_(dpi > 0 ? dpi : kBaseDpi) {}
    int dpi() const { return dpi_; }
    // 96-DPI pixels to the window's: a length, an offset, a font height, a line width.
    int Px(int value) const { return ScaledPixels(value, dpi_); }
    RECT Rect(const RECT& r) const;
    RECT Rect(int left, int top, int right, int bottom) const { return Rect(RECT{left, top, right, bottom}); }
    POINT Point(POINT p) const { return {Px(p.x), Px(p.y)}; }
    SIZE Size(SIZE s) const { return {Px(s.cx), Px(s.cy)}; }
    // The way back, for the mouse: the 96-DPI position a pixel of the window falls on.
    int Logical(int pixels) const { return UnscaledPixels(pixels, dpi_); }
    POINT Logical(POINT p) const { return {Logical(p.x), Logical(p.y)}; }
    // Whether a pixel of the window lies in a 96-DPI rectangle as it is drawn.
    bool Hit(const RECT& logical, POINT pixels) const;
    // Draws the frame of a 96-DPI rectangle, `width` 96-DPI pixels wide, inside it: each line the
    // pixels between the rectangle's scaled edge and the scaled edge `width` further in, so that
    // boxes that share a line at 96 DPI share it exactly at every DPI, and what stands a 96-DPI
    // pixel inside the box starts just after the line.
    void Frame(HDC dc, const RECT& logical, HBRUSH brush, int width = 1) const;

private:
    int dpi_;
};

}  // namespace win
