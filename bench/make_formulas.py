# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes N typical formulas, one per line, for the throughput measurement: the formulas of
formula_mix.txt in turn (the numerella-eval benchmark reads the same file)."""
import os
import sys

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "formula_mix.txt")) as f:
    FORMULAS = [line.rstrip("\n") for line in f if line.strip()]
count = int(sys.argv[1])
out = sys.stdout
for i in range(count):
    out.write(FORMULAS[i % len(FORMULAS)] + "\n")
