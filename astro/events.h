// Solar terms and lunar phases: the instants at which the Sun's apparent longitude reaches a
// multiple of 15 degrees, or the Moon's elongation from the Sun reaches 0 (new moon) or 180 degrees
// (full moon). One root finder serves both; it works in universal time and applies Delta T itself.
#pragma once

#include <cstdint>

#include "astro/day_numbers.h"

namespace astro {

using EventKind = std::int32_t;
constexpr EventKind kSolarEvent = 0;  // the angle is the Sun's apparent longitude
constexpr EventKind kLunarPhase = 1;  // the angle is the Moon's longitude minus the Sun's

// Target minus the angle at t (UT), reduced to [0, 360).
double EventResidual(JulianDay t_ut, double target_deg, EventKind kind);

// The first instant (UT) after start at which the angle equals the target. For the Sun the start
// must lie less than a year before the event, for a phase less than a lunation.
JulianDay FindEventTime(JulianDay start_ut, double target_deg, EventKind kind);

// Chronological day value (UTC+8) of the new moon (phase 0) on or after the local day n, or of the
// first full moon (any other phase) after local midnight opening day n.
double NextNewOrFullMoon(DayNumber n, int phase);

// The chronological day value of a universal instant in the calculation time zone: its floor is
// the local civil day, its fraction the local time of day.
inline double ToChronological(JulianDay t_ut) { return t_ut + 0.5 + CalcTimeZone / 24.0; }

// The longitude (degrees) that defines solar term k = 1 (小寒) .. 24 (冬至).
inline int SolarTermLongitude(int k) { return (285 + 15 * (k - 1)) % 360; }
// The index 1..24 of the solar term at a longitude that is a multiple of 15.
inline int SolarTermIndex(int longitude) {
    const int k = longitude / 15 + 6;
    return k > 24 ? k - 24 : k;
}

}  // namespace astro
