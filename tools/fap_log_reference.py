#!/usr/bin/python3
"""Reference logarithms of the GLS false-alarm probability (Baluev 2008, one
harmonic) far below the smallest double, for tests/search/tst_searchstatistics.

Plain Python: the probability 1 - (1 - single) exp(-tau) is evaluated in
decimal arithmetic with 1200 digits, where nothing underflows, and only its
base-10 logarithm is written. The moderate rows of gls_fap.txt (from astropy)
are recomputed first, as a check of the formula itself.

    tools/fap_log_reference.py tests/search/data

gls_logfap.txt   weighted fmax power log10(fap)
"""
import math
import sys
from decimal import Decimal, getcontext

getcontext().prec = 1200
folder = sys.argv[1] if len(sys.argv) > 1 else "."

t, dy = [], []
with open(f"{folder}/gls_points.txt") as f:
    for line in f:
        a, _, c = line.split()
        t.append(float(a))
        dy.append(float(c))
n = len(t)


def fap(z, fmax, weighted):
    w = [1 / (e * e) if weighted else 1.0 for e in dy]
    s = sum(w)
    w = [x / s for x in w]
    mean = sum(wi * ti for wi, ti in zip(w, t))
    var = sum(wi * (ti - mean) ** 2 for wi, ti in zip(w, t))
    nh, nk = n - 1, n - 3
    z = Decimal(repr(z))
    single = (1 - z) ** (Decimal(nk) / 2)
    log_gamma = math.lgamma(nh / 2) - math.lgamma((nk + 1) / 2)  # a moderate number
    tau = (Decimal(repr(fmax * math.sqrt(4 * math.pi * var))) * Decimal(repr(math.exp(log_gamma)))
           * z.sqrt() * (1 - z) ** (Decimal(nk - 1) / 2))
    return 1 - (1 - single) * (-tau).exp()


with open(f"{folder}/gls_fap.txt") as f:
    for line in f:
        weighted, fmax, z, expected = (float(x) for x in line.split())
        got = float(fap(z, fmax, weighted != 0))
        assert abs(got - expected) <= 1e-6 * expected + 1e-15, (z, fmax, got, expected)

with open(f"{folder}/gls_logfap.txt", "w") as f:
    for weighted in (0, 1):
        for fmax in (2.0, 20.0):
            for z in (0.9, 0.99, 0.995, 0.999, 0.9999):
                p = fap(z, fmax, weighted != 0)
                f.write("%d %.17g %.17g %.17g\n" % (weighted, fmax, z, float(p.log10())))
