#include "astro/moon.h"

#include <cmath>
#include <cstddef>

#include "astro/series_tables.h"
#include "astro/series_trig.h"
#include "astro/sun.h"

namespace astro {

namespace {

constexpr double kJ2000 = 2451545.0;

// General precession in longitude, arcseconds, powers 1..7 of t in Julian millennia.
constexpr double kPrecession[7] = {50287.92262, 111.24406, 0.07699, -0.23479, -0.00178, 0.00018, 0.00001};

// The rows of one lunar series in columns.
template <std::size_t N>
struct ElpColumns {
    double a[N], phi[N], nu1[N], nu2[N], nu3[N], nu4[N];
};

template <std::size_t N>
constexpr ElpColumns<N> ToColumns(const ElpTerm (&rows)[N]) {
    ElpColumns<N> out{};
    for (std::size_t i = 0; i < N; ++i) {
        out.a[i] = rows[i].a;
        out.phi[i] = rows[i].phi;
        out.nu1[i] = rows[i].nu1;
        out.nu2[i] = rows[i].nu2;
        out.nu3[i] = rows[i].nu3;
        out.nu4[i] = rows[i].nu4;
    }
    return out;
}

constexpr auto kS0 = ToColumns(kMoonS0);
constexpr auto kS1 = ToColumns(kMoonS1);
constexpr auto kS2 = ToColumns(kMoonS2);

// Sum of the terms of one series, with four running sums as for the Earth's series.
template <std::size_t N>
inline double SumSeries(const ElpColumns<N>& s, double t, double t2, double t3, double t4) {
    const auto term = [&](std::size_t i) {
        return s.a[i] * detail::SeriesSin(s.phi[i] + s.nu1[i] * t + s.nu2[i] * t2 + s.nu3[i] * t3 + s.nu4[i] * t4);
    };
    double part[4] = {0.0, 0.0, 0.0, 0.0};
    std::size_t i = 0;
    for (; i + 4 <= N; i += 4)
        for (std::size_t j = 0; j < 4; ++j) part[j] += term(i + j);
    for (; i < N; ++i) part[i % 4] += term(i);
    return (part[0] + part[1]) + (part[2] + part[3]);
}

// The periodic part of the Moon's longitude, arcseconds.
TEMPO_SERIES_CLONES double MoonPeriodicTerms(double t, double t2, double t3, double t4) {
    return SumSeries(kS0, t, t2, t3, t4) + t * SumSeries(kS1, t, t2, t3, t4) + t2 * SumSeries(kS2, t, t2, t3, t4);
}

}  // namespace

double PrecessionInLongitude(JulianDay jd_tt) {
    const double t = (jd_tt - kJ2000) / 365250.0;
    const double at = std::fabs(t);
    // The higher powers run away far from J2000; fewer of them are used the farther out we are.
    const int n = at <= 1.0 ? 7 : at <= 3.0 ? 6 : at <= 5.0 ? 5 : 4;
    double p = 0.0;
    double tp = 1.0;
    for (int i = 0; i < n; ++i) {
        tp *= t;
        p += kPrecession[i] * tp;
    }
    return WrapToRange((p + 2.9965 * t) / 3600.0, 180, 180);
}

double detail::MoonLongitudeWithNutation(JulianDay jd_tt, double nutation_deg) {
    const double t = (jd_tt - kJ2000) / 36525.0;
    const double t2 = t * t;
    const double t3 = t2 * t;
    const double t4 = t3 * t;
    const double s = MoonPeriodicTerms(t, t2, t3, t4);
    // Mean longitude of the Moon referred to the mean equinox of J2000, radians, plus the periodic terms.
    double lambda = 3.81034392032 + 8399.68473021 * t - 0.0000331919929753 * t2 + 0.0000000320170955005 * t3 -
                    0.000000000153637455544 * t4 + (s / 3600.0) * DegreesToRadians;
    lambda = NormalizeRadians(lambda) / DegreesToRadians;
    return WrapToRange(lambda + PrecessionInLongitude(jd_tt) + nutation_deg, 180, 180);
}

double MoonLongitude(JulianDay jd_tt) {
    return detail::MoonLongitudeWithNutation(jd_tt, NutationInLongitude(jd_tt));
}

}  // namespace astro
