#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks a page printed through the print system against the same card written directly as
a PDF by the program (whose text layer holds the glyphs):

  cups_page_check.py <printed.pdf> <direct.pdf> <work folder>

- the printed file has one page, and the card's long side runs along the page's long side
  (a landscape page, also when the print system hands it over turned on portrait paper);
- its ink lies where the direct PDF has it (margins within 6 points): the card centred alike;
- the words with Γ and ² look the same on both pages, glyph for glyph (the print system's
  PDF may carry no text layer, so the glyphs are compared as pixels).
Pages are rendered at 144 dpi, two pixels to the point. Exit status 1 on a failed check."""
import re
import subprocess
import sys

SCALE = 2  # pixels to the point

def render(pdf, stem):
    subprocess.run(["pdftoppm", "-r", str(72 * SCALE), "-gray", "-singlefile", pdf, stem], check=True)
    data = open(stem + ".pgm", "rb").read()
    fields = re.match(rb"P5\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    w, h = int(fields[1]), int(fields[2])
    pixels = data[fields.end():]
    ink = {(i % w, i // w) for i, v in enumerate(pixels[: w * h]) if v < 160}
    return w, h, ink


def box(ink):
    xs = [x for x, _ in ink]
    ys = [y for _, y in ink]
    return min(xs), min(ys), max(xs), max(ys)


def matched(a, b, within=None):
    """Share of a's ink pixels (inside within, when given) with ink of b one pixel away."""
    if within:
        a = {(x, y) for x, y in a if within[0] <= x <= within[2] and within[1] <= y <= within[3]}
    if not a:
        return 0.0
    near = sum(1 for x, y in a if any((x + dx, y + dy) in b for dx in (-1, 0, 1) for dy in (-1, 0, 1)))
    return near / len(a)


def cells(corners, word):
    """The character cells of a word of the fixed-pitch font, from its box in points."""
    x0, y0, x1, y1 = (float(c) * SCALE for c in corners)
    step = (x1 - x0) / len(word)
    return [(ch, (round(x0 + i * step), round(y0), round(x0 + (i + 1) * step), round(y1)))
            for i, ch in enumerate(word)]


def fail(what):
    print("FAILED:", what)
    sys.exit(1)


def main():
    printed, direct, work = sys.argv[1:4]
    pages = re.search(r"^Pages:\s+(\d+)", subprocess.run(["pdfinfo", printed], capture_output=True,
                                                         text=True).stdout, re.M)
    if not pages or pages[1] != "1":
        fail(f"{pages[1] if pages else 'no'} pages instead of one")
    pw, ph, pink = render(printed, work + "/printed")
    dw, dh, dink = render(direct, work + "/direct")
    if not pink:
        fail("the printed page is blank")
    bx0, by0, bx1, by1 = box(pink)
    long_side_across = (bx1 - bx0) > (by1 - by0)
    if long_side_across != (pw > ph):
        fail(f"the card's long side runs across the page's short side ({pw}x{ph} page)")
    # The printed page as the direct one lies: turned back when it came on portrait paper.
    turns = [pink] if pw > ph else [{(ph - 1 - y, x) for x, y in pink}, {(y, pw - 1 - x) for x, y in pink}]
    dbox = box(dink)
    best = max(turns, key=lambda t: matched(dink, t))
    pbox = box(best)
    print(f"page {pw}x{ph}, direct {dw}x{dh}; ink at {pbox} printed, {dbox} direct")
    if max(abs(p - d) for p, d in zip(pbox, dbox)) > 6 * SCALE:
        fail("the card is not placed as on the direct page")
    # Centred: the picture keeps a gap beside the text and the button strip's room below it, so
    # the ink's margins differ by less than 30 points.
    margins = (dbox[0], dw - 1 - dbox[2], dbox[1], dh - 1 - dbox[3])
    if abs(margins[0] - margins[1]) > 30 * SCALE or abs(margins[2] - margins[3]) > 30 * SCALE:
        fail(f"the card is not centred: margins {margins}")
    dx, dy = dbox[0] - pbox[0], dbox[1] - pbox[1]
    aligned = {(x + dx, y + dy) for x, y in best}
    whole = matched(dink, aligned), matched(aligned, dink)
    print(f"ink matched: {whole[0]:.3f} of the direct page's, {whole[1]:.3f} of the printed")
    if min(whole) < 0.9:
        fail("the printed page does not show the card")
    words = subprocess.run(["pdftotext", "-bbox", direct, "-"], capture_output=True, text=True).stdout
    glyph_words = re.findall(r'xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*[Γ²][^<]*)<',
                             words)
    if len(glyph_words) != 3:
        fail(f"the direct page should hold three words with Γ or ², not {len(glyph_words)}")
    for *corners, word in glyph_words:
        for ch, area in cells(corners, word):
            local = matched(dink, aligned, area), matched(aligned, dink, area)
            if ch in "Γ²":
                print(f"{ch} in {word}: {local[0]:.3f} / {local[1]:.3f}")
            if min(local) < 0.9:
                fail(f"{ch} of {word} is not printed as on the direct page")

main()
