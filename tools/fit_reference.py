#!/usr/bin/python3
"""Reference values for the light-curve model tests (Fourier fit,
multi-frequency fit, O-C ephemerides), computed independently with numpy:
the linear fits by numpy.linalg.lstsq (SVD), the covariances from the SVD of
the weighted design, the non-linear fits by a plain Gauss-Newton on lstsq run
to full convergence, and the errors of derived quantities by central
differences (not by the derivatives the program uses).

Run once, offline; the test suite reads only the numbers it writes:

    /usr/bin/python3 tools/fit_reference.py tests/search/data

fit_rrab.txt          t y dy                 an RRab-like star (three seasons)
fit_rrab_truth.txt    name value             the shape it was made with
fourier_linear.txt    order weighted kind i j value   (kind 0: coefficient i, 1: covariance i j)
fourier_derived.txt   order weighted name value sigma
fourier_free.txt      order weighted kind i j value   (frequency free: last parameter)
fit_twomode.txt       t y dy                 a double-mode Cepheid
multi_start.txt       f                      start frequencies
multi_fit.txt         kind i j value         (c, a_j, b_j, f_j; all free)
oc_table.txt          cycle oc sigma
oc_fit.txt            degree kind i j value
"""
import sys

import numpy as np

out = sys.argv[1] if len(sys.argv) > 1 else "."
rng = np.random.default_rng(20261207)
TWO_PI = 2 * np.pi


def write(name, rows):
    with open(f"{out}/{name}", "w") as f:
        for row in rows:
            f.write(" ".join("%.17g" % v if isinstance(v, float) else str(v) for v in row) + "\n")


def exact(t):
    """Times that keep their value with 2,400,000 added or taken away."""
    return np.round(t * 2**20) / 2**20


def seasons(n, years, start=2460000.0, season_days=200):
    days = []
    while len(days) < n:
        d = rng.uniform(0, 365.25 * years)
        if d % 365.25 < season_days:
            days.append(d)
    return exact(start + np.sort(np.array(days)) + 0.1 * rng.random(n))


# --- Fourier fit -----------------------------------------------------------

P_RR = 0.5668
F_RR = 1 / P_RR
# Sine-series shape: A_k, phi_k (about epoch T0), an RRab-like saw tooth.
A_TRUE = np.array([0.38, 0.19, 0.125, 0.085, 0.055, 0.035, 0.022, 0.013])
PHI_TRUE = np.array([1.40, 1.10, 5.20, 3.10, 1.00, 5.30, 3.40, 1.60])
T0_TRUE = 2460000.1234


def rrab_mag(t):
    m = 15.2 + np.zeros_like(t)
    for k, (a, p) in enumerate(zip(A_TRUE, PHI_TRUE), start=1):
        m += a * np.sin(TWO_PI * k * F_RR * (t - T0_TRUE) + p)
    return m


n = 420
t = seasons(n, 3)
dy = 0.015 + 0.03 * rng.random(n)
y = rrab_mag(t) + dy * rng.standard_normal(n)
write("fit_rrab.txt", zip(t, y, dy))
wrap = lambda a: np.mod(a, TWO_PI)
write("fit_rrab_truth.txt", [
    ("R21", A_TRUE[1] / A_TRUE[0]), ("R31", A_TRUE[2] / A_TRUE[0]),
    ("phi21", wrap(PHI_TRUE[1] - 2 * PHI_TRUE[0])), ("phi31", wrap(PHI_TRUE[2] - 3 * PHI_TRUE[0])),
    ("period", P_RR)])
tm = 0.5 * (t.min() + t.max())
x = t - tm


def design(f, K, xx=x):
    cols = [np.ones_like(xx)]
    for k in range(1, K + 1):
        cols += [np.cos(TWO_PI * k * f * xx), np.sin(TWO_PI * k * f * xx)]
    return np.column_stack(cols)


def solve(A, yy, sw):
    """Weighted least squares by lstsq; covariance from the SVD, scaled by s^2."""
    Aw, yw = A * sw[:, None], yy * sw
    beta, *_ = np.linalg.lstsq(Aw, yw, rcond=None)
    r = yw - Aw @ beta
    s2 = r @ r / (len(yy) - A.shape[1])
    _, sv, vt = np.linalg.svd(Aw, full_matrices=False)
    cov = (vt.T / sv**2) @ vt * s2
    return beta, cov, r @ r


def series(beta, K, th):
    v = beta[0]
    for k in range(1, K + 1):
        v = v + beta[2 * k - 1] * np.cos(k * th) + beta[2 * k] * np.sin(k * th)
    return v


def extreme(beta, K, lo, sign):
    th = lo + TWO_PI * np.arange(200000) / 200000
    best = th[np.argmin(sign * series(beta, K, th))]
    for _ in range(60):
        d1 = sum(k * (beta[2 * k] * np.cos(k * best) - beta[2 * k - 1] * np.sin(k * best))
                 for k in range(1, K + 1))
        d2 = -sum(k * k * (beta[2 * k - 1] * np.cos(k * best) + beta[2 * k] * np.sin(k * best))
                  for k in range(1, K + 1))
        best -= d1 / d2
    return best


def derived(params, K, free):
    f = params[-1] if free else F_RR
    beta = params[:2 * K + 1]
    th_max = extreme(beta, K, -np.pi, 1)
    th_min = extreme(beta, K, th_max, -1)
    v = {"mean": beta[0],
         "amplitude_pp": series(beta, K, th_min) - series(beta, K, th_max),
         # From tm: differences of full JDs would lose nine digits.
         "epoch_max": th_max / (TWO_PI * f), "epoch_min": th_min / (TWO_PI * f)}
    psi = [None] + [np.arctan2(beta[2 * k - 1], beta[2 * k]) for k in range(1, K + 1)]
    amp = [None] + [np.hypot(beta[2 * k - 1], beta[2 * k]) for k in range(1, K + 1)]
    for k in range(1, K + 1):
        v["A%d" % k] = amp[k]
        v["phi%d" % k] = wrap(psi[k] + k * th_max)
    if K >= 3:
        v["R21"], v["R31"] = amp[2] / amp[1], amp[3] / amp[1]
        v["phi21"], v["phi31"] = wrap(psi[2] - 2 * psi[1]), wrap(psi[3] - 3 * psi[1])
    return v


def derived_errors(params, cov, K, free):
    base = derived(params, K, free)
    sig = np.sqrt(np.diag(cov))
    jac = {name: np.zeros(len(params)) for name in base}
    for j in range(len(params)):
        h = 1e-3 * sig[j]
        up, dn = params.copy(), params.copy()
        up[j] += h
        dn[j] -= h
        vu, vd = derived(up, K, free), derived(dn, K, free)
        for name in base:
            diff = vu[name] - vd[name]
            if name.startswith("phi"):
                diff = (diff + np.pi) % TWO_PI - np.pi
            jac[name][j] = diff / (2 * h)
    return [(name, base[name] + (tm if name.startswith("epoch") else 0),
             float(np.sqrt(jac[name] @ cov @ jac[name]))) for name in base]


def gauss_newton(params, jacobian, iterations=100):
    for _ in range(iterations):
        J, r, sw = jacobian(params)
        step, *_ = np.linalg.lstsq(J * sw[:, None], r * sw, rcond=None)
        params = params + step
        if np.all(np.abs(step) <= 1e-15 * np.maximum(np.abs(params), 1e-300)):
            break
    J, r, sw = jacobian(params)
    Jw, rw = J * sw[:, None], r * sw
    s2 = rw @ rw / (len(r) - J.shape[1])
    _, sv, vt = np.linalg.svd(Jw, full_matrices=False)
    return params, (vt.T / sv**2) @ vt * s2


def fourier_jacobian(K):
    def jac(params):
        f, beta = params[-1], params[:-1]
        A = design(f, K)
        slope = sum(k * (beta[2 * k] * np.cos(TWO_PI * k * f * x)
                         - beta[2 * k - 1] * np.sin(TWO_PI * k * f * x)) for k in range(1, K + 1))
        return np.column_stack([A, TWO_PI * x * slope]), y - A @ beta, 1 / dy
    return jac


linear_rows, derived_rows, free_rows = [], [], []
for K in (1, 4, 8, 12):
    for weighted in (0, 1):
        sw = 1 / dy if weighted else np.ones(n)
        beta, cov, _ = solve(design(F_RR, K), y, sw)
        linear_rows += [(K, weighted, 0, i, 0, float(b)) for i, b in enumerate(beta)]
        linear_rows += [(K, weighted, 1, i, j, float(cov[i, j]))
                        for i in range(len(beta)) for j in range(len(beta))]
        if K in (4, 8):
            derived_rows += [(K, weighted, nm, float(v), s)
                             for nm, v, s in derived_errors(beta, cov, K, False)]
for K in (4, 8):
    beta, _, _ = solve(design(F_RR, K), y, 1 / dy)
    params, cov = gauss_newton(np.append(beta, F_RR * (1 + 2e-6)), fourier_jacobian(K))
    free_rows += [(K, 1, 0, i, 0, float(p)) for i, p in enumerate(params)]
    free_rows += [(K, 1, 1, i, j, float(cov[i, j]))
                  for i in range(len(params)) for j in range(len(params))]
    derived_rows += [(K, 2, nm, float(v), s) for nm, v, s in derived_errors(params, cov, K, True)]
write("fourier_linear.txt", linear_rows)
write("fourier_derived.txt", derived_rows)
write("fourier_free.txt", free_rows)

# --- Multi-frequency fit: a double-mode Cepheid ----------------------------

P0 = 4.5
P1 = 0.746 * P0
f0, f1 = 1 / P0, 1 / P1
terms = [(f0, 0.25, 0.4), (f1, 0.18, 2.1), (2 * f0, 0.08, 4.0), (f0 + f1, 0.04, 1.3)]
n = 700
t = seasons(n, 3, start=2459000.0)
dy = 0.02 + 0.01 * rng.random(n)
y = 9.8 + sum(a * np.sin(TWO_PI * fr * (t - 2459000.0) + p) for fr, a, p in terms)
y = y + dy * rng.standard_normal(n)
write("fit_twomode.txt", zip(t, y, dy))
tm = 0.5 * (t.min() + t.max())
x = t - tm
start = np.array([fr for fr, _, _ in terms]) * (1 + np.array([3e-5, -2e-5, 1e-5, -1e-5]))
write("multi_start.txt", [(float(s),) for s in start])
N = len(start)


def multi_jacobian(params):
    c, ab, fs = params[0], params[1:2 * N + 1], params[2 * N + 1:]
    cols, fcols, model = [np.ones_like(x)], [], c + 0 * x
    for j in range(N):
        cs, sn = np.cos(TWO_PI * fs[j] * x), np.sin(TWO_PI * fs[j] * x)
        cols += [cs, sn]
        model = model + ab[2 * j] * cs + ab[2 * j + 1] * sn
        fcols.append(TWO_PI * x * (ab[2 * j + 1] * cs - ab[2 * j] * sn))
    return np.column_stack(cols + fcols), y - model, 1 / dy


A = np.column_stack([np.ones_like(x)] + [g(TWO_PI * fr * x) for fr in start for g in (np.cos, np.sin)])
beta, _, _ = solve(A, y, 1 / dy)
params, cov = gauss_newton(np.concatenate([beta, start]), multi_jacobian)
write("multi_fit.txt", [(0, i, 0, float(p)) for i, p in enumerate(params)] +
      [(1, i, j, float(cov[i, j])) for i in range(len(params)) for j in range(len(params))])

# --- O-C ephemerides ---------------------------------------------------------

cycles = np.array([-41, -37, -30, -22, -19, -11, -6, 0, 4, 13, 17, 25, 31, 38])
sig = 0.4 + 1.6 * rng.random(len(cycles))
oc = 1.2 + 0.05 * cycles - 0.004 * cycles**2 + sig * rng.standard_normal(len(cycles))
write("oc_table.txt", zip(cycles, oc, sig))
rows = []
for degree in (1, 2):
    A = np.column_stack([cycles.astype(float) ** d for d in range(degree + 1)])
    beta, cov, _ = solve(A, oc, 1 / sig)
    rows += [(degree, 0, i, 0, float(b)) for i, b in enumerate(beta)]
    rows += [(degree, 1, i, j, float(cov[i, j])) for i in range(degree + 1) for j in range(degree + 1)]
write("oc_fit.txt", rows)
