#include "search/Kernels.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace varilume::detail {

namespace {

// Observations held in L1 at once, and frequencies between exact re-anchorings
// of the recurrence (its rounding grows by about one unit per step).
constexpr std::size_t Block = 256;
constexpr std::size_t Anchor = 256;
constexpr std::size_t Lanes = 4;

typedef double Vec __attribute__((vector_size(Lanes * sizeof(double))));

#define VL_LOAD(dst, src)                                                                          \
    Vec dst;                                                                                       \
    std::memcpy(&dst, (src), sizeof(Vec))
#define VL_STORE(dst, v) std::memcpy((dst), &(v), sizeof(Vec))

template <typename V> [[gnu::always_inline]] inline double lanesSum(const V& v) {
    double s = 0;
    for (std::size_t j = 0; j < Lanes; ++j)
        s += v[j];
    return s;
}

// One harmonic. The state is sqrt(w) exp(i x), so that its square sums give
// sum w cos^2 and sum w cos sin directly: ten operations per pair.
// acc[k*6 + ...]: cc, cs, c, s, yc, ys.
[[gnu::always_inline]] inline void body1(std::size_t nb, std::size_t nk, double* ar, double* ai,
                                         const double* rr, const double* ri, const double* sw,
                                         const double* swy, double* acc) {
    // Two sets of accumulators, so that consecutive adds do not wait on each other.
    for (std::size_t k = 0; k < nk; ++k) {
        Vec sum[2][6] = {};
        for (std::size_t j = 0; j < nb; j += 2 * Lanes) {
            for (std::size_t h = 0; h < 2; ++h) {
                const std::size_t o = j + h * Lanes;
                VL_LOAD(a, ar + o);
                VL_LOAD(b, ai + o);
                VL_LOAD(r, rr + o);
                VL_LOAD(q, ri + o);
                VL_LOAD(w, sw + o);
                VL_LOAD(wy, swy + o);
                Vec* u = sum[h];
                u[0] += a * a;
                u[1] += a * b;
                u[2] += w * a;
                u[3] += w * b;
                u[4] += wy * a;
                u[5] += wy * b;
                const Vec na = a * r - b * q;
                const Vec nb2 = a * q + b * r;
                VL_STORE(ar + o, na);
                VL_STORE(ai + o, nb2);
            }
        }
        double* out = acc + k * 6;
        for (int m = 0; m < 6; ++m)
            out[m] += lanesSum(sum[0][m] + sum[1][m]);
    }
}

// H harmonics: powers of the unweighted state. acc[k*6H + ...]: c[1..2H],
// s[1..2H], yc[1..H], ys[1..H].
template <int H>
[[gnu::always_inline]] inline void bodyH(std::size_t nb, std::size_t nk, double* zr, double* zi,
                                         const double* rr, const double* ri, const double* w,
                                         const double* wy, double* acc) {
    for (std::size_t k = 0; k < nk; ++k) {
        Vec c[2 * H] = {}, s[2 * H] = {}, yc[H] = {}, ys[H] = {};
        for (std::size_t j = 0; j < nb; j += Lanes) {
            VL_LOAD(a, zr + j);
            VL_LOAD(b, zi + j);
            VL_LOAD(ww, w + j);
            VL_LOAD(wyy, wy + j);
            Vec pr = a, pi = b;
            for (int m = 0; m < 2 * H; ++m) {
                if (m > 0) {
                    const Vec nr = pr * a - pi * b;
                    pi = pr * b + pi * a;
                    pr = nr;
                }
                c[m] += ww * pr;
                s[m] += ww * pi;
                if (m < H) {
                    yc[m] += wyy * pr;
                    ys[m] += wyy * pi;
                }
            }
            VL_LOAD(r, rr + j);
            VL_LOAD(q, ri + j);
            const Vec na = a * r - b * q;
            const Vec nb2 = a * q + b * r;
            VL_STORE(zr + j, na);
            VL_STORE(zi + j, nb2);
        }
        double* out = acc + k * 6 * H;
        for (int m = 0; m < 2 * H; ++m) {
            out[m] += lanesSum(c[m]);
            out[2 * H + m] += lanesSum(s[m]);
        }
        for (int m = 0; m < H; ++m) {
            out[4 * H + m] += lanesSum(yc[m]);
            out[5 * H + m] += lanesSum(ys[m]);
        }
    }
}

#define VL_DISPATCH_BODY                                                                           \
    switch (H) {                                                                                   \
    case 1:                                                                                        \
        body1(nb, nk, zr, zi, rr, ri, w, wy, acc);                                                 \
        break;                                                                                     \
    case 2:                                                                                        \
        bodyH<2>(nb, nk, zr, zi, rr, ri, w, wy, acc);                                              \
        break;                                                                                     \
    case 3:                                                                                        \
        bodyH<3>(nb, nk, zr, zi, rr, ri, w, wy, acc);                                              \
        break;                                                                                     \
    default:                                                                                       \
        bodyH<4>(nb, nk, zr, zi, rr, ri, w, wy, acc);                                              \
        break;                                                                                     \
    }

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
[[gnu::target("avx2,fma")]] void kernelWide(int H, std::size_t nb, std::size_t nk, double* zr,
                                            double* zi, const double* rr, const double* ri,
                                            const double* w, const double* wy, double* acc) {
    VL_DISPATCH_BODY
}
#define VL_HAVE_WIDE 1
#endif

void kernelBase(int H, std::size_t nb, std::size_t nk, double* zr, double* zi, const double* rr,
                const double* ri, const double* w, const double* wy, double* acc) {
    VL_DISPATCH_BODY
}

} // namespace

bool wideKernels() {
#ifdef VL_HAVE_WIDE
    static const bool wide = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return wide;
#else
    return false;
#endif
}

void trigSumsGrid(const Prepared& p, int H, const FrequencyGrid& grid, std::size_t k0,
                  std::size_t k1, const std::function<void(std::size_t, const TrigSums&)>& done) {
    H = std::clamp(H, 1, MaxSumHarmonics);
    const std::size_t n = p.size();
    const std::size_t nSums = 6 * static_cast<std::size_t>(H);
    const bool wide = wideKernels();
    auto* kernel = &kernelBase;
#ifdef VL_HAVE_WIDE
    if (wide)
        kernel = &kernelWide;
#endif
    // The per-step rotation of every observation, once per call.
    std::vector<double> stepR(n), stepI(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double x = turnPhase(grid.step, p.t[i]);
        stepR[i] = std::cos(x);
        stepI[i] = std::sin(x);
    }
    alignas(64) double zr[Block], zi[Block], rr[Block], ri[Block], w[Block], wy[Block];
    std::vector<double> acc;
    for (std::size_t a0 = k0; a0 < k1; a0 += Anchor) {
        const std::size_t nk = std::min(Anchor, k1 - a0);
        acc.assign(nk * nSums, 0.0);
        for (std::size_t b0 = 0; b0 < n; b0 += Block) {
            const std::size_t nb = std::min(Block, n - b0);
            const std::size_t padded = (nb + 2 * Lanes - 1) / (2 * Lanes) * (2 * Lanes);
            for (std::size_t j = 0; j < padded; ++j) {
                if (j >= nb) {
                    zr[j] = zi[j] = rr[j] = ri[j] = w[j] = wy[j] = 0;
                    continue;
                }
                const std::size_t i = b0 + j;
                const double x = 2 * std::numbers::pi * gridTurns(grid, a0, p.t[i]);
                const double scale = H == 1 ? std::sqrt(p.w[i]) : 1.0;
                zr[j] = scale * std::cos(x);
                zi[j] = scale * std::sin(x);
                rr[j] = stepR[i];
                ri[j] = stepI[i];
                w[j] = H == 1 ? scale : p.w[i];
                wy[j] = w[j] * p.y[i];
            }
            kernel(H, padded, nk, zr, zi, rr, ri, w, wy, acc.data());
        }
        TrigSums t;
        t.c[0] = 1;
        for (std::size_t k = 0; k < nk; ++k) {
            const double* o = acc.data() + k * nSums;
            if (H == 1) {
                t.c[1] = o[2];
                t.s[1] = o[3];
                t.c[2] = 2 * o[0] - 1;
                t.s[2] = 2 * o[1];
                t.yc[1] = o[4];
                t.ys[1] = o[5];
            } else {
                for (int m = 1; m <= 2 * H; ++m) {
                    t.c[m] = o[m - 1];
                    t.s[m] = o[2 * H + m - 1];
                }
                for (int m = 1; m <= H; ++m) {
                    t.yc[m] = o[4 * H + m - 1];
                    t.ys[m] = o[5 * H + m - 1];
                }
            }
            done(a0 + k, t);
        }
    }
}

} // namespace varilume::detail
