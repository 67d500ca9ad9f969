#!/usr/bin/python3
"""Times astropy's Lomb-Scargle on the grids of the search benchmark
(bench/bench_search.cpp), under whatever load the machine has at the moment,
so that the benchmark's figures can be set beside the reference's, measured
side by side: the N = 10,000 x M = 100,000 case (fast and exact; the exact
method on a slice of the grid, scaled up), the fast (approximate) method for
N = 1k, 10k, 100k and M = 100k, 1M, 10M, and, given the two-column file that
`varilume_search_bench --archive FILE` writes, the synthetic delta Cep
archive on its default grid (0.05 d to half the span, oversampling 10).

    tools/astropy_timing.py [ARCHIVE_FILE]
"""
import sys
import time

import numpy as np
from astropy.timeseries import LombScargle


def star(n, span=1000.0):
    rng = np.random.default_rng(12)
    t = 2460000 + rng.uniform(0, span, n)
    y = 12 + 0.4 * np.sin(2 * np.pi * t / 3.118) + rng.normal(0, 0.05, n)
    return t, y


def grid(t, m, fmin=0.01):
    step = 1 / (10 * (t.max() - t.min()))
    return fmin + step * np.arange(m)


def best(fn, repeats=3):
    times = []
    for _ in range(repeats):
        t0 = time.perf_counter()
        fn()
        times.append(time.perf_counter() - t0)
    return min(times)


t, y = star(10_000)
f = grid(t, 100_000)
ls = LombScargle(t, y)
fast = best(lambda: ls.power(f, method="fast"))
part = 2000
exact = best(lambda: ls.power(f[:part], method="cython"), 1) * len(f) / part
print(f"astropy fast  N=10000 M=100000: {fast:.3f} s", flush=True)
print(f"astropy exact N=10000 M=100000: {exact:.1f} s (from {part} frequencies)", flush=True)

for n in (1_000, 10_000, 100_000):
    t, y = star(n)
    ls = LombScargle(t, y)
    for m in (100_000, 1_000_000, 10_000_000):
        f = grid(t, m)
        s = best(lambda: ls.power(f, method="fast"), 2 if m <= 1_000_000 else 1)
        print(f"astropy fast  N={n} M={m}: {s:.3f} s", flush=True)

if len(sys.argv) > 1:
    data = np.loadtxt(sys.argv[1])
    t, y = data[:, 0], data[:, 1]
    span = t.max() - t.min()
    fmin, fmax = 2 / span, 1 / 0.05
    step = 1 / (10 * span)
    f = fmin + step * np.arange(int(np.floor((fmax - fmin) / step)) + 1)
    ls = LombScargle(t, y)
    s = best(lambda: ls.power(f, method="fast"), 1)
    print(f"astropy fast  delta Cep archive N={len(t)} M={len(f)}: {s:.2f} s", flush=True)
    ls4 = LombScargle(t, y, nterms=4)
    s = best(lambda: ls4.power(f, method="fastchi2"), 1)
    print(f"astropy fastchi2 (4 terms) delta Cep archive N={len(t)} M={len(f)}: {s:.2f} s",
          flush=True)
