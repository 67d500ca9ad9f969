#!/usr/bin/python3
"""Reference values for the model curve the plot draws and the fit window
saves, in plain Python (no numpy needed): the series of the RRab-like star at
order 4, unweighted, with the coefficients and the epoch of maximum that
tools/fit_reference.py found with numpy.linalg.lstsq, evaluated here term by
term at the times the curve and the plot ask for.

Run once, offline; the test reads only the numbers it writes:

    /usr/bin/python3 tools/model_curve_reference.py tests/search/data tests/export/data

model_curve.txt   curve i value    the model at epoch_max + P i / 8
                  plot x value     the model at MID_JD + x P (plot phase x)
"""
import math
import sys

data = sys.argv[1] if len(sys.argv) > 1 else "tests/search/data"
out = sys.argv[2] if len(sys.argv) > 2 else "tests/export/data"
P = 0.5668
F = 1 / P
K = 4
MID_JD = 2460400.5

times = [float(line.split()[0]) for line in open(f"{data}/fit_rrab.txt")]
tm = 0.5 * (min(times) + max(times))
beta = [0.0] * (2 * K + 1)
for line in open(f"{data}/fourier_linear.txt"):
    order, weighted, kind, i, _, value = line.split()
    if int(order) == K and int(weighted) == 0 and int(kind) == 0:
        beta[int(i)] = float(value)
epoch = None
for line in open(f"{data}/fourier_derived.txt"):
    order, weighted, name, value, _ = line.split()
    if int(order) == K and int(weighted) == 0 and name == "epoch_max":
        epoch = float(value)


def model(t):
    # The phase from tm, its whole turns dropped before the angle is formed.
    turns = F * (t - tm)
    theta = 2 * math.pi * (turns - math.floor(turns))
    v = beta[0]
    for k in range(1, K + 1):
        v += beta[2 * k - 1] * math.cos(k * theta) + beta[2 * k] * math.sin(k * theta)
    return v


with open(f"{out}/model_curve.txt", "w") as f:
    for i in range(8):
        f.write("curve %d %.17g\n" % (i, model(epoch + P * i / 8)))
    for x in (-1.0, -0.5, -0.125, 0.0, 0.37, 0.5, 0.995):
        f.write("plot %.17g %.17g\n" % (x, model(MID_JD + x * P)))
