// Sine and cosine for the series sums of the Sun and the Moon.
//
// A solar longitude sums some 800 periodic terms, and every solar term or lunar phase takes six to
// eight longitudes, so the trigonometric functions are the engine's hot path. These versions are
// branch-free (the compiler can evaluate several terms at once in vector registers) and as accurate
// as the arguments they get: the argument is reduced modulo pi/2 with pi/2 split in three parts
// (Cody and Waite), exactly for |x| up to 2^19 pi/2 (about 800000 rad, far beyond any series
// argument within 10000 years of J2000), and the reduced argument goes into the minimax
// polynomials of the fdlibm kernels, good to about one unit in the last place.
#pragma once

#include <cstdint>
#include <cstring>

// Where the C library dispatches by processor (glibc's ifunc), the series sums get an AVX2 version
// too; it performs the same operations in the same order (no fused multiply-add), so the results
// are identical to the bit. Not under ThreadSanitizer: the dispatch runs while the program is
// being loaded, before the sanitizer's runtime has started, and its instrumented code would crash.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__) && \
    !defined(__SANITIZE_THREAD__)
#define TEMPO_SERIES_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TEMPO_SERIES_CLONES
#endif

namespace astro::detail {

inline double SeriesCosSin(double x, int phase_quadrants) {
    // pi/2 = kPio2Hi + kPio2Mid + kPio2Lo; the first two hold 30 significant bits each, so their
    // products with a quadrant count below 2^23 are exact.
    constexpr double kTwoOverPi = 0.6366197723675814;
    constexpr double kPio2Hi = 1.5707963276654482;
    constexpr double kPio2Mid = -8.705515692000731e-10;
    constexpr double kPio2Lo = -3.50343439808993e-19;
    constexpr double kRoundMagic = 6755399441055744.0;  // 1.5 * 2^52: adding it rounds to an integer

    const double shifted = x * kTwoOverPi + kRoundMagic;
    const double q = shifted - kRoundMagic;
    std::uint64_t bits;
    std::memcpy(&bits, &shifted, sizeof bits);
    const std::uint64_t n = bits + static_cast<std::uint64_t>(phase_quadrants);  // quadrant, low two bits

    const double r = ((x - q * kPio2Hi) - q * kPio2Mid) - q * kPio2Lo;
    const double z = r * r;
    const double sin_r =
        r + r * z *
                (-1.66666666666666324348e-01 +
                 z * (8.33333333332248946124e-03 +
                      z * (-1.98412698298579493134e-04 +
                           z * (2.75573137070700676789e-06 + z * (-2.50507602534068634195e-08 +
                                                                  z * 1.58969099521155010221e-10)))));
    const double cos_r =
        1.0 - 0.5 * z +
        z * z *
            (4.16666666666666019037e-02 +
             z * (-1.38888888888741095749e-03 +
                  z * (2.48015872894767294178e-05 +
                       z * (-2.75573143513906633035e-07 +
                            z * (2.08757232129817482790e-09 + z * -1.13596475577881948265e-11)))));
    // cos x: quadrant 0 cos r, 1 -sin r, 2 -cos r, 3 sin r. sin x is cos x shifted by 3 quadrants.
    // The selection is done on the bits, without a branch, so that terms can be computed side by side.
    std::uint64_t sb;
    std::uint64_t cb;
    std::memcpy(&sb, &sin_r, sizeof sb);
    std::memcpy(&cb, &cos_r, sizeof cb);
    const std::uint64_t odd = 0 - (n & 1);
    std::uint64_t vb = (sb & odd) | (cb & ~odd);
    vb ^= ((n + 1) & 2) << 62;
    double out;
    std::memcpy(&out, &vb, sizeof out);
    return out;
}

inline double SeriesCos(double x) { return SeriesCosSin(x, 0); }
inline double SeriesSin(double x) { return SeriesCosSin(x, 3); }

}  // namespace astro::detail
