#!/usr/bin/env python3
"""Start benchmark: lumra.exe against a minimal Win32 program (bench/minimal.c: one hidden window
and a message loop), both 32-bit and run the same way under the same Wine, in one run. Prints a
table of figures and their ratios:

  start       from the process's launch to its effect: for Lumra, a titled window made layered;
              for minimal, its window existing (median of --starts launches)
  peak WS     peak working set, as Windows counts it (GetProcessMemoryInfo)
  idle CPU    CPU time over --idle seconds of doing nothing, as a share of one core, from the
              host's /proc/<pid>/stat (emulator included): GetProcessTimes of another process
              is no measure under Wine 8 (it stood still through a minute of Lumra's load and
              went backwards over an idle minute)
  exe size    bytes on disk

Usage: python3 bench/wine_start.py [--starts N] [--idle SECONDS]
(build first: cmake --build --preset win32 && cmake --build --preset host)."""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

from harness import WINE, Scenario, look, spawn, stop_group  # noqa: E402
from test_soak import usage  # noqa: E402

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


class Program:
    """One started copy of a program: its host process and its Windows process id."""

    def __init__(self, s, exe):
        self.folder = Path(s.workdir) / f"{exe.stem}.{time.monotonic_ns()}"
        self.folder.mkdir()
        self.exe = self.folder / exe.name
        shutil.copy2(exe, self.exe)
        self.proc = None
        self.pid = None

    def launch(self, s):
        self.proc = spawn([WINE, self.exe], env=s.env.env, cwd=self.folder,
                          logfile=self.folder / "wine.log")
        return time.monotonic()

    def host_cpu_seconds(self):
        """User and system time of the host process (all its threads), emulator included."""
        fields = Path(f"/proc/{self.proc.pid}/stat").read_text().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS

    def stop(self):
        if self.proc is not None:
            stop_group(self.proc.pid)
            self.proc.wait()


def start_minimal(s, probe, exe):
    program = Program(s, exe)
    launched = program.launch(s)
    hwnd = s.wait_until(lambda: probe.find("LumraMinimal"), 120, "minimal's window")
    seconds = time.monotonic() - launched
    program.pid = probe.state(hwnd)["pid"]
    return program, seconds, hwnd


def start_lumra(s, probe, exe, target):
    program = Program(s, exe)
    launched = program.launch(s)
    # As fast as the probe answers: the first titled window Lumra's start walk makes layered.
    s.wait_until(lambda: look(probe, target)[0], 120, "the target window to be layered")
    seconds = time.monotonic() - launched
    form = s.wait_until(lambda: next((w for w in probe.windows() if w["class"] == "TForm1"),
                                     None), 60, "Lumra's form")
    program.pid, program.form = form["pid"], form["hwnd"]
    return program, seconds


def close_lumra(probe, program):
    probe.close(program.form)
    program.proc.wait(timeout=60)
    program.proc = None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--starts", type=int, default=3)
    parser.add_argument("--idle", type=float, default=60.0)
    args = parser.parse_args()

    minimal_exe = Path(subprocess.run([str(REPO / "bench" / "build_minimal.sh")], check=True,
                                      capture_output=True, text=True).stdout.strip())
    lumra_exe = Path(os.environ.get("LUMRA_EXE", REPO / "build" / "win32" / "lumra.exe"))

    with Scenario("bench-start") as s:
        probe = s.probe()
        target = probe.create("target")
        probe.front(probe.create("front", "untitled"))

        minimal_starts, lumra_starts = [], []
        # Taken in turns, so neither program gets all the cold starts.
        for _ in range(args.starts):
            program, seconds, hwnd = start_minimal(s, probe, minimal_exe)
            minimal_starts.append(seconds)
            program.stop()
            s.wait_until(lambda: not probe.state(hwnd)["exists"], 60, "minimal to end")
            program, seconds = start_lumra(s, probe, lumra_exe, target)
            lumra_starts.append(seconds)
            close_lumra(probe, program)
        print(f"starts (s): minimal {[round(x, 2) for x in minimal_starts]}, "
              f"lumra {[round(x, 2) for x in lumra_starts]}", flush=True)

        # Both idle side by side over the same seconds, once their starts are over.
        minimal, _, _ = start_minimal(s, probe, minimal_exe)
        lumra, _ = start_lumra(s, probe, lumra_exe, target)
        s.wait_until(lambda: any(w["class"] == "__winex11_standalone_tray" and w["visible"]
                                 for w in probe.windows()), 60, "Lumra's tray icon")
        time.sleep(5)
        figures = {name: {"host0": program.host_cpu_seconds()}
                   for name, program in (("minimal", minimal), ("lumra", lumra))}
        time.sleep(args.idle)
        for name, program in (("minimal", minimal), ("lumra", lumra)):
            f = figures[name]
            f["host_cpu"] = (program.host_cpu_seconds() - f["host0"]) / args.idle * 100
            f["peak_ws"] = usage(s, program)["peak_working_set"]
        figures["minimal"]["start"] = statistics.median(minimal_starts)
        figures["lumra"]["start"] = statistics.median(lumra_starts)
        figures["minimal"]["size"] = minimal_exe.stat().st_size
        figures["lumra"]["size"] = lumra_exe.stat().st_size
        close_lumra(probe, lumra)
        minimal.stop()

    m, l_ = figures["minimal"], figures["lumra"]

    def ratio(key):
        return f"{l_[key] / m[key]:.2f}" if m.get(key) and l_.get(key) is not None else "n/a"

    def pct(value):
        return "n/a" if value is None else f"{value:.2f} %"

    rows = [
        ("start to effect", f"{m['start']:.2f} s", f"{l_['start']:.2f} s", ratio("start")),
        ("peak working set", f"{m['peak_ws'] / 2**20:.1f} MiB", f"{l_['peak_ws'] / 2**20:.1f} MiB",
         ratio("peak_ws")),
        (f"idle CPU, host ({args.idle:.0f} s)", pct(m["host_cpu"]), pct(l_["host_cpu"]), "-"),
        ("exe size", f"{m['size']} B", f"{l_['size']} B", ratio("size")),
    ]
    print(f"\n{'':28} {'minimal':>12} {'lumra':>12} {'ratio':>7}")
    for label, a, b, r in rows:
        print(f"{label:28} {a:>12} {b:>12} {r:>7}")
    idle = round(l_["host_cpu"])
    print(f"\nLumra's idle CPU rounds to {idle} %" + ("" if idle == 0 else " (expected 0 %)"))


if __name__ == "__main__":
    main()
