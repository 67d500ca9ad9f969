#!/usr/bin/python3
"""Times astropy's Lomb-Scargle on the search benchmark's size (N = 10,000,
M = 100,000) under whatever load the machine has at the moment, so that the
benchmark's figures can be set beside the reference's measured side by side.
The exact method is timed on a slice of the grid and scaled up.

    tools/astropy_timing.py
"""
import time

import numpy as np
from astropy.timeseries import LombScargle

rng = np.random.default_rng(12)
n, m, span = 10_000, 100_000, 1000.0
t = 2460000 + rng.uniform(0, span, n)
y = 12 + 0.4 * np.sin(2 * np.pi * t / 3.118) + rng.normal(0, 0.05, n)
step = 1 / (10 * (t.max() - t.min()))
f = 0.01 + step * np.arange(m)
ls = LombScargle(t, y)


def best(fn, repeats=3):
    times = []
    for _ in range(repeats):
        t0 = time.perf_counter()
        fn()
        times.append(time.perf_counter() - t0)
    return min(times)


fast = best(lambda: ls.power(f, method="fast"))
part = 2000
exact = best(lambda: ls.power(f[:part], method="cython"), 1) * m / part
print(f"astropy fast  N={n} M={m}: {fast:.3f} s")
print(f"astropy exact N={n} M={m}: {exact:.1f} s (from {part} frequencies)")
