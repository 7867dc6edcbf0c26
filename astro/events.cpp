#include "astro/events.h"

#include <cmath>

#include "astro/moon.h"
#include "astro/sun.h"

namespace astro {

double EventResidual(JulianDay t_ut, double target_deg, EventKind kind) {
    const JulianDay t = UniversalToDynamical(t_ut);
    if (kind == kLunarPhase) {
        const double nutation = NutationInLongitude(t);
        const double elongation =
            detail::MoonLongitudeWithNutation(t, nutation) - detail::SunApparentLongitudeWithNutation(t, nutation);
        return WrapToRange(target_deg - elongation, 180, 180);
    }
    return WrapToRange(target_deg - SunApparentLongitude(t), 180, 180);
}

JulianDay FindEventTime(JulianDay start_ut, double target_deg, EventKind kind) {
    // A secant iteration on the residual. The second point lies almost one period later, so the
    // residual has dropped through zero once between them: the first secant step lands close.
    double x0 = start_ut;
    double x1 = start_ut + (kind == kLunarPhase ? 25.0 : 360.0);
    double f0 = EventResidual(x0, target_deg, kind);
    double f1 = EventResidual(x1, target_deg, kind);
    if (f1 > f0) f1 -= 360.0;  // the angle has passed the target between x0 and x1
    double slope = 1.0;
    double x2 = 0.0;
    for (int i = 0; i < 20; ++i) {
        if (std::fabs(x1 - x0) * 100000.0 < SolverTolerance) break;
        const double s = (f1 - f0) / (x1 - x0);
        if (std::fabs(s) * 100000.0 > SolverTolerance) slope = s;
        x2 = x0 - f0 / slope;
        double f2 = EventResidual(x2, target_deg, kind);
        if (f2 > 180.0) f2 -= 360.0;
        if (std::fabs(f2) < SolverTolerance) break;
        x0 = x1;
        f0 = f1;
        x1 = x2;
        f1 = f2;
    }
    return x2;
}

double NextNewOrFullMoon(DayNumber n, int phase) {
    if (phase == 0) {
        double t = ToChronological(FindEventTime(n - 10.0, 0.0, kLunarPhase));
        // From ten days back the search can find a new moon of the days just before n.
        if (std::floor(t) < n) t = ToChronological(FindEventTime(t + 20.0, 0.0, kLunarPhase));
        return t;
    }
    return ToChronological(FindEventTime(n - 0.5 + LocalTimeToDayFraction(0, 0, 0), 180.0, kLunarPhase));
}

}  // namespace astro
