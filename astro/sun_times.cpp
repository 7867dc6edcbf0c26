#include "astro/sun_times.h"

#include <cmath>
#include <cstdio>

#include "astro/sun.h"

namespace astro {

namespace {

constexpr double kRiseSetAltitudeDeg = -50.0 * 60.0 / 3600.0;  // refraction 34' plus the Sun's radius 16'
constexpr double kTwilightAltitudeRad = -Pi / 30.0;            // civil twilight, the Sun 6 degrees down

// Markers for an hour angle that does not exist: the Sun stays above, or below, the threshold.
constexpr double kAlwaysAbove = -180.0;
constexpr double kAlwaysBelow = 180.0;

// Hour angle (degrees, [0, 180]) at which the Sun's centre stands at altitude h0, or a marker.
double HourAngle(double h0_rad, double declination, double latitude_rad) {
    const double c = (std::sin(h0_rad) - std::sin(declination) * std::sin(latitude_rad)) /
                     (std::cos(declination) * std::cos(latitude_rad));
    if (c <= -1.0) return kAlwaysAbove;
    if (c >= 1.0) return kAlwaysBelow;
    if (c == 0.0) return 90.0;
    double h = std::atan(std::sqrt(1.0 - c * c) / c) / DegreesToRadians;
    if (h < 0.0) h += 180.0;
    return h;
}

}  // namespace

namespace {

// The Sun's right ascension and declination (radians) at 0h UT of the civil date.
void SunAt0hUt(DayNumber n, double& alpha, double& delta) {
    const JulianDay jd0 = n - 0.5;
    const double t = (jd0 - 2451545.0) / 36525.0;
    const double delta_t = UniversalToDynamical(jd0) - jd0;
    const double lambda = SunApparentLongitude(jd0 + delta_t) * DegreesToRadians;
    EclipticToEquatorial(lambda, 0.0, MeanObliquity(t), alpha, delta);
}

}  // namespace

SunAllDay SunStaysAllDay(DayNumber n, double latitude, bool twilight) {
    if (!(latitude >= -90.0 && latitude <= 90.0)) return SunAllDay::kNeither;
    double alpha = 0.0;
    double delta = 0.0;
    SunAt0hUt(n, alpha, delta);
    const double h = HourAngle(twilight ? kTwilightAltitudeRad : kRiseSetAltitudeDeg * DegreesToRadians, delta,
                               latitude * DegreesToRadians);
    return h == kAlwaysBelow ? SunAllDay::kBelow : h == kAlwaysAbove ? SunAllDay::kAbove : SunAllDay::kNeither;
}

double MeanObliquity(double t) {
    const double t2 = t * t;
    return (84381.4088 - 46.836051 * t - 0.0001667 * t2 - 0.00199911 * t2 * t - 0.000000523 * t2 * t2) / 3600.0 *
           DegreesToRadians;
}

double GreenwichSiderealTime(double d, double delta_t_days) {
    const double t = (d + delta_t_days) / 36525.0;
    const double t2 = t * t;
    return 2.0 * Pi * (0.779057273264 + 1.00273781191135 * d) +
           (0.014506 + 4612.15739966 * t + 1.39667721 * t2 - 0.00009344 * t2 * t + 0.00001882 * t2 * t2) / 3600.0 *
               DegreesToRadians;
}

void EclipticToEquatorial(double lambda, double beta, double epsilon, double& alpha, double& delta) {
    const double num = std::sin(lambda) * std::cos(epsilon) - std::tan(beta) * std::sin(epsilon);
    alpha = NormalizeRadians(std::atan2(num, std::cos(lambda)));
    const double x = std::sin(beta) * std::cos(epsilon) + std::cos(beta) * std::sin(epsilon) * std::sin(lambda);
    delta = std::atan(x / std::sqrt(1.0 - x * x));
}

std::string DayFractionToClockText(double value) {
    const double h = 24.0 * DayFraction(value);
    const int hours = static_cast<int>(h);
    const double minutes = 60.0 * (h - std::floor(h));
    const int whole_minutes = static_cast<int>(minutes);
    const int seconds = static_cast<int>(60.0 * (minutes - std::floor(minutes)));
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", hours, whole_minutes, seconds);
    return buf;
}

std::string SunEventTime(DayNumber n, double longitude, double latitude, int zone, int mode) {
    if (!(longitude >= -180.0 && longitude <= 180.0) || !(latitude >= -90.0 && latitude <= 90.0)) return {};
    if (zone < -12 || zone > 12 || mode < 1 || mode > 7) return {};

    const JulianDay jd0 = n - 0.5;  // 0h UT of the civil date
    const double d = jd0 - 2451545.0;
    const double delta_t = UniversalToDynamical(jd0) - jd0;
    double alpha = 0.0;
    double delta = 0.0;
    SunAt0hUt(n, alpha, delta);
    const double theta = GreenwichSiderealTime(d, delta_t);
    // Hour angle of the Sun at 0h UT, then its offset from the lower culmination.
    const double e = WrapToRange(theta / DegreesToRadians - longitude - alpha / DegreesToRadians, 180, 180);
    const double k = e - 180.0;

    const double phi = latitude * DegreesToRadians;
    const bool twilight = mode >= kDawn;
    const double h = HourAngle(twilight ? kTwilightAltitudeRad : kRiseSetAltitudeDeg * DegreesToRadians, delta, phi);
    const double zone_days = zone / 24.0;

    if (h == kAlwaysBelow) return "00:00:00";
    if (h == kAlwaysAbove) {
        switch (mode) {
            case kSunrise: case kDawn: return "00:00:00";
            case kSunset: case kDayLength: case kDusk: case kTwilightLength: return "24:00:00";
            default: break;  // the transit still happens
        }
    }
    switch (mode) {
        case kSunrise: case kDawn: return DayFractionToClockText(zone_days + (180.0 - h - k) / 360.0);
        case kTransit: return DayFractionToClockText(zone_days + (180.0 - k) / 360.0);
        case kSunset: case kDusk: return DayFractionToClockText(zone_days + (180.0 + h - k) / 360.0);
        default: return DayFractionToClockText(2.0 * h / 360.0);  // day length, dawn-to-dusk length
    }
}

}  // namespace astro
