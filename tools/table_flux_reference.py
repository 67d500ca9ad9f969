#!/usr/bin/env python3
"""Reference numbers for tests/import/tst_tablereader.cpp: fluxes to AB
magnitudes and their uncertainties, computed independently of the reader.

mag = zp - 2.5 log10(flux), err = 2.5 / ln(10) * flux_err / flux.
"""
import math

def mag(zp, flux, err):
    return zp - 2.5 * math.log10(flux), 2.5 / math.log(10) * err / flux

# flux_mjy.csv: mJy, so zp = 16.40 (AB: 8.90 for Jy, + 7.5 for mJy).
for f, e in [(10.0, 0.1), (2.5, 0.05)]:
    print("mJy  flux %-6g -> mag %.12f err %.12f" % ((f,) + mag(16.40, f, e)))
# epoch_phot.csv: the magnitude is given; only the uncertainty comes from the flux.
for f, e in [(200000.0, 1000.0), (120000.0, 1200.0)]:
    print("gaia flux %-8g -> err %.12f" % (f, mag(0, f, e)[1]))
# The FITS light curve written by the test: zp 0, e-/s.
for f, e in [(10000.0, 10.0), (12500.0, 25.0)]:
    print("fits flux %-8g -> mag %.12f err %.12f" % ((f,) + mag(0, f, e)))
