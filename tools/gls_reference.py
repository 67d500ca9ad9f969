#!/usr/bin/python3
"""Reference values for the period search tests, from an independent
implementation (astropy's LombScargle, Debian's python3-astropy).

Run once, offline; the test suite reads only the numbers it writes:

    tools/gls_reference.py tests/search/data

gls_points.txt   t y dy, one observation a line
gls_power.txt    harmonics weighted frequency power
gls_fap.txt      weighted fmax power fap   (Baluev 2008, one harmonic)
"""
import sys

import numpy as np
from astropy.timeseries import LombScargle
from astropy.timeseries.periodograms.lombscargle import _statistics

out = sys.argv[1] if len(sys.argv) > 1 else "."
rng = np.random.default_rng(20261207)

# Irregular nightly sampling over two seasons, a non-sinusoidal signal, noise,
# and uncertainties that differ from point to point.
n = 240
nights = np.sort(rng.choice(np.arange(0, 520), size=n, replace=True))
t = nights + 0.2 + 0.3 * rng.random(n)
t = np.round(t * 2**20) / 2**20  # exactly representable, also with 2,400,000 added
period = 3.118
phase = 2 * np.pi * t / period
y = 11.0 + 0.4 * np.sin(phase) + 0.15 * np.sin(2 * phase + 0.7) + 0.05 * np.cos(3 * phase)
dy = 0.02 + 0.08 * rng.random(n)
y = y + dy * rng.standard_normal(n)

with open(f"{out}/gls_points.txt", "w") as f:
    for row in zip(t, y, dy):
        f.write("%.17g %.17g %.17g\n" % row)

freqs = np.concatenate([
    np.linspace(0.002, 10.0, 150),
    1 / period + np.linspace(-0.003, 0.003, 25),
    2 / period + np.linspace(-0.003, 0.003, 25),
])
with open(f"{out}/gls_power.txt", "w") as f:
    for h in (1, 2, 3, 4):
        for weighted in (0, 1):
            ls = LombScargle(t, y, dy if weighted else None, fit_mean=True, center_data=True,
                             nterms=h)
            p = ls.power(freqs, method="slow" if h == 1 else "chi2")
            for fr, pw in zip(freqs, p):
                f.write("%d %d %.17g %.17g\n" % (h, weighted, fr, pw))

with open(f"{out}/gls_fap.txt", "w") as f:
    for weighted in (0, 1):
        # The formula itself: LombScargle.false_alarm_probability would first
        # move fmax onto its own automatic grid.
        for fmax in (2.0, 20.0):
            for z in (0.02, 0.05, 0.08, 0.12, 0.2, 0.5):
                fap = _statistics.fap_baluev(z, fmax, t, y, dy if weighted else None)
                f.write("%d %.17g %.17g %.17g\n" % (weighted, fmax, z, fap))
