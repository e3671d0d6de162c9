#!/usr/bin/env python3
"""Lumra starts without any window or taskbar button of its own, keeps running, and ends with
exit code 0 when its settings form is closed."""

from harness import WM_CLOSE, run_scenario


def body(s):
    probe = s.probe()
    s.check("Wine runs with code page 932", probe.acp() == 932, probe.acp())

    lumra = s.lumra()
    lumra.launch(probe)
    lumra.wait_settled(probe)
    s.check("lumra.exe still runs after its start has settled", lumra.running())

    own = lumra.windows(probe)
    apps = [w for w in own if w["class"] == "TApplication"]
    s.check("one TApplication window, titled 'lumra'",
            len(apps) == 1 and apps[0]["title"] == "lumra", apps)
    app = apps[0]
    s.check("the TApplication window is hidden", not app["visible"], app)
    form = next(w for w in own if w["hwnd"] == lumra.form)
    s.check("the TForm1 window is hidden", not form["visible"], form)
    s.check("the TForm1 window is owned by the TApplication window",
            form["owner"] == app["hwnd"], form)
    # A taskbar button needs a visible unowned window, so none visible means none at all.
    shown = [(w["class"], w["title"]) for w in probe.windows()
             if w["visible"] and w["pid"] == lumra.pid]
    s.check("no visible top-level window of lumra.exe, so no taskbar button", not shown, shown)

    probe.post(lumra.form, WM_CLOSE)
    code = lumra.exit_code(60)
    s.check("WM_CLOSE to the TForm1 window ends lumra.exe with exit code 0", code == 0, code)


if __name__ == "__main__":
    run_scenario("start", body)
