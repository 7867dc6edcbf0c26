// The arithmetic of the screen, portable so that it is tested natively: converting the 96-DPI
// pixels every window is written in to the pixels of a monitor of another DPI and back, choosing
// which of the images rendered at several scales to draw, and placing a window on the monitors:
// whole on the work area of the monitor that holds most of it, at a stored centre on the monitor
// that holds that centre, or on the nearest one when no monitor does any more.
//
// Nothing here knows the window system: the foundation (win/dpi.h, win/services.h) asks it for the
// monitors and their DPIs and hands them in as plain values.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace win {

// The DPI the geometry of the windows is written in: one pixel of the layouts is 1/96 inch.
constexpr int kBaseDpi = 96;

// A rectangle of screen or window pixels; right and bottom lie just outside it.
struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const Box&, const Box&) = default;
};

struct Spot {
    int x = 0;
    int y = 0;
    friend bool operator==(const Spot&, const Spot&) = default;
};

struct Extent {
    int width = 0;
    int height = 0;
    friend bool operator==(const Extent&, const Extent&) = default;
};

// --- scaling ------------------------------------------------------------------------------------

// A length of 96-DPI pixels in pixels of `dpi`: value x dpi / 96, rounded to the nearest pixel
// (halves away from zero). Rectangles are converted edge by edge, so that neighbours stay
// neighbours and boxes that do not overlap at 96 DPI do not overlap at any DPI.
int ScaledPixels(int value, int dpi);
// The way back, for a point of a window at `dpi` (a mouse click): the 96-DPI pixel it falls on,
// rounded the same way. For every DPI of 96 and above, UnscaledPixels(ScaledPixels(v)) is v.
int UnscaledPixels(int pixels, int dpi);
// The same, rounded up: the 96-DPI length that holds `pixels` of `dpi` whole (a measured text).
int UnscaledPixelsCeiling(int pixels, int dpi);
Box ScaledBox(const Box& box, int dpi);

// --- images rendered at several scales ------------------------------------------------------------

// Which of the scales an image was rendered at (in percent, e.g. 100, 150, 200) suits `dpi`, and
// how large it is drawn: the scale nearest to dpi / 96 (of two equally near, the larger, which is
// made smaller rather than blown up); the image takes its place of size_96 scaled to `dpi`, unless
// that would stretch it by more than 1.5, when it is drawn 1.5 times its size, centred in its place.
struct ImageChoice {
    int percent = 100;
    Extent drawn;       // in pixels of dpi
    bool stretched = false;  // drawn at another size than it was rendered at
};
ImageChoice ChooseImage(Extent size_96, int dpi, const std::vector<int>& percents);

// --- monitors -------------------------------------------------------------------------------------

struct Monitor {
    Box area;  // the whole monitor, in screen pixels
    Box work;  // without the task bar and the docked bars
    int dpi = kBaseDpi;
};

// The monitor (an index into `monitors`, the primary one first) that holds the largest part of
// `box`; when it lies on none, the one whose work area is nearest to it. 0 for an empty list.
std::size_t MonitorHolding(const std::vector<Monitor>& monitors, const Box& box);
// The monitor whose area holds the point; when none does, the one whose work area is nearest.
std::size_t MonitorAt(const std::vector<Monitor>& monitors, Spot point);

// The box moved (not resized) so that it lies whole in `area`: left and top win when it is larger.
Box KeptWithin(const Box& box, const Box& area);
// The box moved whole onto the work area of the monitor that holds most of it (or the nearest).
Box KeptOnMonitors(const std::vector<Monitor>& monitors, const Box& box);

// Where a window of `size` goes that belongs beside another (the lyric window beside its player):
// wholly on the work area `work`, never over `anchor` where the work area leaves room. At the
// preferred top, when given, if the window stands there whole and clear of the anchor; otherwise
// `gap` pixels below the anchor, else above it, else to its right, else to its left; centred on the
// anchor across (along, at its sides). When no side has room, on the side with the most, moved whole
// onto the work area.
Box PlaceBeside(const Box& anchor, Extent size, const Box& work, std::optional<int> preferred_top, int gap);

// Where a window goes that is to stand with its centre at a stored screen point, or centred on the
// primary monitor's work area when none is stored: on the monitor whose area holds the point (the
// nearest one when none does, as when the monitor it was on is gone), at the size `size_at` gives
// for that monitor's DPI, moved whole onto that monitor's work area.
struct Placement {
    Box box;
    std::size_t monitor = 0;
};
Placement PlaceAtCentre(const std::vector<Monitor>& monitors, std::optional<Spot> centre,
                        const std::function<Extent(int dpi)>& size_at);

}  // namespace win
