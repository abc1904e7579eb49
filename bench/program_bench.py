#!/usr/bin/env python3
"""What the whole program costs while it is left open, and whether long use wears it down: the
instrumented program (zentrilo_probe.exe) started under Wine on the environment's X display, measured
from outside and from inside.

    bench/program_bench.py <x86_64 build dir> [--long] [--runs N] [--starts N] [--clicks N]
                           [--cycles N] [--idle S] [--soak S]

Run it inside the environment (scripts/zentrilo bench does, through bench/run). ZEN_BENCH=long gives the
long form (--long): 1,000 option clicks, 100 minimise-and-restore cycles and 10 minutes after Apply.

Each figure is the median over the runs:
- first frame: from the process's creation to its first frame on screen, measured in the program;
- CPU share of one core of the program, wineserver and the X server over an idle stretch before Apply
  (1 s ticks) and after Apply (10 ms ticks), from /proc/PID/stat;
- resident memory (VmRSS, RssAnon from /proc/PID/status), windows of the program and live GDI and GDI+
  objects of its owners, before and after the option clicks, the minimise-and-restore cycles and the
  stretch after Apply. Each run also reports the slowest answer of the main window meanwhile."""
import argparse
import importlib
import os
import re
import statistics
import sys
import time

SCENARIO = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "scenario")
zen = None  # the scenario driver library, imported once ZEN_BIN names the build tree

APPLY = (568, 474)
LONG = {"clicks": 1000, "cycles": 100, "soak": 600.0}
SHORT = {"clicks": 200, "cycles": 20, "soak": 30.0}

TARGET_FIRST_FRAME_MS = 300
TARGET_IDLE_AFTER_APPLY = 10.0  # % of one core, the program alone
TARGET_GROWTH_KB = 2048
APPLY_LIMIT_S = 20


def cpu_shares(pids, seconds):
    """Per name, the share of one core (%) its process used over the next seconds of wall time."""
    tick = os.sysconf("SC_CLK_TCK")
    before = {name: zen.cpu_ticks(pid) for name, pid in pids.items()}
    start = time.monotonic()
    time.sleep(seconds)
    wall = time.monotonic() - start
    return {name: 100.0 * (zen.cpu_ticks(pid) - before[name]) / tick / wall for name, pid in pids.items()}


def snapshot(z):
    memory = z.memory()
    return {**memory, **z.counts()}


def first_frame_ms(z):
    line = zen.wait_for(lambda: next((l for l in z.log() if l.startswith("first-frame ")), None), 10,
                        what="the first-frame figure in the probe's log")
    return int(re.search(r"ms=(\d+)", line).group(1))


def measure_start():
    with zen.running(zen.PROBE, runner="exit:0") as z:
        return first_frame_ms(z)


def apply_and_wait(z):
    before = sum(1 for u in z.units() if u["class"] == "Button")
    z.click(*APPLY)
    zen.wait_for(lambda: sum(1 for u in z.units() if u["class"] == "Button") == before - 1, APPLY_LIMIT_S,
                 interval=0.2, what="the finished state")


def one_run(settings):
    """One program start taken through all phases; returns its figures."""
    figures = {}
    with zen.running(zen.PROBE, runner="exit:0") as z:
        pids = {"zentrilo": z.proc.pid, "wineserver": zen.wineserver_pid(), "Xvfb": zen.xserver_pid()}
        pids = {name: pid for name, pid in pids.items() if pid}
        figures["first frame"] = first_frame_ms(z)
        figures["idle before Apply"] = cpu_shares(pids, settings.idle)
        slowest = []

        start = snapshot(z)
        answered, ms = z.click_options(settings.clicks)
        slowest.append(ms)
        after_clicks = snapshot(z)
        answered_cycles, ms = z.minimise_and_restore(settings.cycles)
        slowest.append(ms)
        after_cycles = snapshot(z)

        apply_and_wait(z)
        after_apply = snapshot(z)
        figures["idle after Apply"] = cpu_shares(pids, settings.idle)
        rest = max(0.0, settings.soak - settings.idle)
        answered_soak, ms = z.ping(int(rest * 1000)) if rest else (True, 0)
        slowest.append(ms)
        after_soak = snapshot(z)

        figures["phases"] = {"option clicks": (start, after_clicks), "minimise/restore": (after_clicks, after_cycles),
                             "after Apply": (after_apply, after_soak)}
        figures["slowest answer"] = max(s for s in slowest if s is not None)
        figures["answered"] = answered and answered_cycles and answered_soak
        figures["alive"] = z.alive()
    return figures


def median(values):
    return statistics.median(values)


def report(settings, starts, runs):
    print(f"== program_bench ({len(runs)} runs: {settings.clicks} option clicks, {settings.cycles} "
          f"minimise/restore cycles, {settings.soak:g} s after Apply; first frame over {len(starts)} starts)")
    frames = starts + [r["first frame"] for r in runs]
    print(f"first frame after process start   {median(frames):7.0f} ms"
          f"   (runs {min(frames)}..{max(frames)})   target <= {TARGET_FIRST_FRAME_MS} ms")
    for phase, target in (("idle before Apply", ""),
                          ("idle after Apply", f"   target zentrilo <= {TARGET_IDLE_AFTER_APPLY:g} %")):
        shares = {name: median([r[phase][name] for r in runs]) for name in runs[0][phase]}
        text = "  ".join(f"{name} {share:5.1f} %" for name, share in shares.items())
        print(f"CPU, {phase:<17} {settings.idle:g} s: {text}{target}")
    print(f"{'growth over':<18}{'VmRSS kB':>10}{'RssAnon kB':>12}{'windows':>14}{'GDI':>12}{'GDI+':>12}"
          f"   target: RssAnon < {TARGET_GROWTH_KB} kB, no growth in windows or objects")
    for phase in runs[0]["phases"]:
        pairs = [r["phases"][phase] for r in runs]

        def growth(key):
            return median([after[key] - before[key] for before, after in pairs])

        def levels(key):
            return f"{median([b[key] for b, _ in pairs]):g}->{median([a[key] for _, a in pairs]):g}"

        print(f"{phase:<18}{growth('VmRSS'):>+10.0f}{growth('RssAnon'):>+12.0f}{levels('windows'):>14}"
              f"{levels('gdi'):>12}{levels('gdip'):>12}")
    print("  (VmRSS also counts the layered window's shared surface, 800 x 540 x 4 bytes, which Wine maps anew"
          " as the window hides and shows: RssAnon is the heap)")
    print(f"slowest answer of the main window  {max(r['slowest answer'] for r in runs)} ms"
          f"   (limit 1000 ms; answered in time throughout: {all(r['answered'] for r in runs)};"
          f" alive at the end: {all(r['alive'] for r in runs)})")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", help="the x86_64 build tree")
    parser.add_argument("--long", action="store_true", default=os.environ.get("ZEN_BENCH") == "long")
    parser.add_argument("--runs", type=int, default=3, help="program starts taken through every phase")
    parser.add_argument("--starts", type=int, default=5, help="extra starts measured for the first frame")
    parser.add_argument("--clicks", type=int)
    parser.add_argument("--cycles", type=int)
    parser.add_argument("--idle", type=float, default=10.0, help="seconds of each idle CPU measurement")
    parser.add_argument("--soak", type=float, help="seconds left alone after Apply (the idle included)")
    settings = parser.parse_args()
    for name, value in (LONG if settings.long else SHORT).items():
        if getattr(settings, name) is None:
            setattr(settings, name, value)
    global zen
    os.environ["ZEN_BIN"] = os.path.abspath(settings.build)
    sys.path.insert(0, SCENARIO)
    zen = importlib.import_module("zen")
    starts = [measure_start() for _ in range(settings.starts)]
    runs = [one_run(settings) for _ in range(settings.runs)]
    report(settings, starts, runs)


if __name__ == "__main__":
    main()
