#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the distribution table that tests/evaluator reads, with high-precision references.

Usage: tools/distribution_reference.py BUILD/bin/numerella-eval > tests/evaluator/distributions.tsv

Each row is computed by the given numerella-eval and written as: the formula, the exact double
it gives (hexadecimal) or "error", the number of notices, and the true value to ten digits from
mpmath (python3-mpmath), "-" where the function has none. On standard error, each row's relative
error against the true value; rows computed outside 1e-6 of it are marked "OFF". The rows hold
central arguments of every distribution up to the edges of its accurate range, both sides of
every edge, and arguments whose results are no probability.
"""
import json
import math
import subprocess
import sys

import mpmath as mp

mp.mp.dps = 40
def _beta_series(a, b, x):
    s = term = mp.mpf(1); k = 0
    while term > s * mp.mpf(10) ** (-mp.mp.dps):
        term *= (a + b + k) * x / (a + 1 + k); k += 1; s += term
    return mp.exp(a * mp.log(x) + b * mp.log1p(-x) - mp.log(a) - mp.loggamma(a) - mp.loggamma(b) + mp.loggamma(a + b)) * s
def _peak_quad(logf, lo, hi, mode, sd):
    pts = sorted(set([lo, hi] + [mode + k * sd for k in range(-60, 61, 2) if lo < mode + k * sd < hi]))
    return mp.quad(lambda t: mp.exp(logf(t)), pts)
def betainc(a, b, x):
    a, b, x = mp.mpf(a), mp.mpf(b), mp.mpf(x)
    if x <= 0: return mp.mpf(0)
    if x >= 1: return mp.mpf(1)
    if x * (a + b) < (a + 1) / 2: return _beta_series(a, b, x)
    if (1 - x) * (a + b) < (b + 1) / 2: return 1 - _beta_series(b, a, 1 - x)
    if a + b < 100: return mp.betainc(a, b, 0, x, regularized=True)
    lb = mp.loggamma(a) + mp.loggamma(b) - mp.loggamma(a + b)
    logf = lambda t: (a - 1) * mp.log(t) + (b - 1) * mp.log1p(-t) - lb
    mode = (a - 1) / (a + b - 2); sd = mp.sqrt(a * b / ((a + b) ** 2 * (a + b + 1)))
    if x < mode: return _peak_quad(logf, max(mp.mpf(0), mode - 80 * sd), x, mode, sd)
    return 1 - _peak_quad(logf, x, min(mp.mpf(1), mode + 80 * sd), mode, sd)
def gammap(a, x):
    a, x = mp.mpf(a), mp.mpf(x)
    if x <= 0: return mp.mpf(0)
    if a < 100: return mp.gammainc(a, 0, x, regularized=True)
    logf = lambda t: (a - 1) * mp.log(t) - t - mp.loggamma(a)
    mode = a - 1; sd = mp.sqrt(a)
    if x < mode: return _peak_quad(logf, max(mp.mpf(0), mode - 80 * sd), x, mode, sd)
    return 1 - _peak_quad(logf, x, mode + 80 * sd, mode, sd)
def ref(name, args):
    v = [mp.mpf(s) for s in args]
    if name in ('D_B', 'C_B', 'D_P', 'C_P'): v = [abs(t) for t in v]
    lg = mp.loggamma
    if name == 'D_B':
        k, n, p = v; return mp.exp(lg(n + 1) - lg(n - k + 1) - lg(k + 1) + k * mp.log(p) + (n - k) * mp.log1p(-p))
    if name == 'C_B':
        k, n, p = v; return betainc(n - k, k + 1, 1 - p) if k < n else mp.mpf(1)
    if name == 'D_P':
        k, m = v; return mp.exp(k * mp.log(m) - lg(k + 1) - m)
    if name == 'C_P':
        k, m = v; return 1 - gammap(k + 1, m)
    x, n = abs(v[0]) if name != 'D_T' and name != 'C_T' else v[0], abs(v[1])
    if name == 'D_X2':
        h, y = n / 2, x / 2; return mp.exp(h * mp.log(y) - lg(h) - y) / (2 * y)
    if name == 'C_X2':
        return gammap(n / 2, x / 2)
    if name == 'D_T':
        return mp.exp(lg((n + 1) / 2) - lg(n / 2) - (n + 1) / 2 * mp.log1p(x * x / n)) / mp.sqrt(n * mp.pi)
    if name == 'C_T':
        t = betainc(n / 2, mp.mpf(1) / 2, n / (n + x * x)) / 2; return 1 - t if x > 0 else t
    n2 = abs(v[2]); h1, h2 = n / 2, n2 / 2
    if name == 'D_F':
        return mp.exp(lg(h1 + h2) - lg(h1) - lg(h2) + h1 * mp.log(n / n2) + (h1 - 1) * mp.log(x) - (h1 + h2) * mp.log1p(x * n / n2))
    if name == 'C_F':
        return 1 - betainc(h2, h1, n2 / (n2 + n * x))


def fmt(v):
    return ('%.10G' % v).replace('E+', 'E')


def rows():
    out = []
    add = lambda name, *args: out.append('%s(%s)' % (name, ','.join(fmt(a) for a in args)))
    # Central arguments, growing sizes up to each accurate range's edge.
    for n in (10, 100, 1e4, 1e6, 1e8):
        for p in (0.5, 0.1):
            sd = math.sqrt(n * p * (1 - p))
            for k in (math.floor(n * p - sd), math.floor(n * p + 2 * sd)):
                add('D_B', k, n, p)
                add('C_B', k, n, p)
        for x in (n - math.sqrt(2 * n), n + 2 * math.sqrt(2 * n)):
            add('D_X2', x, n)
            add('D_P', math.floor(x), n)
        for x in (0.5, -1.5, 2.5):
            add('D_T', x, n)
            add('C_T', x, n)
        for n1, n2, x in ((n, n, 1 - math.sqrt(4 / n)), (n, 5, 2), (5, n, 0.5), (n, 0.01, 0.5)):
            add('D_F', x, n1, n2)
            if n <= 1e6:
                add('C_F', x, n1, n2)
    for m in (3, 30, 250):
        for k in (m - math.sqrt(m), m, m + 2 * math.sqrt(m)):
            add('C_P', math.floor(k), m)
            add('C_X2', 2 * k, 2 * m)
    for x in (0.1, 1, 3):  # tiny degrees of freedom
        for n in (1e-8, 1e-3):
            add('C_T', x, n)
            add('D_T', x, n)
            add('C_X2', x, n)
            add('D_X2', x, n)
            add('D_F', x, n, n)
        add('C_F', x, 1e-3, 1e-3)
        add('C_F', x, 1e6, 1e-3)
        add('C_F', x, 1e-3, 1e6)
    # Both sides of every edge; negative sizes count as their absolute values.
    for low, high in ((1e8, 1.000001e8), (-1e8, -1.000001e8)):
        for n in (low, high):
            add('D_B', n / 2, n, 0.5)
            add('C_B', n / 2, n, 0.5)
            add('D_P', n, n)
            add('D_X2', n, n)
            add('D_T', 1, n)
            add('C_T', 1, n)
            add('D_F', 1, n, 10)
            add('D_F', 1, 10, n)
    for n in (1e-8, 9.99e-9):
        for f in ('D_X2', 'C_X2', 'D_T', 'C_T'):
            add(f, 1, n)
        add('D_F', 1, n, 10)
        add('D_F', 1, 10, n)
    for m in (250, 250.001):
        add('C_P', m, m)
        add('C_X2', 2 * m, 2 * m)
    for n in (1e-3, 9.99e-4, 1e6, 1.000001e6):
        add('C_F', 1, n, 10)
        add('C_F', 1, 10, n)
    add('C_X2', 3, 0)  # no degrees of freedom: all the mass at 0
    # Results that are no probability, within the accurate sizes (counts above n) and beyond.
    for k, n, p in ((1.5, 1, 0.99), (0.6, 0.5, 0.9), (5.4, 5, 0.99), (2.1, 1, 0.99), (8.7, 5, 0.9)):
        add('D_B', k, n, p)
        add('C_B', k, n, p)
    out += ['C_F(1,1E16,1E16)', 'C_B(5E14,1E15,.5)', 'C_T(1,1E15)', 'C_F(1E-8,1E8,1E-8)']
    # Iterations stopped at their bound give a notice, whatever the outcome.
    out += ['C_X2(20003,20000)', 'C_P(9999,10001.5)', 'C_X2(1E9,1E9)', 'C_F(1,2E14,2E14)']
    # Results at 1 within ln gamma's error still show as 1.
    out += ['D_B(0,5,0)', 'D_P(0,1E-12)', 'D_B(0,5,1E-12)']
    return out


def main():
    formulas = rows()
    run = subprocess.run([sys.argv[1], '--json', '-'], input='\n'.join(formulas) + '\n',
                         capture_output=True, text=True, check=False)
    print('# formula\texpected (exact double or error)\tnotices\ttrue value (mpmath)')
    for line in run.stdout.splitlines():
        j = json.loads(line)
        name, args = j['input'].split('(')
        try:
            true = ref(name, args.rstrip(')').split(','))
            true = true if mp.im(true) == 0 and not mp.isnan(true) else None
        except (ValueError, ZeroDivisionError):
            true = None
        got = 'error' if j['eval_error'] else float.hex(j['value'])
        shown = '-' if true is None else mp.nstr(mp.re(true), 10)
        print('%s\t%s\t%d\t%s' % (j['input'], got, len(j['messages']), shown))
        if true is not None and not j['eval_error'] and true != 0:
            rel = abs((mp.mpf(j['value']) - true) / true)
            mark = ' OFF' if rel > 1e-6 else ''
            print('%-28s %-24r %-16s %.1e%s' % (j['input'], j['value'], shown, float(rel), mark),
                  file=sys.stderr)


if __name__ == '__main__':
    main()
