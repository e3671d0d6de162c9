#!/usr/bin/env python3
"""Lumra keeps only the foreground window opaque, puts the one left behind back at the level,
and on its way out returns every window to exactly how its program had it."""

from harness import appearance, look, run_scenario

# Lumra looks at the foreground window every second; a change shows within two.
FOREGROUND_DEADLINE = 2
START_DEADLINE = 30


def body(s):
    probe = s.probe()
    a = probe.create("A")
    b = probe.create("B")
    dialog = probe.create("A-dialog", "owned", "A")
    own_alpha = probe.create("own-alpha", "layered", "200")
    per_pixel = probe.create("per-pixel", "perpixel")
    windows = {"A": a, "B": b, "the dialog owned by A": dialog,
               "the window layered with its own alpha 200": own_alpha,
               "the per-pixel layered window": per_pixel}
    before = {what: appearance(probe, hwnd) for what, hwnd in windows.items()}
    # What the probe made is what the checks below assume.
    s.check("before Lumra: A, B and the dialog are not layered",
            all(not before[w]["layered"] for w in ("A", "B", "the dialog owned by A")), before)
    s.check("before Lumra: one window layered at alpha 200, one per-pixel (attributes unreadable)",
            look(probe, own_alpha) == (True, 200) and look(probe, per_pixel) == (True, None),
            (look(probe, own_alpha), look(probe, per_pixel)))

    lumra = s.lumra()
    lumra.launch(probe)
    s.expect("A and B get layered at start", lambda: (look(probe, a), look(probe, b)),
             lambda seen: seen[0][0] and seen[1][0], START_DEADLINE)
    lumra.wait_settled(probe)

    def to_front(hwnd, what, expected):
        probe.front(hwnd)
        s.expect(f"{what} in front: " + ", ".join(f"{n} at {v[1]}" for n, v in expected.items()),
                 lambda: {n: look(probe, windows[n]) for n in expected},
                 lambda seen: seen == expected, FOREGROUND_DEADLINE)

    to_front(b, "B", {"B": (True, 255), "A": (True, 175)})
    to_front(a, "A", {"A": (True, 255), "B": (True, 175)})
    to_front(dialog, "the dialog owned by A",
             {"the dialog owned by A": (True, 255), "A": (True, 175)})
    to_front(b, "B", {"B": (True, 255), "the dialog owned by A": (True, 175)})
    # Lumra sees the per-pixel window in front (B drops to the level) and leaves it alone.
    to_front(per_pixel, "the per-pixel window",
             {"B": (True, 175), "the dialog owned by A": (True, 175)})
    s.check("the per-pixel layered window is never touched",
            appearance(probe, per_pixel) == before["the per-pixel layered window"],
            appearance(probe, per_pixel))

    code = lumra.close(probe)
    s.check("lumra.exe exits with code 0 when its form is closed", code == 0, code)
    s.check_as_before(probe, windows, before)


if __name__ == "__main__":
    run_scenario("foreground", body)
