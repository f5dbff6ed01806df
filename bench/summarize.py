#!/usr/bin/env python3
"""Turns the benchmark's JSON lines into one markdown table: each figure of
the program beside both baselines (and Chromium, when measured), the ratio
to the bare browser, and whether the program holds its budgets.

    summarize.py --runs results.jsonl --exe LABEL=PATH ... --objdump TOOL
                 --machine machine.md --out results.md
"""

import argparse
import json
import re
import statistics
import subprocess
import sys

PROGRAM = "MuravaRadio.exe"
BROWSER = "bare_browser.exe"
WINDOW = "bare_window.exe"
CHROMIUM = "chromium --app"

# Functions that set up a timer: the program must import none of them.
TIMER_FUNCTIONS = ("SetTimer", "timeSetEvent", "CreateTimerQueueTimer", "SetWaitableTimer",
                   "SetWaitableTimerEx", "SetCoalescableTimer")
IDLE_CPU_BUDGET_MS = 10
SIZE_BUDGET_KB = 300


def load_runs(path):
    runs = {}
    with open(path) as lines:
        for line in lines:
            line = line.strip()
            if line.startswith("{"):
                run = json.loads(line)
                runs.setdefault(run["label"], []).append(run)
    return runs


def imports(objdump, exe):
    """The names the exe imports, from objdump's import tables."""
    text = subprocess.run([objdump, "-p", exe], capture_output=True, text=True,
                          check=True).stdout
    names = set()
    in_table = False
    for line in text.splitlines():
        if line.strip().startswith("DLL Name:"):
            in_table = True
            continue
        if in_table:
            # "	vma:  Hint/Ord Member-Name Bound-To" rows: "	 12345	  123  Name"
            match = re.match(r"^\s+[0-9a-fA-F]+\s+(\d+)\s+(\S+)", line)
            if match:
                names.add(match.group(2))
            elif not line.strip():
                in_table = False
    return names


def packed(objdump, exe):
    headers = subprocess.run([objdump, "-h", exe], capture_output=True, text=True,
                             check=True).stdout
    return bool(re.search(r"\bUPX\d|\.aspack|\.petite|MPRESS", headers))


def stats(runs, key):
    values = [run[key] for run in runs if isinstance(run.get(key), (int, float))]
    if not values:
        return None
    return statistics.median(values), min(values), max(values), len(values)


def cell(figure, digits=1):
    if figure is None:
        return "n/a"
    median, low, high, _ = figure
    return f"{median:.{digits}f} ({low:.{digits}f}–{high:.{digits}f})"


def ratio(program, browser):
    if program is None or browser is None or browser[0] == 0:
        return "n/a"
    return f"{program[0] / browser[0]:.2f}×"


def verdict(met):
    return "**met**" if met else "**MISSED**"


# The program's start beside the bare browser's, step by step, from
# startup_profile.exe: (title, bare browser's steps, program's steps, mode).
PROFILE_ROWS = [
    ("OLE (program: and the common controls)", ["ole"], ["ole_and_common_controls"], "program"),
    ("windows, browser control (program: the form definition: its windows and the control, "
     "pictures, fonts, layout)", ["frame", "browser"], ["form_definition"], "program"),
    ("caption-less controller", [], ["caption_controller"], "program"),
    ("Navigate", ["navigate"], ["navigate"], "program"),
    ("desktop shortcut check", [], ["shortcut_check"], "program"),
    ("show", ["show"], ["show"], "program"),
    ("… of which the title picture's decode (WIC's first use; a JPEG is decoded at its first "
     "paint)", [], ["wic_first_picture"], "wic-first"),
    ("first paint (messages until idle)", ["first_paint"], ["first_paint"], "program"),
    ("all steps", ["steps"], ["steps"], "program"),
]


def profile_table(path):
    runs = {}
    with open(path) as lines:
        for line in lines:
            if line.strip().startswith("{"):
                run = json.loads(line)
                runs.setdefault(run["mode"], []).append(run)

    def total(mode, steps, unit):
        values = [sum(run.get(f"{step}_{unit}", 0) for step in steps)
                  for run in runs.get(mode, []) if all(f"{step}_{unit}" in run for step in steps)]
        return statistics.median(values) if values else None

    def text(mode, steps):
        cpu, wall = total(mode, steps, "cpu_ms"), total(mode, steps, "ms")
        return "—" if not steps or cpu is None else f"{cpu:.1f} ({wall:.1f})"

    counts = ", ".join(f"{mode}: {len(mode_runs)}" for mode, mode_runs in runs.items())
    rows = ["## Where the start goes", "",
            "`startup_profile.exe` runs each start step by step with the program's own code and "
            "resources (`--bare`: the bare browser's steps). UI-thread CPU ms (elapsed ms), "
            f"medians of {counts} runs. The window is visible part-way through `show`: the "
            "program's show then paints the form at once, the bare browser's leaves its paint to "
            "the next row. What Wine does before WinMain (loading the exe and its DLLs) is not "
            "here, only in the table's CPU row.",
            "", "| step | bare browser | program |", "|---|---|---|"]
    for title, bare, program, mode in PROFILE_ROWS:
        rows.append(f"| {title} | {text('bare', bare)} | {text(mode, program)} |")
    return rows + [""]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", required=True)
    parser.add_argument("--exe", action="append", default=[], help="LABEL=PATH")
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--machine", required=True, help="markdown lines for the header")
    parser.add_argument("--profile", help="startup_profile.exe's JSON lines")
    parser.add_argument("--out", required=True)
    options = parser.parse_args()

    runs = load_runs(options.runs)
    exes = dict(item.split("=", 1) for item in options.exe)
    columns = [PROGRAM, BROWSER, WINDOW] + ([CHROMIUM] if CHROMIUM in runs else [])

    def figure(label, key):
        return stats(runs.get(label, []), key)

    size_kb, timers, is_packed = {}, {}, {}
    for label, path in exes.items():
        with open(path, "rb") as exe:
            size_kb[label] = len(exe.read()) / 1024
        found = sorted(imports(options.objdump, path) & set(TIMER_FUNCTIONS))
        timers[label] = found
        is_packed[label] = packed(options.objdump, path)

    rows = []

    def measured(title, key, digits, budget_text, met):
        values = {label: figure(label, key) for label in columns}
        rows.append([title] + [cell(values[label], digits) for label in columns[:3]] +
                    [ratio(values[PROGRAM], values[BROWSER])] +
                    ([cell(values[CHROMIUM], digits)] if CHROMIUM in columns else []) +
                    [budget_text, verdict(met) if met is not None else ""])
        return values

    program = lambda key: figure(PROGRAM, key)  # noqa: E731
    browser = lambda key: figure(BROWSER, key)  # noqa: E731

    def within(key, limit):
        p, b = program(key), browser(key)
        return None if p is None or b is None else p[0] <= limit(b[0])

    measured("start → main window visible (ms)", "visible_ms", 0, "≤ 1.10 × bare browser",
             within("visible_ms", lambda b: 1.10 * b))
    measured("start → start page requested (ms)", "request_ms", 0, "≤ 1.10 × bare browser",
             within("request_ms", lambda b: 1.10 * b))
    measured("CPU time from start to visible (ms)", "cpu_to_visible_ms", 0, "", None)
    ws_key = {label: ("ws_mb" if label != CHROMIUM else "rss_mb") for label in columns}
    ws = {label: figure(label, ws_key[label]) for label in columns}
    ws_met = None if ws[PROGRAM] is None or ws[BROWSER] is None else \
        ws[PROGRAM][0] <= ws[BROWSER][0] + 2
    rows.append(["working set 2 s after visible (MB)"] +
                [cell(ws[label], 1) for label in columns[:3]] + [ratio(ws[PROGRAM], ws[BROWSER])] +
                ([cell(ws[CHROMIUM], 0) + " (sum over its processes)"]
                 if CHROMIUM in columns else []) +
                ["≤ bare browser + 2 MB", verdict(ws_met) if ws_met is not None else ""])
    measured("private bytes (resident private, MB)", "private_mb", 1, "", None)
    measured("proportional set size, PSS (MB)", "pss_mb", 1, "", None)
    idle = {label: figure(label, "idle_cpu_ms") for label in columns}
    idle_met = idle[PROGRAM] is not None and idle[PROGRAM][2] <= IDLE_CPU_BUDGET_MS and \
        not timers.get(PROGRAM)
    rows.append(["idle CPU in 10 s (ms)"] + [cell(idle[label], 2) for label in columns[:3]] +
                [ratio(idle[PROGRAM], idle[BROWSER])] +
                ([cell(idle[CHROMIUM], 1)] if CHROMIUM in columns else []) +
                [f"≤ {IDLE_CPU_BUDGET_MS} ms in every run", verdict(idle_met)])

    def timer_text(label):
        if label not in timers:
            return "n/a"
        return "yes (" + ", ".join(timers[label]) + ")" if timers[label] else "no"

    rows.append(["own timer (imports)"] + [timer_text(label) for label in columns[:3]] + [""] +
                (["n/a"] if CHROMIUM in columns else []) +
                ["none", verdict(not timers.get(PROGRAM))])

    def size_text(label):
        if label not in size_kb:
            return "n/a"
        return f"{size_kb[label]:.1f}" + (" (packed)" if is_packed[label] else "")

    size_met = size_kb.get(PROGRAM, 1e9) <= SIZE_BUDGET_KB and not is_packed.get(PROGRAM)
    rows.append(["exe size on disk (KB)"] + [size_text(label) for label in columns[:3]] +
                [f"{size_kb[PROGRAM] / size_kb[BROWSER]:.2f}×"
                 if PROGRAM in size_kb and BROWSER in size_kb else "n/a"] +
                (["n/a"] if CHROMIUM in columns else []) +
                [f"≤ {SIZE_BUDGET_KB} KB, no packer", verdict(size_met)])

    header = ["", "program", "bare browser", "bare window", "program / bare browser"] + \
        (["Chromium --app"] if CHROMIUM in columns else []) + ["budget", ""]
    table = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    table += ["| " + " | ".join(row) + " |" for row in rows]

    counts = ", ".join(f"{label}: {len(runs.get(label, []))}" for label in columns)
    lines = {label: sorted({run.get("request_line", "none") for run in runs.get(label, [])})
             for label in (PROGRAM, BROWSER)}
    errors = [run for label_runs in runs.values() for run in label_runs if "error" in run]
    loads = [run["load_1min"] for label_runs in runs.values() for run in label_runs
             if "load_1min" in run]
    load_text = (f"Load average (1 min) at the runs' starts: median {statistics.median(loads):.2f}, "
                 f"{min(loads):.2f}–{max(loads):.2f} (other work on the machine stretches the "
                 "elapsed times much more than the CPU times)." if loads else "")
    profile = profile_table(options.profile) if options.profile else []
    with open(options.machine) as machine:
        head = machine.read().rstrip("\n")
    text = "\n".join([
        "# Benchmark results", "", head, "",
        f"Runs (interleaved): {counts}. Each cell: median (min–max).", load_text, "",
        *table, "",
        f"Request lines seen: program {lines[PROGRAM]}, bare browser {lines[BROWSER]}.",
        *([f"Runs with errors: {len(errors)}: " + "; ".join(run['error'] for run in errors)]
          if errors else []),
        "",
        *profile,
    ])
    with open(options.out, "w") as out:
        out.write(text)
    print("\n".join(table))
    return 0


if __name__ == "__main__":
    sys.exit(main())
