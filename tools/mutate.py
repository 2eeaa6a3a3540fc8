#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Mutation check: seeds small faults into the product code, one at a time, and counts how
many of them the tests catch.

  tools/mutate.py sample --seed 2026 --count 80 [--out tools/mutation-sample.tsv]
      picks the sites (comparison, arithmetic and boolean operators, dropped '!', numeric
      literals +-1, removed statements) uniformly over every candidate site in the .cpp and .h
      files under src/ and apps/, and writes them with their original and mutated line.
  tools/mutate.py run [--sample FILE] [--build DIR] [--jobs N] [--results FILE]
      for every site: finds its line again (the nearest line with exactly the original text),
      writes the mutant, rebuilds, runs the tests labelled with the file's layer, restores the
      file. A mutant that does not compile is left out of the score; a run that exceeds five
      times the unmutated run counts as caught.
"""
import argparse
import os
import random
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DEFAULT_SAMPLE = ROOT / "tools" / "mutation-sample.tsv"
DEFAULT_BUILD = ROOT / "build-mut"
FIELDS = ["file", "line", "kind", "original", "mutant"]

# Tests to run for a mutated file: the labels of its own layer; a header of a lower layer also
# runs the layer built directly on it.
HEADER_USERS = {"compiler": ["calculation"], "evaluator": ["calculation"]}


def layer_of(path):
    parts = Path(path).parts
    if parts[0] == "src":
        return parts[1]
    if parts[:2] == ("apps", "numerella-eval"):
        return "apps"
    if parts[:2] == ("apps", "numerella"):
        return "main_window"
    raise ValueError(f"no layer for {path}")


def labels_of(path):
    layer = layer_of(path)
    extra = HEADER_USERS.get(layer, []) if path.endswith(".h") else []
    return [layer] + extra


# --- finding the sites ---------------------------------------------------------------------


def code_mask(lines):
    """The lines with comments, string and character literals blanked out (same lengths)."""
    masked, in_block = [], False
    for line in lines:
        out, i, n = list(line), 0, len(line)
        while i < n:
            if in_block:
                end = line.find("*/", i)
                stop = n if end < 0 else end + 2
                out[i:stop] = " " * (stop - i)
                in_block, i = end < 0, stop
                continue
            c = line[i]
            if line.startswith("//", i):
                out[i:] = " " * (n - i)
                break
            if line.startswith("/*", i):
                in_block = True
                continue
            # A quote after a digit is a digit separator (1'000), not a character literal.
            if c == '"' or (c == "'" and not (i > 0 and line[i - 1].isalnum())):
                j = i + 1
                while j < n and line[j] != c:
                    j += 2 if line[j] == "\\" else 1
                out[i : j + 1] = " " * (min(j + 1, n) - i)
                i = j + 1
                continue
            i += 1
        masked.append("".join(out))
    return masked


SWAPS = {
    "comparison": {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="},
    "arithmetic": {"+": "-", "-": "+", "*": "/", "/": "*", "+=": "-=", "-=": "+=", "*=": "/=", "/=": "*="},
    "boolean": {"&&": "||", "||": "&&"},
}
# Binary operators stand between spaces in this (formatted) code; templates, pointers,
# references and shifts do not match.
BINARY = re.compile(r"(?<= )(<=|>=|==|!=|<|>|\+=|-=|\*=|/=|\+|-|\*|/|&&|\|\|)(?= )")
NOT = re.compile(r"(?<![\w)\]=!<>])!(?!=)")
FLOAT = re.compile(r"(?<![\w.'])(\d+\.\d*(?:[eE][+-]?\d+)?|\d+[eE][+-]?\d+|\.\d+(?:[eE][+-]?\d+)?)([fFlL]?)(?![\w.'])")
INTEGER = re.compile(r"(?<![\w.'])(\d[\d']*)([uUlLzZ]*)(?![\w.'])")
KEYWORDS = {"if", "else", "for", "while", "do", "switch", "return", "break", "continue", "goto", "case",
            "default", "assert", "Q_UNUSED", "Q_ASSERT",
            "static_assert", "Q_OBJECT", "Q_DECLARE_METATYPE"}
STATEMENT = re.compile(
    r"^(?:\+\+|--)?(?:this->)?([A-Za-z_]\w*)(?:(?:\.|->|::)[A-Za-z_]\w*|\[[^\]]*\])*\s*"
    r"(\(|=[^=]|\+=|-=|\*=|/=|\|=|&=|<<=|>>=|\+\+|--|;)")


def literal_mutants(rng, masked):
    floats = []
    for m in FLOAT.finditer(masked):
        floats.append(m.span())
        value = float(m.group(1)) + rng.choice([1, -1])
        yield m.start(1), m.end(1), repr(value)
    for m in INTEGER.finditer(masked):
        if any(start <= m.start() < end for start, end in floats):
            continue  # the exponent of a floating literal
        value = int(m.group(1).replace("'", ""))
        yield m.start(1), m.end(1), str(value + (1 if value == 0 else rng.choice([1, -1])))


def removable(masked, previous_code):
    text = masked.strip()
    if not text.endswith(";") or text.count("(") != text.count(")") or "= delete" in text or "= default" in text:
        return False
    m = STATEMENT.match(text)
    if not m or m.group(1) in KEYWORDS:
        return False
    # The statement starts on this line: the code before it ends a statement or opens a block.
    return previous_code == "" or previous_code[-1] in ";{}" or (
        previous_code.endswith(":") and not previous_code.endswith("::"))


def sites_of(path, rng):
    lines = (ROOT / path).read_text(encoding="latin-1").split("\n")
    masked = code_mask(lines)
    previous, continued = "", False
    for number, (line, code) in enumerate(zip(lines, masked), start=1):
        stripped = code.strip()
        is_preprocessor = continued or stripped.startswith("#")
        continued = is_preprocessor and stripped.endswith("\\")
        if is_preprocessor or not stripped or "\t" in line:
            if stripped and not is_preprocessor:
                previous = stripped
            continue
        found = []
        for m in BINARY.finditer(code):
            op = m.group(1)
            kind = next(k for k, swaps in SWAPS.items() if op in swaps)
            found.append((kind, m.start(), m.end(), SWAPS[kind][op]))
        for m in NOT.finditer(code):
            found.append(("boolean", m.start(), m.end(), ""))
        for start, end, text in literal_mutants(rng, code) if "virtual" not in code else ():
            found.append(("literal", start, end, text))
        for kind, start, end, text in found:
            yield (path, number, kind, line, line[:start] + text + line[end:])
        if removable(code, previous):
            indent = line[: len(line) - len(line.lstrip())]
            yield (path, number, "statement", line, indent + ";")
        previous = stripped


def product_files():
    out = subprocess.run(["git", "ls-files", "src", "apps"], cwd=ROOT, check=True, capture_output=True, text=True)
    return [f for f in out.stdout.split() if f.endswith((".cpp", ".h"))]


def write_tsv(path, header, rows):
    with open(path, "w", encoding="latin-1") as f:
        f.write("\t".join(header) + "\n")
        for row in rows:
            f.write("\t".join(str(v) for v in row) + "\n")


def read_tsv(path):
    with open(path, encoding="latin-1") as f:
        header = f.readline().rstrip("\n").split("\t")
        return [dict(zip(header, line.rstrip("\n").split("\t"))) for line in f if line.strip()]


def sample(args):
    rng = random.Random(args.seed)
    candidates = [site for path in product_files() for site in sites_of(path, rng)]
    picked = sorted(random.Random(args.seed).sample(candidates, min(args.count, len(candidates))),
                    key=lambda s: (s[0], s[1]))
    write_tsv(args.out, FIELDS, picked)
    kinds = {}
    for site in picked:
        kinds[site[2]] = kinds.get(site[2], 0) + 1
    print(f"{len(candidates)} candidate sites; {len(picked)} written to {args.out}: "
          + ", ".join(f"{k} {v}" for k, v in sorted(kinds.items())))


# --- running the mutants -------------------------------------------------------------------


class Interrupted(Exception):
    pass


def on_signal(signum, frame):
    raise Interrupted(signal.Signals(signum).name)


def run_group(cmd, timeout=None, log=None):
    """Runs cmd in its own process group; returns its exit code, or None after a timeout."""
    proc = subprocess.Popen(cmd, cwd=ROOT, stdout=log or subprocess.DEVNULL, stderr=subprocess.STDOUT,
                            start_new_session=True)
    try:
        return proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        return None
    finally:
        if proc.poll() is None:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()


def ctest_cmd(build, labels, jobs):
    return ["ctest", "--test-dir", str(build), "-j", str(jobs), "--no-tests=error",
            "-L", "^(" + "|".join(labels) + ")$"]


def ensure_build(build, jobs):
    if not (build / "CMakeCache.txt").exists():
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), "-G", "Ninja", "-DBUILD_TESTING=ON",
                        "-DNUMERELLA_WERROR=OFF", "-DCMAKE_BUILD_TYPE=Debug", "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g0",
                        "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"], check=True)
    if run_group(["cmake", "--build", str(build), "-j", str(jobs)], log=None) != 0:
        sys.exit("the unmutated code does not build")


def locate(lines, site):
    """The index of the nearest line with exactly the original text, or None."""
    hits = [i for i, line in enumerate(lines) if line == site["original"]]
    return min(hits, key=lambda i: abs(i + 1 - int(site["line"]))) if hits else None


def run(args):
    build, jobs = Path(args.build).resolve(), args.jobs
    sites = read_tsv(args.sample)
    os.environ["QT_QPA_PLATFORM"] = "offscreen"
    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)
    started = time.monotonic()
    ensure_build(build, jobs)

    # The unmutated tests must pass; their time sets each layer's timeout.
    label_sets = sorted({tuple(labels_of(s["file"])) for s in sites})
    limits = {}
    for labels in label_sets:
        t = time.monotonic()
        if run_group(ctest_cmd(build, labels, jobs)) != 0:
            sys.exit(f"the unmutated tests labelled {', '.join(labels)} fail")
        limits[labels] = max(30.0, 5 * (time.monotonic() - t))
        print(f"unmutated {'+'.join(labels)}: {time.monotonic() - t:.1f} s", flush=True)

    results, counts = [], {"caught": 0, "timeout": 0, "survived": 0, "not compiled": 0, "gone": 0}
    log = open(build / "mutation-build.log", "w")
    try:
        for number, site in enumerate(sites, start=1):
            path = ROOT / site["file"]
            status, where, seconds = "gone", "", 0.0
            original = path.read_bytes() if path.exists() else None
            if original is not None:
                lines = original.decode("latin-1").split("\n")
                index = locate(lines, site)
                if index is not None:
                    where = index + 1
                    t = time.monotonic()
                    lines[index] = site["mutant"]
                    try:
                        path.write_bytes("\n".join(lines).encode("latin-1"))
                        if run_group(["cmake", "--build", str(build), "-j", str(jobs)], log=log) != 0:
                            status = "not compiled"
                        else:
                            labels = tuple(labels_of(site["file"]))
                            code = run_group(ctest_cmd(build, labels, jobs), timeout=limits[labels])
                            status = "timeout" if code is None else "caught" if code != 0 else "survived"
                    finally:
                        path.write_bytes(original)
                        os.utime(path)  # newer than the mutant's objects: the next build recompiles
                    seconds = time.monotonic() - t
            counts[status] += 1
            results.append((site["file"], where or site["line"], site["kind"], status, f"{seconds:.0f}",
                            site["original"], site["mutant"]))
            print(f"[{number}/{len(sites)}] {status:12} {site['file']}:{where or site['line']} {site['kind']:10} "
                  f"{site['original'].strip()}  ->  {site['mutant'].strip()}  ({seconds:.0f} s)", flush=True)
    except Interrupted as e:
        print(f"stopped by {e}; the file is restored", flush=True)
    finally:
        log.close()
    write_tsv(args.results or build / "mutation-results.tsv",
              ["file", "line", "kind", "status", "seconds", "original", "mutant"], results)
    clean = subprocess.run(["git", "diff", "--quiet", "--", "src", "apps"], cwd=ROOT).returncode == 0
    ensure_build(build, jobs)

    caught = counts["caught"] + counts["timeout"]
    compiled = caught + counts["survived"]
    minutes = (time.monotonic() - started) / 60
    print(f"\nsites {len(results)}, compiled {compiled}, caught {caught} (timeouts {counts['timeout']}), "
          f"survived {counts['survived']}, not compiled {counts['not compiled']}, gone {counts['gone']}")
    print(f"score {caught}/{compiled} = {100 * caught / max(compiled, 1):.1f}% in {minutes:.0f} min")
    survivors = [r for r in results if r[3] == "survived"]
    if survivors:
        print("survivors:")
        for r in survivors:
            print(f"  {r[0]}:{r[1]}  {r[5].strip()}  ->  {r[6].strip()}")
    if not clean:
        sys.exit("the source tree differs from git after the run")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)
    p = sub.add_parser("sample", help="pick the mutation sites")
    p.add_argument("--seed", type=int, required=True)
    p.add_argument("--count", type=int, required=True)
    p.add_argument("--out", default=DEFAULT_SAMPLE)
    p = sub.add_parser("run", help="build and test every mutant of a sample")
    p.add_argument("--sample", default=DEFAULT_SAMPLE)
    p.add_argument("--build", default=DEFAULT_BUILD)
    p.add_argument("--jobs", type=int, default=2)
    p.add_argument("--results", help="results TSV (default: BUILD/mutation-results.tsv)")
    args = parser.parse_args()
    return sample(args) if args.command == "sample" else run(args)


if __name__ == "__main__":
    sys.exit(main())
