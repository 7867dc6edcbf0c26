// Coefficient tables of the solar and lunar series, generated from the published data by
// scripts/gen_astro_tables.py. They are constexpr arrays: in the program image, never parsed.
#pragma once

#include <cstddef>

namespace astro {

// One VSOP87 term A cos(B + C tau), tau in Julian millennia from J2000.0.
struct VsopTerm {
    double a;
    double b;
    double c;
};

// One row of the 1980 IAU nutation series: multipliers of D, M, M', F, Omega; the sine coefficient
// of the nutation in longitude a + a'T and the cosine coefficient of the nutation in obliquity
// b + b'T, both in units of 0.0001 arcsecond.
struct NutationTerm {
    int d;
    int m;
    int mp;
    int f;
    int om;
    double a;
    double a1;
    double b;
    double b1;
};

// One term of the Moon's longitude in ELP-2000/85 Fourier form:
// A sin(phi + nu1 T + nu2 T^2 + nu3 T^3 + nu4 T^4), A in arcseconds, T in Julian centuries.
struct ElpTerm {
    double a;
    double phi;
    double nu1;
    double nu2;
    double nu3;
    double nu4;
};

#include "astro/vsop87d_earth_terms.inc"
#include "astro/nutation_terms.inc"
#include "astro/elp_moon_terms.inc"

template <typename T, std::size_t N>
constexpr std::size_t RowCount(const T (&)[N]) {
    return N;
}

}  // namespace astro
