#!/usr/bin/python3
"""Reference values for the red-noise significance tests, computed without
the program's code: plain Python (no numpy), the one-harmonic GLS power by
normal equations of the straight least-squares fit, the continuum fitted by a
dense grid and golden-section coordinate descent instead of Nelder-Mead.

The model (also in search/RedNoise.h): the GLS power P(f) at frequencies from
1/span up to fmax, spaced by 2 % or 1/span whichever is wider, each moved to
the nearest multiple of 0.5/span, leaving out
those within 2/span of the excluded frequency; S(f) = c (r / (1 + (f/f0)^2) + 1)
fitted by Whittle's likelihood (sum ln S + P/S least, c in closed form); points
with P/S > 10 dropped and the fit redone, up to three times. A peak with H
harmonics at f: T_k = sum_{h<=k} P(h f)/S(h f), Q_k = exp(-T_k) sum_{j<k} T_k^j/j!,
p = min(1, H min_k Q_k), fap = 1 - (1-p)^N.

Run once, offline; the test suite reads only the numbers it writes:

    tools/rednoise_reference.py tests/search/data

rednoise_points.txt     t y, one observation a line
rednoise_continuum.txt  fmax excluded scale ratio corner used
rednoise_fap.txt        frequency harmonics independent ln(fap)
"""
import math
import random
import sys

out = sys.argv[1] if len(sys.argv) > 1 else "."
rng = random.Random(20261207)

# A damped random walk (tau 100 d, rms 0.2 mag) with a weak 13.37 d sinusoid
# and white noise, on OGLE-like nights over four years.
tau, rms, noise, period = 100.0, 0.2, 0.05, 13.37
t, y = [], []
x, last = rng.gauss(0, rms), None
for night in range(4 * 365):
    if math.fmod(night, 365.25) >= 240 or rng.random() > 0.25:
        continue
    tt = night + 0.2 * rng.random()
    tt = round(tt * 2**20) / 2**20
    if last is not None:
        a = math.exp(-(tt - last) / tau)
        x = a * x + rms * math.sqrt(1 - a * a) * rng.gauss(0, 1)
    last = tt
    t.append(tt)
    y.append(16.5 + x + 0.1 * math.sin(2 * math.pi * tt / period) + noise * rng.gauss(0, 1))

with open(f"{out}/rednoise_points.txt", "w") as f:
    for row in zip(t, y):
        f.write("%.17g %.17g\n" % row)

n = len(t)
span = max(t) - min(t)
ymean = sum(y) / n
tss = sum((v - ymean) ** 2 for v in y)


def solve(a, b):
    """Gaussian elimination with partial pivoting."""
    m = len(b)
    a = [row[:] + [b[i]] for i, row in enumerate(a)]
    for c in range(m):
        p = max(range(c, m), key=lambda r: abs(a[r][c]))
        a[c], a[p] = a[p], a[c]
        for r in range(c + 1, m):
            k = a[r][c] / a[c][c]
            for j in range(c, m + 1):
                a[r][j] -= k * a[c][j]
    xs = [0.0] * m
    for r in reversed(range(m)):
        xs[r] = (a[r][m] - sum(a[r][j] * xs[j] for j in range(r + 1, m))) / a[r][r]
    return xs


def power(fr):
    """Fraction of the variance a mean plus one sinusoid explains."""
    cols = [[1.0] * n,
            [math.cos(2 * math.pi * fr * (ti - t[0])) for ti in t],
            [math.sin(2 * math.pi * fr * (ti - t[0])) for ti in t]]
    ata = [[sum(p * q for p, q in zip(ci, cj)) for cj in cols] for ci in cols]
    aty = [sum(p * q for p, q in zip(ci, y)) for ci in cols]
    coef = solve(ata, aty)
    rss = sum((y[i] - sum(coef[k] * cols[k][i] for k in range(3))) ** 2 for i in range(n))
    return 1 - rss / tss


fmax = 10.0
excluded = 1 / period
freqs = []
fr = 1 / span
while fr <= fmax:
    freqs.append(fr)
    fr = max(fr * 1.02, fr + 1 / span)
# Each moved to the nearest multiple of 0.5/span, a point once.
snapped = []
for fr in freqs:
    g = round(fr * 2 * span) / (2 * span)
    if not snapped or g != snapped[-1]:
        snapped.append(g)
sample = [(fr, power(fr)) for fr in snapped if abs(fr - excluded) >= 2 / span]


def neg_log_like(s, a, b):
    f0, r = math.exp(a), math.exp(b)
    g = [r / (1 + (fr / f0) ** 2) + 1 for fr, _ in s]
    c = sum(p / gi for (_, p), gi in zip(s, g)) / len(s)
    return sum(math.log(gi) for gi in g) + len(s) * math.log(c) + len(s), c


def golden(fun, lo, hi, tol=1e-11):
    k = (math.sqrt(5) - 1) / 2
    x1, x2 = hi - k * (hi - lo), lo + k * (hi - lo)
    f1, f2 = fun(x1), fun(x2)
    while hi - lo > tol:
        if f1 < f2:
            hi, x2, f2 = x2, x1, f1
            x1 = hi - k * (hi - lo)
            f1 = fun(x1)
        else:
            lo, x1, f1 = x1, x2, f2
            x2 = lo + k * (hi - lo)
            f2 = fun(x2)
    return (lo + hi) / 2


def fit(s, flow, fhigh):
    a0, a1 = math.log(flow / 10), math.log(fhigh)
    b0, b1 = math.log(1e-2), math.log(1e9)
    steps = 60
    best = min(((a0 + (a1 - a0) * i / steps, b0 + (b1 - b0) * j / steps)
                for i in range(steps + 1) for j in range(steps + 1)),
               key=lambda ab: neg_log_like(s, *ab)[0])
    a, b = best
    da, db = (a1 - a0) / steps, (b1 - b0) / steps
    for _ in range(500):
        a_old, b_old = a, b
        a = golden(lambda v: neg_log_like(s, v, b)[0], a - 2 * da, a + 2 * da)
        b = golden(lambda v: neg_log_like(s, a, v)[0], b - 2 * db, b + 2 * db)
        # Powell's step along the round's displacement: the valley is narrow
        # and slanted, where coordinate steps alone crawl.
        ua, ub = a - a_old, b - b_old
        if math.hypot(ua, ub) < 1e-12:
            break
        t = golden(lambda v: neg_log_like(s, a + v * ua, b + v * ub)[0], -10, 50, 1e-12)
        a, b = a + t * ua, b + t * ub
        if abs(a - a_old) < 1e-11 and abs(b - b_old) < 1e-11:
            break
    c = neg_log_like(s, a, b)[1]
    return c, math.exp(b), math.exp(a)


flow, fhigh = sample[0][0], sample[-1][0]
c, r, f0 = fit(sample, flow, fhigh)
S = lambda fr: c * (r / (1 + (fr / f0) ** 2) + 1)
kept = sample
for _ in range(3):
    S = lambda fr: c * (r / (1 + (fr / f0) ** 2) + 1)
    clipped = [(fr, p) for fr, p in kept if p <= 10 * S(fr)]
    if len(clipped) == len(kept):
        break
    kept = clipped
    c, r, f0 = fit(kept, flow, fhigh)
S = lambda fr: c * (r / (1 + (fr / f0) ** 2) + 1)
with open(f"{out}/rednoise_continuum.txt", "w") as f:
    f.write("%.17g %.17g %.17g %.17g %.17g %d\n" % (fmax, excluded, c, r, f0, len(kept)))

independent = (fmax - 1 / 100.0) * span
with open(f"{out}/rednoise_fap.txt", "w") as f:
    for fr, h, nf in ((1 / period, 1, independent), (1 / period, 2, independent),
                      (1 / period, 3, 1), (0.0123, 1, 1), (0.0123, 3, 1), (0.3141, 1, 1),
                      (2.7183, 2, 1), (0.005, 1, 1), (0.005, 1, independent), (7.77, 4, 1)):
        # The least likely of the first k harmonics, k = 1..h, times h tries.
        tails = []
        for k in range(1, h + 1):
            T = sum(power(j * fr) / S(j * fr) for j in range(1, k + 1))
            tails.append(math.exp(-T) * sum(T ** j / math.factorial(j) for j in range(k)))
        single = min(1.0, h * min(tails))
        fap = -math.expm1(nf * math.log1p(-single)) if single < 1 else 1.0
        f.write("%.17g %d %.17g %.17g\n" % (fr, h, nf, math.log(fap)))
