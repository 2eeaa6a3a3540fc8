# SPDX-License-Identifier: GPL-3.0-or-later
"""Turns the benchmark results into docs/performance.md (written to standard output) and the
gnuplot data file of the compiler scaling plot."""
import json
import os
import platform
import subprocess
import sys

out_dir, plain_s, json_s, start_s, window = sys.argv[1:6]


def load(name):
    with open(os.path.join(out_dir, name)) as f:
        return json.load(f)


def load_if_there(name):
    try:
        return load(name)
    except OSError:
        return None


def medians(data):
    """The median aggregates of a run (or every result of a run without repetitions)."""
    return [b for b in data["benchmarks"] if b.get("aggregate_name", "median") == "median"]


def per_formula(data):
    """(benchmark, label) -> the median aggregate: CPU time in ns and the counters."""
    rows = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name", "median") != "median":
            continue
        kind = b["name"].split("/")[0]
        rows[(kind, b.get("label", ""))] = b
    return rows


engine = load("engine.json")
scaling = load("scaling.json")
ctx = engine["context"]
cpu = subprocess.run(["sh", "-c", "grep -m1 'model name' /proc/cpuinfo | cut -d: -f2"],
                     capture_output=True, text=True).stdout.strip()

print("# Performance\n")
print("Figures of one run of `./build.sh bench` (which builds and then runs `bench/run.sh`)")
print(f"on this machine: {cpu}, {ctx.get('num_cpus')} cores, {platform.system()} "
      f"{platform.release()}, build type RelWithDebInfo (-O2).\n")

rows = per_formula(engine)
# The formulas in their order in the benchmark (its argument), whatever order the runs took.
order = {}
for b in engine["benchmarks"]:
    if b.get("label"):
        order.setdefault(b["label"], int(b["run_name"].split("/")[1]))
labels = sorted(order, key=order.get)
print("## Engine against the peer parser (ns per formula)\n")
print("Median CPU time of nine short repetitions, all in the same run. One-shot is what a "
      "calculator does per key press: compile, bind the registers, evaluate and format the "
      "result, into a new outcome; *kept* runs into one outcome kept from run to run. The peer "
      "is muparser (Debian `libmuparser-dev`) on the same formulas in its syntax; its one-shot "
      "is `SetExpr` + `Eval` on a parser object with the functions it lacks (GAM, C_N, D_B, "
      "C_T, STD) defined as callbacks. *Fresh parser* also constructs the parser object each "
      "time.\n")
print("The formulas: arith `2*(3+4)^2`, trig `SIN(0.5)^2+COS(0.5)^2`, signs `-3^2+8/2/2`, "
      "normal `C_N(1.96,0,1)`, binom_t `D_B(3,10,0.3)+C_T(2.015,5)`, sum10 "
      "`SUM(1,2,3,4,5,6,7,8,9,10)`, avg_std `AVG(STD(1,2,3),GAM(5))`, ops100 a sum of 100 "
      "operands. The peer folds constant formulas into one value when it parses them, so its "
      "evaluate-only time is that of returning a number; Numerella evaluates every instruction "
      "each time, as its registers may be re-bound.\n")
print("| formula | compile | evaluate | one-shot | one-shot kept | peer one-shot | "
      "peer fresh parser | peer evaluate | one-shot ÷ peer one-shot | "
      "one-shot ÷ peer fresh parser |")
print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
nan = {"cpu_time": float("nan")}
for label in labels:
    t = lambda k: rows.get((k, label), nan)["cpu_time"]
    ours = t("BM_OneShot")
    print(f"| {label} | {t('BM_Compile'):.0f} | {t('BM_Evaluate'):.0f} | {ours:.0f} | "
          f"{t('BM_OneShotKept'):.0f} | {t('BM_PeerSetExprEval'):.0f} | "
          f"{t('BM_PeerOneShot'):.0f} | {t('BM_PeerEvaluate'):.0f} | "
          f"{ours / t('BM_PeerSetExprEval'):.3f} | {ours / t('BM_PeerOneShot'):.3f} |")

previous = load_if_there("previous_engine.json")
if previous:
    before = per_formula(previous)
    print("\n## Against the previous version (ns per formula)\n")
    print("The previous version (commit b2f374b, before the compiler and the evaluator were "
          "rebuilt), built with the same options and measured in the same run "
          "(`PREVIOUS_BUILD=<its build folder> bench/run.sh`). Its one-shot ran into a new "
          "outcome, like *one-shot* here.\n")
    print("| formula | compile before | compile now | evaluate before | evaluate now | "
          "one-shot before | one-shot now | one-shot now ÷ before |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|")
    for label in labels:
        old = lambda k: before.get((k, label), nan)["cpu_time"]
        new = lambda k: rows.get((k, label), nan)["cpu_time"]
        print(f"| {label} | {old('BM_Compile'):.0f} | {new('BM_Compile'):.0f} | "
              f"{old('BM_Evaluate'):.0f} | {new('BM_Evaluate'):.0f} | {old('BM_OneShot'):.0f} | "
              f"{new('BM_OneShot'):.0f} | {new('BM_OneShot') / old('BM_OneShot'):.2f} |")

# CPU instructions per iteration: callgrind's counts (bench/run.sh), else the kernel's.
counted = {}
try:
    with open(os.path.join(out_dir, "instructions.txt")) as f:
        for line in f:
            kind, index, count = line.split()
            counted[(kind, labels[int(index)])] = int(count)
except (OSError, ValueError, IndexError):
    pass


def instructions(kind, label):
    if (kind, label) in counted:
        return f"{counted[(kind, label)]:,}"
    kernel = rows.get((kind, label), {}).get("instructions")
    return f"{kernel:,.0f}" if kernel is not None else "n/a"


print("\n## Allocations and instructions per formula\n")
print("Allocations counted by a replaced `operator new`. *Steps* are the program's "
      "instructions; the evaluation binds the registers and runs them. CPU instructions per "
      "formula are counted by callgrind where valgrind is installed, else by the kernel's "
      "performance counters where it allows that (\"n/a\" where neither is available).\n")
print("| formula | steps | evaluate ns/step | evaluate allocs | evaluate instructions | "
      "one-shot allocs | one-shot kept allocs | one-shot kept instructions | compile allocs | "
      "peer one-shot allocs |")
print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
for label in labels:
    row = lambda k: rows.get((k, label), {})
    ev = row("BM_Evaluate")
    steps = ev.get("steps", float("nan"))
    allocs = lambda k: f"{row(k).get('allocs', float('nan')):.0f}"
    print(f"| {label} | {steps:.0f} | {ev.get('cpu_time', float('nan')) / steps:.1f} | "
          f"{allocs('BM_Evaluate')} | {instructions('BM_Evaluate', label)} | "
          f"{allocs('BM_OneShot')} | {allocs('BM_OneShotKept')} | "
          f"{instructions('BM_OneShotKept', label)} | {allocs('BM_Compile')} | "
          f"{allocs('BM_PeerSetExprEval')} |")

print("\n## Compiler scaling on worst-case shapes (µs per compilation)\n")
shapes = {}
for b in medians(scaling):
    shapes.setdefault(b["label"].replace("_", " "), {})[int(b["chars"])] = b["cpu_time"]
sizes = sorted({n for s in shapes.values() for n in s})
print("| shape | " + " | ".join(str(n) for n in sizes) + " | 32767 ÷ 4096 |")
print("|---|" + "---:|" * (len(sizes) + 1))
with open(os.path.join(out_dir, "scaling.dat"), "w") as dat:
    for shape, row in shapes.items():
        cells = (f"{t:.1f}" if t >= 1 else f"{t:.3f}" for t in (row.get(n, float("nan")) for n in sizes))
        print(f"| {shape} | " + " | ".join(cells) +
              f" | {row[32767] / row[4096]:.2f} |")
        dat.write(f"\"{shape}\"\n")
        for n in sizes:
            if n <= 32767:
                dat.write(f"{n} {row[n]}\n")
        dat.write("\n\n")
print("\n40000 characters is beyond the 32767-character limit: the compilation fails cleanly.\n")
print("![Compile time against length](compiler-scaling.png)\n")

print("## numerella-eval\n")
print("A million formulas of `bench/formula_mix.txt` in turn, from a file on standard input "
      "to /dev/null: formulas per CPU-second of the whole process (user and system time, "
      "median of three runs).\n")
previous_eval = None
try:
    with open(os.path.join(out_dir, "previous_eval.txt")) as f:
        previous_eval = [float(v) for v in f.read().split()]
except OSError:
    pass
print("| measurement | value |" + (" previous version |" if previous_eval else ""))
print("|---|---:|" + ("---:|" if previous_eval else ""))
for name, seconds, index in (("plain", plain_s, 0), ("`--json`", json_s, 1)):
    line = f"| formulas per CPU-second, {name} | {1e6 / float(seconds):,.0f} |"
    if previous_eval:
        line += f" {1e6 / previous_eval[index]:,.0f} |"
    print(line)
jobs = load_if_there("eval_jobs.json")
if jobs:
    row = medians(jobs)[0]
    print(f"| `-j 2` against `-j 1`, wall-clock speed-up (median of five pairs) | "
          f"{row['j2_speedup']:.2f} |" + (" |" if previous_eval else ""))
print(f"| start-up and one formula, per process | {float(start_s) / 200 * 1000:.2f} ms |" +
      (" |" if previous_eval else ""))

message = load_if_there("message_window.json")
if message:
    print("\n## The message window with the largest texts (offscreen)\n")
    print("The compile listing of a 32,767-character `a+a+...+a` (16,385 lines) shown, laid "
          "out and painted once, then closed; a small message for comparison; the longest line "
          "of the listing of one long operand wrapped at 80 cells (median of three "
          "repetitions).\n")
    print("| measurement | value |\n|---|---:|")
    names = {
        "BM_WorstListingShownAndPainted": "worst listing: layout, first paint and close",
        "BM_SmallMessageShownAndPainted": "small message: layout, first paint and close",
        "BM_WrapLongOperand/8000": "wrapping an 8,000-character operand's line",
        "BM_WrapLongOperand/16000": "wrapping a 16,000-character operand's line",
        "BM_WrapLongOperand/32700": "wrapping a 32,700-character operand's line",
    }
    for b in medians(message):
        name = b["run_name"].split("/min_time")[0]
        unit = b.get("time_unit", "ns")
        print(f"| {names.get(name, name)} | {b['cpu_time']:.2f} {unit} |")
    try:
        with open(os.path.join(out_dir, "message_window.txt")) as f:
            memory = dict(item.split("=") for item in f.readline().split())
        print(f"| worst listing: peak resident memory over the idle figure | "
              f"{float(memory['worst_listing_peak_over_idle_MiB']):.1f} MiB |")
        print(f"| worst listing: resident memory kept after closing, over the idle figure | "
              f"{float(memory['rss_after_close_over_idle_MiB']):.1f} MiB |")
    except (OSError, KeyError, ValueError):
        pass

typing = load_if_there("typing_help.json")
if typing:
    print("\n## A keystroke in the expression box (µs of CPU per key)\n")
    print("The screen-free work of one key with the typing help: the formula run for its "
          "preview (or its first error), the names to complete and the call the cursor is in "
          "(`bench/typing_help_bench.cpp`, median of nine repetitions). *Compiles*: terms "
          "`ABS(SIN(COS(0.5)))` spread with blanks to the length (at most 100 numbers); *fails*: "
          "`1+1+...`, past the 100-operand limit (or an unknown name). In the window the preview "
          "is computed at every key up to 4,096 characters and after the pause beyond; the "
          "whole keystroke, painted, is in the window's table below.\n")
    print("| length | compiles | fails |\n|---:|---:|---:|")
    cpu = {b["run_name"].split("/min_time")[0]: b["cpu_time"] for b in medians(typing)}
    for length in (20, 1000, 32767):
        print(f"| {length:,} | {cpu.get(f'BM_KeystrokeCompiling/{length}', float('nan')):.2f} | "
              f"{cpu.get(f'BM_KeystrokeFailing/{length}', float('nan')):.2f} |")

if window != "none":
    print("\n## The window (offscreen)\n")
    print("| measurement | value |\n|---|---:|")
    labels = {
        "main_to_shown_ms": ("from main() to the window shown, first start", "ms"),
        "process_start_to_shown_ms": ("from exec to the window shown, mean of 20 starts", "ms"),
        "rss_after_start_KiB": ("resident memory after start-up", "KiB"),
        "rss_after_1000_calculations_KiB": ("resident memory after 1,000 calculations", "KiB"),
        "rss_after_10000_calculations_KiB": ("resident memory after 10,000 calculations", "KiB"),
        "window_calculation_us": ("one calculation in the window, with its dialogs answered", "µs"),
        "keystroke_20_chars_ms": ("keystroke, painted, in a 20-character formula", "ms"),
        "keystroke_1000_chars_ms": ("keystroke, painted, in a 1,000-character formula", "ms"),
        "keystroke_32767_chars_ms": ("keystroke, painted, in a 32,767-character formula", "ms"),
        "keystroke_64KiB_ms": ("keystroke, painted, in a 64 KiB formula", "ms"),
    }
    for item in window.split():
        key, value = item.split("=")
        label, unit = labels.get(key, (key.replace("_", " "), ""))
        print(f"| {label} | {value} {unit} |")
