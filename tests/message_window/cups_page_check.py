#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""cups_page_check.py <printed.pdf> <direct.pdf> <work folder>: the card printed through the
print system has one page whose ink lies where the card written directly by the program has it
(within 6 points, pixel for pixel alike), also when handed over turned on portrait paper."""
import re
import subprocess
import sys

SCALE = 2  # pixels to the point: pages rendered at 144 dpi

def render(pdf, stem):
    subprocess.run(["pdftoppm", "-r", str(72 * SCALE), "-gray", "-singlefile", pdf, stem], check=True)
    data = open(stem + ".pgm", "rb").read()
    head = re.match(rb"P5\s+(\d+)\s+(\d+)\s+\d+\s", data)
    w, h = int(head[1]), int(head[2])
    return w, h, {(i % w, i // w) for i, v in enumerate(data[head.end():][: w * h]) if v < 160}

def box(ink):
    return min(x for x, _ in ink), min(y for _, y in ink), max(x for x, _ in ink), max(y for _, y in ink)

def matched(a, b):
    """Share of a's ink pixels with ink of b at most one pixel away."""
    return sum(any((x + dx, y + dy) in b for dx in (-1, 0, 1) for dy in (-1, 0, 1)) for x, y in a) / len(a)

def check(printed, direct, work):
    pages = re.search(r"^Pages:\s+(\d+)", subprocess.run(["pdfinfo", printed], capture_output=True,
                                                         text=True).stdout, re.M)
    if not pages or pages[1] != "1":
        return "not one page"
    pw, ph, pink = render(printed, work + "/printed")
    dw, dh, dink = render(direct, work + "/direct")
    # The printed page as the direct one lies: turned back when it came on portrait paper.
    turns = [pink] if pw > ph else [{(ph - 1 - y, x) for x, y in pink}, {(y, pw - 1 - x) for x, y in pink}]
    best = max(turns, key=lambda t: matched(dink, t))
    pbox, dbox = box(best), box(dink)
    if max(abs(p - d) for p, d in zip(pbox, dbox)) > 6 * SCALE:
        return f"the card is at {pbox} on a {pw}x{ph} page, not at {dbox} as on a {dw}x{dh} one"
    aligned = {(x + dbox[0] - pbox[0], y + dbox[1] - pbox[1]) for x, y in best}
    if min(matched(dink, aligned), matched(aligned, dink)) < 0.9:
        return "the printed page does not show the card"

failure = check(*sys.argv[1:4])
if failure:
    sys.exit("FAILED: " + failure)
