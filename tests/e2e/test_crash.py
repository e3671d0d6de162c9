#!/usr/bin/env python3
"""A Lumra that faults still returns every window it changed to exactly how its program had it
before the process ends, and leaves no crash dialog behind. The fault comes from
lumra-crashtest.exe, the same program with one hidden trigger window; lumra.exe has none."""

import shutil
import time
from pathlib import Path

from harness import appearance, cmdline, look, lumra_exe, run_scenario

START_DEADLINE = 30
FOREGROUND_DEADLINE = 2
EXIT_DEADLINE = 60

TRIGGER_CLASS = "LumraFaultTrigger"
WM_FAULT = 0x0400 + 0x3F0  # the crash-test twin faults on this message to its trigger window


def crash_dialogs(prefix):
    """Processes of Wine's debugger (its crash dialog) running in this prefix."""
    found = []
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit() or "winedbg" not in cmdline(int(entry.name)).lower():
            continue
        try:
            environ = (entry / "environ").read_bytes().split(b"\0")
        except OSError:
            continue
        if f"WINEPREFIX={prefix}".encode() in environ:
            found.append((int(entry.name), cmdline(int(entry.name))))
    return found


def release_has_no_trigger(s, probe):
    lumra = s.lumra()
    lumra.launch(probe)
    lumra.wait_settled(probe)
    own = [w["class"] for w in lumra.windows(probe)]
    s.check(f"lumra.exe has no {TRIGGER_CLASS} window",
            TRIGGER_CLASS not in own and not probe.find(TRIGGER_CLASS), own)
    code = lumra.close(probe)
    s.check("lumra.exe exits with code 0 when its form is closed", code == 0, code)


def body(s):
    probe = s.probe()
    release_has_no_trigger(s, probe)

    a = probe.create("A")
    b = probe.create("B")
    dialog = probe.create("A-dialog", "owned", "A")
    own_alpha = probe.create("own-alpha", "layered", "200")
    windows = {"A": a, "B": b, "the dialog owned by A": dialog,
               "the window layered with its own alpha 200": own_alpha}
    before = {what: appearance(probe, hwnd) for what, hwnd in windows.items()}

    lumra = s.lumra("lumra-crashtest.exe")
    shutil.copy2(lumra_exe().parent / "lumra-crashtest.exe", lumra.exe)
    lumra.launch(probe)
    s.expect("A and B get layered at start", lambda: (look(probe, a), look(probe, b)),
             lambda seen: seen[0][0] and seen[1][0], START_DEADLINE)
    lumra.wait_settled(probe)
    # The owned dialog is not in Lumra's list: only its time in front got it layered, so only
    # the record of changed windows can bring it back.
    probe.front(dialog)
    s.expect("the dialog owned by A in front: layered at 255", lambda: look(probe, dialog),
             lambda seen: seen == (True, 255), FOREGROUND_DEADLINE)
    probe.front(b)
    s.expect("B in front: the dialog drops to 175", lambda: look(probe, dialog),
             lambda seen: seen == (True, 175), FOREGROUND_DEADLINE)

    trigger = probe.find(TRIGGER_CLASS)
    s.check(f"lumra-crashtest.exe has a {TRIGGER_CLASS} window",
            trigger and probe.state(trigger)["pid"] == lumra.pid, trigger)
    shown_before = {w["hwnd"] for w in probe.windows() if w["visible"]}
    probe.post(trigger, WM_FAULT)
    started = time.monotonic()
    code = probe.wait_exit(lumra.pid, EXIT_DEADLINE * 1000)
    s.check("the fault ends lumra-crashtest.exe", code is not None, code)
    print(f"  ended {time.monotonic() - started:.1f} s after the fault, exit code {code:#x}")
    s.check("the process did not end as if closed normally (exit code not 0)", code != 0, code)
    lumra.exit_code(EXIT_DEADLINE)

    s.check_as_before(probe, windows, before, "after the fault")
    prefix = s.env.env["WINEPREFIX"]
    s.check("no crash dialog (winedbg) runs", not crash_dialogs(prefix), crash_dialogs(prefix))
    # A debugger would be started while the faulting process dies; give a late one a moment.
    time.sleep(2)
    s.check("still no crash dialog (winedbg) two seconds later", not crash_dialogs(prefix),
            crash_dialogs(prefix))
    shown = [(w["class"], w["title"]) for w in probe.windows()
             if w["visible"] and w["hwnd"] not in shown_before]
    s.check("no window appeared since the fault (no crash dialog)", not shown, shown)


if __name__ == "__main__":
    run_scenario("crash", body)
