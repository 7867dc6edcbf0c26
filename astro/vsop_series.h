// The kept rows of the Earth's VSOP87D series as columns, and their sums.
#pragma once

#include <cstddef>

#include "astro/series_tables.h"
#include "astro/series_trig.h"

namespace astro::detail {

// The rows of one series as three columns (amplitudes, phases, frequencies), laid out at compile
// time so that neighbouring terms load side by side into vector registers.
template <std::size_t N>
struct VsopColumns {
    double a[N];
    double b[N];
    double c[N];
};

template <std::size_t N>
constexpr VsopColumns<N> ToColumns(const VsopTerm (&rows)[N]) {
    VsopColumns<N> out{};
    for (std::size_t i = 0; i < N; ++i) {
        out.a[i] = rows[i].a;
        out.b[i] = rows[i].b;
        out.c[i] = rows[i].c;
    }
    return out;
}

inline constexpr auto kL0 = ToColumns(kEarthL0);
inline constexpr auto kL1 = ToColumns(kEarthL1);
inline constexpr auto kL2 = ToColumns(kEarthL2);
inline constexpr auto kL3 = ToColumns(kEarthL3);
inline constexpr auto kL4 = ToColumns(kEarthL4);
inline constexpr auto kL5 = ToColumns(kEarthL5);
inline constexpr auto kB0 = ToColumns(kEarthB0);
inline constexpr auto kB1 = ToColumns(kEarthB1);
inline constexpr auto kB2 = ToColumns(kEarthB2);
inline constexpr auto kB3 = ToColumns(kEarthB3);
inline constexpr auto kB4 = ToColumns(kEarthB4);
inline constexpr auto kR0 = ToColumns(kEarthR0);
inline constexpr auto kR1 = ToColumns(kEarthR1);
inline constexpr auto kR2 = ToColumns(kEarthR2);
inline constexpr auto kR3 = ToColumns(kEarthR3);
inline constexpr auto kR4 = ToColumns(kEarthR4);
inline constexpr auto kR5 = ToColumns(kEarthR5);

// Sum of A cos(B + C tau) over the rows. Four running sums (rows i mod 4) keep four terms in flight
// at once; they are added in a fixed order, so the result does not depend on the machine.
template <std::size_t N>
inline double SumSeries(const VsopColumns<N>& s, double tau) {
    double part[4] = {0.0, 0.0, 0.0, 0.0};
    std::size_t i = 0;
    for (; i + 4 <= N; i += 4)
        for (std::size_t j = 0; j < 4; ++j) part[j] += s.a[i + j] * detail::SeriesCos(s.b[i + j] + s.c[i + j] * tau);
    for (; i < N; ++i) part[i % 4] += s.a[i] * detail::SeriesCos(s.b[i] + s.c[i] * tau);
    return (part[0] + part[1]) + (part[2] + part[3]);
}

// A VSOP87 variable: the series of each power of tau summed and joined by Horner's rule,
// S0 + tau (S1 + tau (S2 + ...)), the series of the power 0 given first.
template <std::size_t N, typename... Higher>
inline double PowerSeries(double tau, const VsopColumns<N>& first, const Higher&... higher) {
    if constexpr (sizeof...(higher) == 0) {
        return SumSeries(first, tau);
    } else {
        const double here = SumSeries(first, tau);
        return here + tau * PowerSeries(tau, higher...);
    }
}

}  // namespace astro::detail
