#include "win/screen_geometry.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <limits>

namespace win {

namespace {

// numerator / denominator rounded to the nearest integer, halves away from zero (denominator > 0).
int RoundedQuotient(std::int64_t numerator, std::int64_t denominator) {
    const std::int64_t magnitude = (std::llabs(numerator) * 2 + denominator) / (2 * denominator);
    return static_cast<int>(numerator < 0 ? -magnitude : magnitude);
}

int SafeDpi(int dpi) { return dpi > 0 ? dpi : kBaseDpi; }

std::int64_t Overlap(const Box& a, const Box& b) {
    const std::int64_t w = std::min(a.right, b.right) - std::max(a.left, b.left);
    const std::int64_t h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// The distance between two boxes (0 when they touch or overlap), squared.
std::int64_t DistanceSquared(const Box& a, const Box& b) {
    const std::int64_t dx = std::max<std::int64_t>({0, std::int64_t{b.left} - a.right, std::int64_t{a.left} - b.right});
    const std::int64_t dy = std::max<std::int64_t>({0, std::int64_t{b.top} - a.bottom, std::int64_t{a.top} - b.bottom});
    return dx * dx + dy * dy;
}

std::size_t Nearest(const std::vector<Monitor>& monitors, const Box& box) {
    std::size_t best = 0;
    std::int64_t best_distance = std::numeric_limits<std::int64_t>::max();
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const std::int64_t d = DistanceSquared(box, monitors[i].work);
        if (d < best_distance) {
            best = i;
            best_distance = d;
        }
    }
    return best;
}

}  // namespace

int ScaledPixels(int value, int dpi) { return RoundedQuotient(std::int64_t{value} * SafeDpi(dpi), kBaseDpi); }

int UnscaledPixels(int pixels, int dpi) { return RoundedQuotient(std::int64_t{pixels} * kBaseDpi, SafeDpi(dpi)); }

int UnscaledPixelsCeiling(int pixels, int dpi) {
    const std::int64_t n = std::int64_t{pixels} * kBaseDpi;
    const std::int64_t d = SafeDpi(dpi);
    return static_cast<int>(n >= 0 ? (n + d - 1) / d : -((-n) / d));
}

Box ScaledBox(const Box& box, int dpi) {
    return {ScaledPixels(box.left, dpi), ScaledPixels(box.top, dpi), ScaledPixels(box.right, dpi),
            ScaledPixels(box.bottom, dpi)};
}

ImageChoice ChooseImage(Extent size_96, int dpi, const std::vector<int>& percents) {
    ImageChoice choice;
    const std::int64_t wanted = std::int64_t{SafeDpi(dpi)} * 100;  // percent x 96
    std::int64_t best = std::numeric_limits<std::int64_t>::max();
    for (int percent : percents) {
        const std::int64_t distance = std::llabs(std::int64_t{percent} * kBaseDpi - wanted);
        if (distance < best || (distance == best && percent > choice.percent)) {
            best = distance;
            choice.percent = percent;
        }
    }
    const Extent place{ScaledPixels(size_96.width, dpi), ScaledPixels(size_96.height, dpi)};
    const Extent rendered{RoundedQuotient(std::int64_t{size_96.width} * choice.percent, 100),
                          RoundedQuotient(std::int64_t{size_96.height} * choice.percent, 100)};
    // At most 1.5 times the rendered size (compared as 2 x place <= 3 x rendered).
    choice.drawn = place;
    if (2 * std::int64_t{place.width} > 3 * std::int64_t{rendered.width} ||
        2 * std::int64_t{place.height} > 3 * std::int64_t{rendered.height})
        choice.drawn = {rendered.width * 3 / 2, rendered.height * 3 / 2};
    choice.stretched = choice.drawn != rendered;
    return choice;
}

std::size_t MonitorHolding(const std::vector<Monitor>& monitors, const Box& box) {
    std::size_t best = 0;
    std::int64_t most = 0;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const std::int64_t held = Overlap(box, monitors[i].area);
        if (held > most) {
            best = i;
            most = held;
        }
    }
    return most > 0 ? best : Nearest(monitors, box);
}

std::size_t MonitorAt(const std::vector<Monitor>& monitors, Spot point) {
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const Box& a = monitors[i].area;
        if (point.x >= a.left && point.x < a.right && point.y >= a.top && point.y < a.bottom) return i;
    }
    return Nearest(monitors, Box{point.x, point.y, point.x, point.y});
}

Box KeptWithin(const Box& box, const Box& area) {
    const int width = box.Width();
    const int height = box.Height();
    const int left = std::max(area.left, std::min(box.left, area.right - width));
    const int top = std::max(area.top, std::min(box.top, area.bottom - height));
    return {left, top, left + width, top + height};
}

Box PlaceBeside(const Box& anchor, Extent size, const Box& work, std::optional<int> preferred_top, int gap) {
    const auto inside = [&](const Box& b) {
        return b.left >= work.left && b.top >= work.top && b.right <= work.right && b.bottom <= work.bottom;
    };
    const auto clear = [&](const Box& b) {
        return b.right <= anchor.left || b.left >= anchor.right || b.bottom <= anchor.top || b.top >= anchor.bottom;
    };
    const auto at = [&](int left, int top) { return Box{left, top, left + size.width, top + size.height}; };
    const int across = anchor.left + (anchor.Width() - size.width) / 2;
    const int along = anchor.top + (anchor.Height() - size.height) / 2;
    if (preferred_top) {
        const Box preferred = KeptWithin(at(across, *preferred_top), Box{work.left, *preferred_top, work.right,
                                                                          *preferred_top + size.height});
        if (inside(preferred) && clear(preferred)) return preferred;
    }
    // Below, above, right, left: each kept within the work area the other way, and taken when it
    // then lies whole on it.
    const Box sides[] = {at(across, anchor.bottom + gap), at(across, anchor.top - gap - size.height),
                         at(anchor.right + gap, along), at(anchor.left - gap - size.width, along)};
    const Box spans[] = {{work.left, sides[0].top, work.right, sides[0].bottom},
                         {work.left, sides[1].top, work.right, sides[1].bottom},
                         {sides[2].left, work.top, sides[2].right, work.bottom},
                         {sides[3].left, work.top, sides[3].right, work.bottom}};
    for (int i = 0; i < 4; ++i) {
        const Box placed = KeptWithin(sides[i], spans[i]);
        if (inside(placed)) return placed;
    }
    // No room anywhere: the side with the most room, the window moved onto the work area.
    const int room[] = {work.bottom - anchor.bottom, anchor.top - work.top, work.right - anchor.right,
                        anchor.left - work.left};
    const int best = static_cast<int>(std::max_element(std::begin(room), std::end(room)) - std::begin(room));
    return KeptWithin(sides[best], work);
}

Box KeptOnMonitors(const std::vector<Monitor>& monitors, const Box& box) {
    if (monitors.empty()) return box;
    return KeptWithin(box, monitors[MonitorHolding(monitors, box)].work);
}

Placement PlaceAtCentre(const std::vector<Monitor>& monitors, std::optional<Spot> centre,
                        const std::function<Extent(int dpi)>& size_at) {
    Placement placed;
    if (monitors.empty()) {
        const Extent size = size_at(kBaseDpi);
        const Spot c = centre.value_or(Spot{size.width / 2, size.height / 2});
        placed.box = {c.x - size.width / 2, c.y - size.height / 2, c.x - size.width / 2 + size.width,
                      c.y - size.height / 2 + size.height};
        return placed;
    }
    placed.monitor = centre ? MonitorAt(monitors, *centre) : 0;
    const Monitor& m = monitors[placed.monitor];
    const Extent size = size_at(m.dpi);
    const int left = centre ? centre->x - size.width / 2 : m.work.left + (m.work.Width() - size.width) / 2;
    const int top = centre ? centre->y - size.height / 2 : m.work.top + (m.work.Height() - size.height) / 2;
    placed.box = KeptWithin(Box{left, top, left + size.width, top + size.height}, m.work);
    return placed;
}

}  // namespace win
