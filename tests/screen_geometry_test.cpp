// The screen arithmetic of the window foundation: 96-DPI pixels to the pixels of any DPI and back,
// the choice among images rendered at several scales, and where a window goes on several monitors.
// Expected values are worked out by hand in the comments.
#include "win/screen_geometry.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using win::Box;
using win::Extent;
using win::Monitor;
using win::Spot;

TEST(ScreenGeometry, PixelsScaleToTheNearestPixelAndClicksComeBackExactly) {
    const struct {
        int value, dpi, scaled;
    } cases[] = {
        {260, 96, 260},   {260, 144, 390},  {260, 192, 520},  {12, 144, 18},    {12, 120, 15},
        {1, 144, 2},      // 1.5: halves go up
        {1, 120, 1},      // 1.25
        {3, 120, 4},      // 3.75
        {7, 120, 9},      // 8.75
        {71, 144, 107},   // 106.5
        {72, 144, 108},   {-1, 144, -2},    // halves away from zero on both sides
        {-130, 192, -260}, {0, 168, 0},     {273, 168, 478},  // 477.75
    };
    for (const auto& c : cases) EXPECT_EQ(win::ScaledPixels(c.value, c.dpi), c.scaled) << c.value << " @" << c.dpi;

    // A click on the scaled pixel of a 96-DPI position finds that position again, at every DPI of
    // 96 and above.
    for (int dpi : {96, 108, 120, 144, 168, 192, 240, 288, 384})
        for (int v = -600; v <= 600; ++v) ASSERT_EQ(win::UnscaledPixels(win::ScaledPixels(v, dpi), dpi), v) << v << " @" << dpi;
    EXPECT_EQ(win::UnscaledPixels(391, 144), 261);  // 260.67
    EXPECT_EQ(win::UnscaledPixels(389, 144), 259);  // 259.33
    // A measured length rounded up: 25 pixels at 144 DPI need 16.67, so 17 pixels of 96 DPI.
    EXPECT_EQ(win::UnscaledPixelsCeiling(25, 144), 17);
    EXPECT_EQ(win::UnscaledPixelsCeiling(24, 144), 16);
    EXPECT_EQ(win::UnscaledPixelsCeiling(0, 144), 0);
    // A DPI the system could not tell is taken as 96.
    EXPECT_EQ(win::ScaledPixels(50, 0), 50);
}

TEST(ScreenGeometry, BoxesAreScaledEdgeByEdgeSoNeighboursNeitherOverlapNorPartAtAnyDpi) {
    // Two cells of the month page sharing their frame line (72 wide, 71 apart), and a label
    // beside another: what touches at 96 DPI touches after scaling, what is apart stays apart.
    EXPECT_EQ(win::ScaledBox(Box{15, 60, 87, 108}, 144), (Box{23, 90, 131, 162}));  // 22.5 90 130.5 162
    EXPECT_EQ(win::ScaledBox(Box{86, 60, 158, 108}, 144), (Box{129, 90, 237, 162}));
    for (int dpi : {120, 144, 168, 192})
        for (int a = 0; a < 200; ++a)
            for (int b = a; b < a + 4; ++b) ASSERT_LE(win::ScaledPixels(a, dpi), win::ScaledPixels(b, dpi)) << a << "," << b;
}

TEST(ScreenGeometry, TheImageOfTheNearestScaleIsChosenAndNeverStretchedByMoreThanAHalf) {
    // The player's 20 x 16 images, rendered at 100 %, 150 % and 200 %.
    const std::vector<int> scales{100, 150, 200};
    const struct {
        int dpi;
        int percent;
        Extent drawn;
        bool stretched;
    } cases[] = {
        {96, 100, {20, 16}, false},
        {144, 150, {30, 24}, false},
        {192, 200, {40, 32}, false},
        {120, 150, {25, 20}, true},   // 125 %: 100 and 150 equally near; the larger, made smaller
        {168, 200, {35, 28}, true},   // 175 %: likewise 200
        {108, 100, {23, 18}, true},   // 112.5 %: 22.5 x 18
        {72, 100, {15, 12}, true},    // 75 %
        {288, 200, {60, 48}, true},   // 300 %: 1.5 times the 200 % image, the most it may be stretched
        {384, 200, {60, 48}, true},   // 400 %: still 1.5 times (centred in its 80 x 64 place)
    };
    for (const auto& c : cases) {
        const win::ImageChoice choice = win::ChooseImage(Extent{20, 16}, c.dpi, scales);
        EXPECT_EQ(choice.percent, c.percent) << c.dpi;
        EXPECT_EQ(choice.drawn, c.drawn) << c.dpi;
        EXPECT_EQ(choice.stretched, c.stretched) << c.dpi;
    }
    // One rendering only: always that one.
    EXPECT_EQ(win::ChooseImage(Extent{16, 16}, 192, {100}).drawn, (Extent{24, 24}));
}

// A laptop screen at 100 % as the primary monitor with the task bar at its bottom, and a 4K-like
// monitor at 150 % to its right, taller and starting at the same top.
const std::vector<Monitor> kTwo = {
    {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 96},
    {{1920, 0, 4480, 1440}, {1920, 0, 4480, 1400}, 144},
};

// The day page: 260 x 150 at 96 DPI, with no frame around its client area.
Extent DayPageAt(int dpi) { return {win::ScaledPixels(260, dpi), win::ScaledPixels(150, dpi)}; }

TEST(ScreenGeometry, AWindowBelongsToTheMonitorThatHoldsMostOfItOrTheNearest) {
    EXPECT_EQ(win::MonitorHolding(kTwo, Box{100, 100, 360, 250}), 0u);
    EXPECT_EQ(win::MonitorHolding(kTwo, Box{1800, 100, 2060, 250}), 1u);  // 120 on the first, 140 on the second
    EXPECT_EQ(win::MonitorHolding(kTwo, Box{1700, 100, 1960, 250}), 0u);  // 220 and 40
    EXPECT_EQ(win::MonitorHolding(kTwo, Box{6000, 100, 6260, 250}), 1u);  // beyond both: the nearer
    EXPECT_EQ(win::MonitorHolding(kTwo, Box{100, -900, 360, -750}), 0u);  // above the first
    EXPECT_EQ(win::MonitorHolding(kTwo, Box{3000, 1500, 3260, 1650}), 1u);  // below the second only
    EXPECT_EQ(win::MonitorAt(kTwo, Spot{1919, 500}), 0u);
    EXPECT_EQ(win::MonitorAt(kTwo, Spot{1920, 500}), 1u);
    EXPECT_EQ(win::MonitorAt(kTwo, Spot{3000, 1200}), 1u);  // below the first, on the taller second
    EXPECT_EQ(win::MonitorAt(kTwo, Spot{-50, 300}), 0u);
}

TEST(ScreenGeometry, AWindowIsKeptWholeOnTheWorkAreaOfItsMonitor) {
    const struct {
        Box moved;
        Box kept;
    } cases[] = {
        {{100, 100, 360, 250}, {100, 100, 360, 250}},        // inside: unchanged
        {{-40, -10, 220, 140}, {0, 0, 260, 150}},            // past the top left corner
        {{1700, 100, 1960, 250}, {1660, 100, 1920, 250}},    // mostly on the first: back onto it
        {{1800, 100, 2060, 250}, {1920, 100, 2180, 250}},    // mostly on the second: onto it
        {{500, 1000, 760, 1150}, {500, 890, 760, 1040}},     // over the task bar: above it
        {{4400, 1380, 4790, 1605}, {4090, 1175, 4480, 1400}},  // past the second's corner
        {{9000, 300, 9260, 450}, {4220, 300, 4480, 450}},    // beyond every monitor: the nearest
        {{0, 0, 2000, 1200}, {0, 0, 2000, 1200}},            // larger than the work area: left and top win
    };
    for (const auto& c : cases) EXPECT_EQ(win::KeptOnMonitors(kTwo, c.moved), c.kept) << c.moved.left << "," << c.moved.top;
    EXPECT_EQ(win::KeptOnMonitors({}, Box{-5, -5, 5, 5}), (Box{-5, -5, 5, 5}));
}

TEST(ScreenGeometry, AWindowBesideAnotherStandsWholeAndClearOfIt) {
    const Box screen{0, 0, 1024, 768};
    const std::optional<int> none;
    const struct {
        Box anchor;
        Extent size;
        Box work;
        std::optional<int> top;
        Box placed;
    } cases[] = {
        // the player with its list, centred on the screen: the lyric list 8 pixels below it
        {{376, 259, 649, 509}, {600, 220}, screen, none, {213, 517, 813, 737}},
        // near the bottom: above it; at the left edge: moved onto the screen
        {{376, 600, 649, 700}, {600, 220}, screen, none, {213, 372, 813, 592}},
        {{0, 100, 273, 200}, {600, 220}, screen, none, {0, 208, 600, 428}},
        // as tall as the screen: to its right, else to its left
        {{100, 0, 373, 768}, {300, 220}, screen, none, {381, 274, 681, 494}},
        {{700, 0, 973, 768}, {300, 220}, screen, none, {392, 274, 692, 494}},
        // the stored top, where the window stands whole and clear of the player
        {{376, 334, 649, 434}, {256, 76}, screen, 592, {384, 592, 640, 668}},
        {{376, 334, 649, 434}, {256, 76}, screen, 400, {384, 442, 640, 518}},     // over the player
        {{376, 334, 649, 434}, {256, 76}, screen, 100000, {384, 442, 640, 518}},  // a monitor gone
        {{376, 334, 649, 434}, {256, 76}, screen, 700, {384, 442, 640, 518}},     // not whole
        // a second monitor's work area
        {{2000, 900, 2273, 1000}, {256, 76}, Box{1920, 0, 4480, 1400}, none, {2008, 1008, 2264, 1084}},
        // no room on any side: on the side with the most, whole on the work area
        {{0, 0, 400, 280}, {300, 100}, Box{0, 0, 400, 300}, none, {50, 200, 350, 300}},
    };
    for (const auto& c : cases) {
        const Box placed = win::PlaceBeside(c.anchor, c.size, c.work, c.top, 8);
        EXPECT_EQ(placed, c.placed) << c.anchor.left << "," << c.anchor.top << " " << placed.left << "," << placed.top;
        EXPECT_EQ(placed.Width(), c.size.width);
        EXPECT_EQ(placed.Height(), c.size.height);
    }
}

TEST(ScreenGeometry, APageOpensAtItsStoredCentreOnItsMonitorAtThatMonitorsSize) {
    std::vector<int> asked;
    const auto size_at = [&asked](int dpi) {
        asked.push_back(dpi);
        return DayPageAt(dpi);
    };
    const struct {
        std::optional<Spot> centre;
        std::size_t monitor;
        int dpi;
        Box box;
    } cases[] = {
        // Nothing stored: centred on the primary monitor's work area, (1920 - 260) / 2, (1040 - 150) / 2.
        {std::nullopt, 0, 96, {830, 445, 1090, 595}},
        // Stored on the first monitor, well inside.
        {Spot{400, 300}, 0, 96, {270, 225, 530, 375}},
        // Stored on the second monitor (150 %): it opens there, 390 x 225, around the stored centre.
        {Spot{3000, 700}, 1, 144, {2805, 588, 3195, 813}},
        // Stored near the second's right edge: whole on it.
        {Spot{4470, 20}, 1, 144, {4090, 0, 4480, 225}},
        // Stored on a third monitor that is gone, beyond the second: whole on the second, the nearest.
        {Spot{6000, 700}, 1, 144, {4090, 588, 4480, 813}},
        // Stored above and left of everything: whole on the first, the nearest.
        {Spot{-500, -500}, 0, 96, {0, 0, 260, 150}},
        // Stored low on the first, where its task bar is: above the task bar.
        {Spot{960, 1070}, 0, 96, {830, 890, 1090, 1040}},
        // Below the first monitor but on the taller second one: the second.
        {Spot{3000, 1300}, 1, 144, {2805, 1175, 3195, 1400}},
    };
    for (const auto& c : cases) {
        asked.clear();
        const win::Placement p = win::PlaceAtCentre(kTwo, c.centre, size_at);
        const std::string which = c.centre ? std::to_string(c.centre->x) + "," + std::to_string(c.centre->y) : "none";
        EXPECT_EQ(p.monitor, c.monitor) << which;
        EXPECT_EQ(p.box, c.box) << which;
        // Sized for the DPI of the monitor it goes to, and only for that one.
        EXPECT_EQ(asked, std::vector<int>{c.dpi}) << which;
    }
    // A monitor left of the primary one, at 200 %: its negative coordinates are a place like any.
    const std::vector<Monitor> left_of = {kTwo[0], {{-1280, 0, 0, 1024}, {-1280, 0, 0, 1024}, 192}};
    const win::Placement p = win::PlaceAtCentre(left_of, Spot{-640, 500}, size_at);
    EXPECT_EQ(p.monitor, 1u);
    EXPECT_EQ(p.box, (Box{-900, 350, -380, 650}));
}

}  // namespace
