#!/usr/bin/env python3
"""Under a minute of load (150 windows, 20 presses of "OK" in the settings window while windows
close around the walks, then foreground switching) Lumra keeps working, exits with code 0 when
closed, and leaves every remaining window exactly as its program had it. What the system counts
against Lumra (memory, USER and GDI objects, handles) is printed for the load's start and end;
judging growth is the full soak's business (bench/soak.py)."""

import json
import os
import random
import statistics
import subprocess
import time
from pathlib import Path

from harness import (E2E_BUILD, REPO, WINE64, WM_CLOSE, WM_TASKTRAY, appearance, log, look,
                     run_scenario)

WINDOWS = 150
PRESSES = 20
LOAD_SECONDS = 60
SAMPLE_EVERY = 10  # seconds between two looks at Lumra's usage
START_DEADLINE = 60
FOREGROUND_DEADLINE = 2
UI_DEADLINE = 30

# Documented Win32 values.
WM_KEYDOWN = 0x0100
WM_RBUTTONDOWN = 0x0204
BM_CLICK = 0x00F5
VK_DOWN = 0x28
VK_RETURN = 0x0D
MENU_CLASS = "#32768"

USAGE_SOURCE = REPO / "bench" / "usage.c"


def usage_exe():
    """bench/usage.c built for 64-bit Windows (it runs without the emulator), once per change."""
    exe = E2E_BUILD / "usage.exe"
    if not exe.exists() or exe.stat().st_mtime < USAGE_SOURCE.stat().st_mtime:
        E2E_BUILD.mkdir(parents=True, exist_ok=True)
        subprocess.run(["x86_64-w64-mingw32-gcc", "-O2", "-Wall", "-Wextra", "-static", "-o",
                        str(exe), str(USAGE_SOURCE)], check=True)
    return exe


def usage(s, lumra):
    """What Windows (here Wine) counts against Lumra's process, plus the resident memory of the
    host process that runs it (emulator included)."""
    out = subprocess.run([WINE64, usage_exe(), str(lumra.pid)], env=s.env.env,
                         capture_output=True, timeout=60, start_new_session=True).stdout
    figures = json.loads(out.decode().strip().splitlines()[-1])
    try:
        status = Path(f"/proc/{lumra.proc.pid}/status").read_text()
        figures["host_rss_kb"] = int(next(line.split()[1] for line in status.splitlines()
                                          if line.startswith("VmRSS:")))
        stat = Path(f"/proc/{lumra.proc.pid}/stat").read_text().rsplit(")", 1)[1].split()
        figures["host_cpu_seconds"] = (int(stat[11]) + int(stat[12])) / os.sysconf("SC_CLK_TCK")
    except (OSError, StopIteration):
        figures["host_rss_kb"] = figures["host_cpu_seconds"] = None
    return figures


def describe(figures):
    def mib(key):
        value = figures.get(key)
        return "n/a" if value is None else f"{value / 2**20:.1f} MiB"

    def gui(key):
        value, error = figures[f"{key}_objects"], figures[f"{key}_error"]
        # Wine answers GetGuiResources with ERROR_CALL_NOT_IMPLEMENTED.
        return "not implemented" if error == 120 else f"{value}" + (f" (error {error})"
                                                                   if error else "")

    rss = figures.get("host_rss_kb")
    return (f"working set {mib('working_set')}, private bytes {mib('private_bytes')}, "
            f"USER objects {gui('user')}, GDI objects {gui('gdi')}, "
            f"handles {figures['handles']}, CPU {figures['cpu_seconds']} s, host RSS "
            + ("n/a" if rss is None else f"{rss / 1024:.1f} MiB"))


def open_settings(s, probe, lumra, tray):
    """The tray icon's right click, then 設定 from its menu, as a user would choose it."""
    probe.post(tray, WM_TASKTRAY, 1, WM_RBUTTONDOWN)
    menu = wait_visible(s, probe, MENU_CLASS, "the tray menu")
    probe.post(menu, WM_KEYDOWN, VK_DOWN, 0)
    probe.post(menu, WM_KEYDOWN, VK_RETURN, 0)
    s.wait_until(lambda: probe.state(lumra.form)["visible"], UI_DEADLINE, "the settings window")


def wait_visible(s, probe, cls, what):
    return s.wait_until(lambda: next((w["hwnd"] for w in probe.windows()
                                      if w["class"] == cls and w["visible"]), None),
                        UI_DEADLINE, what)


class Sampler:
    """Lumra's usage, looked at every SAMPLE_EVERY seconds of the load."""

    def __init__(self, s, lumra):
        self.s, self.lumra, self.samples, self.started = s, lumra, [], time.monotonic()

    def due(self):
        elapsed = time.monotonic() - self.started
        if not self.samples or elapsed - self.samples[-1][0] >= SAMPLE_EVERY:
            self.samples.append((elapsed, usage(self.s, self.lumra)))


def soak(s, load_seconds=LOAD_SECONDS, windows=WINDOWS, presses=PRESSES):
    """Runs the load; returns the usage samples [(seconds into the load, figures)]."""
    probe = s.probe()
    started = time.monotonic()
    names = [f"W{i:03d}" for i in range(windows)]
    handles = {name: probe.create(name) for name in names}
    log(f"  {windows} windows created in {time.monotonic() - started:.1f} s")
    before = {name: appearance(probe, hwnd) for name, hwnd in handles.items()}
    s.check(f"before Lumra: none of the {windows} windows is layered",
            not any(a["layered"] for a in before.values()))

    lumra = s.lumra()
    lumra.launch(probe)
    lumra.wait_settled(probe)

    def layered():
        return sum(1 for hwnd in handles.values() if look(probe, hwnd) == (True, 175))
    # Lumra's list holds 100 windows: the start walk layers no more, and the few other titled
    # windows of the desktop take some of the places.
    count = s.expect(f"the start layers between 90 and 100 of the {windows} windows at 175",
                     layered, lambda n: 90 <= n <= 100, START_DEADLINE)
    log(f"  layered at start: {count}")

    sampler = Sampler(s, lumra)
    sampler.due()
    tray = next(c["hwnd"] for c in probe.children(lumra.form) if c["class"] == "TNotifyWindow")
    ok = next(c["hwnd"] for c in probe.children(lumra.form)
              if c["class"] == "TButton" and c["title"] == "OK")
    rng = random.Random(7)
    alive = list(names)

    def close_one():
        name = alive.pop(rng.randrange(len(alive)))
        probe.destroy(name)

    press_times = []
    for press in range(presses):
        close_one()  # between two walks
        t = time.monotonic()
        open_settings(s, probe, lumra, tray)
        probe.post(ok, BM_CLICK)
        close_one()  # while the walk of "OK" runs
        s.wait_until(lambda: not probe.state(lumra.form)["visible"], UI_DEADLINE,
                     f"OK {press + 1} to hide the settings window")
        press_times.append(time.monotonic() - t)
        sampler.due()
    s.check(f"{presses} presses of OK done, Lumra still runs", lumra.running())
    log(f"  {presses} presses of OK: median {statistics.median(press_times):.2f} s, "
        f"max {max(press_times):.2f} s each; {len(alive)} windows left")

    switches = 0
    end = sampler.started + load_seconds
    while time.monotonic() < end:
        probe.front(handles[rng.choice(alive)])
        switches += 1
        time.sleep(0.2)
        sampler.due()
    log(f"  {switches} foreground switches")
    last = handles[alive[-1]]
    probe.front(last)
    s.expect("after the load, the front window is opaque", lambda: look(probe, last),
             lambda seen: seen == (True, 255), FOREGROUND_DEADLINE)
    sampler.samples.append((time.monotonic() - sampler.started, usage(s, lumra)))
    s.check("Lumra's form still answers after the load",
            probe.send(lumra.form, 0, timeout_ms=5000)["answered"])

    probe.post(lumra.form, WM_CLOSE)
    code = lumra.exit_code(120)
    s.check("lumra.exe exits with code 0 when its form is closed", code == 0, code)
    changed = {name: appearance(probe, handles[name]) for name in alive
               if appearance(probe, handles[name]) != before[name]}
    s.check(f"after Lumra: all {len(alive)} remaining windows are exactly as before",
            not changed, changed)
    return sampler.samples


def body(s):
    samples = soak(s)
    first, last = samples[0], samples[-1]
    log(f"  Lumra at {first[0]:.0f} s into the load: {describe(first[1])}")
    log(f"  Lumra at {last[0]:.0f} s into the load: {describe(last[1])}")


if __name__ == "__main__":
    run_scenario("soak", body)
