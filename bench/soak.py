#!/usr/bin/env python3
"""The full soak: the CI soak's load (150 windows, 20 presses of "OK" while windows close) and
then foreground switching for ten minutes more, with Lumra's usage looked at every ten seconds.
Prints the first minute's figures against the last minute's and says whether anything grew
(a figure grew when every look of the last minute is above every look of the first).

Usage: python3 bench/soak.py [--minutes 10]
(build first: cmake --build --preset win32 && cmake --build --preset host)."""

import argparse
import statistics
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

from harness import Scenario  # noqa: E402
from test_soak import LOAD_SECONDS, soak  # noqa: E402

METRICS = [
    ("working set (MiB)", lambda f: f["working_set"] and f["working_set"] / 2**20),
    ("peak working set (MiB)", lambda f: f["peak_working_set"] and f["peak_working_set"] / 2**20),
    ("private bytes (MiB)", lambda f: f["private_bytes"] and f["private_bytes"] / 2**20),
    ("host RSS, emulator incl. (MiB)", lambda f: f["host_rss_kb"] and f["host_rss_kb"] / 1024),
    ("USER objects", lambda f: None if f["user_error"] else f["user_objects"]),
    ("GDI objects", lambda f: None if f["gdi_error"] else f["gdi_objects"]),
    ("handles", lambda f: f["handles"]),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--minutes", type=float, default=10.0)
    args = parser.parse_args()
    with Scenario("bench-soak") as s:
        samples = soak(s, load_seconds=LOAD_SECONDS + args.minutes * 60)
    end = samples[-1][0]
    first = [f for t, f in samples if t <= 60]
    last = [f for t, f in samples if t >= end - 60]
    print(f"\n{len(samples)} looks over {end:.0f} s; first minute {len(first)}, last minute "
          f"{len(last)}")
    print(f"{'':32} {'first minute':>20} {'last minute':>20}  grew?")
    grown = []
    for label, pick in METRICS:
        a = [pick(f) for f in first]
        b = [pick(f) for f in last]
        if any(v is None for v in a + b) or not any(a + b):
            print(f"{label:32} {'n/a (not counted by Wine)':>42}")
            continue
        grew = min(b) > max(a)
        if grew:
            grown.append(label)
        print(f"{label:32} {statistics.mean(a):>9.1f} (max {max(a):>6.1f}) "
              f"{statistics.mean(b):>9.1f} (max {max(b):>6.1f})  {'YES' if grew else 'no'}")
    cpu = [(t, f["host_cpu_seconds"]) for t, f in samples if f.get("host_cpu_seconds") is not None]
    if len(cpu) >= 2:
        first_cpu = [c for c in cpu if c[0] <= 60]
        last_cpu = [c for c in cpu if c[0] >= end - 60]
        for label, part in (("first", first_cpu), ("last", last_cpu)):
            if len(part) >= 2:
                share = (part[-1][1] - part[0][1]) / (part[-1][0] - part[0][0]) * 100
                print(f"host CPU, {label} minute: {share:.1f} % of one core")
    print("\ngrew: " + (", ".join(grown) if grown else "nothing"))


if __name__ == "__main__":
    main()
