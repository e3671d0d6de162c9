#!/usr/bin/env python3
"""When OK cannot write the INI file, Lumra says so in an error box naming the file and keeps the
settings window open; once the obstacle is gone, OK stores the level.

A folder named like the INI file stands in its way: writing a profile onto a folder fails even
for root, whom permission bits would not stop."""

from harness import (BM_CLICK, DIALOG_CLASS, SB_THUMBTRACK, look, percent, run_scenario,
                     stored_level)

DEADLINE = 20
OK = ("TButton", "OK")
ICON_CONTROL = 0x0440  # the message box's icon
IDOK = 1


def mostly_red(pixels):
    """Whether a good part of an icon is strong red: the error icon, of the four standard ones
    the only red one."""
    red = sum(1 for r, g, b in pixels if r > 180 and g < 100 and b < 100)
    return red >= len(pixels) // 5


def body(s):
    probe = s.probe()
    window = probe.create("A")
    probe.front(probe.create("front", "untitled"))
    lumra = s.lumra()
    ini = lumra.ini_path()
    ini.mkdir()
    lumra.launch(probe)
    s.expect("a titled window is translucent at 175", lambda: look(probe, window),
             lambda seen: seen == (True, 175), 30)
    lumra.wait_settled(probe)

    lumra.open_settings(probe)
    lumra.scroll(probe, SB_THUMBTRACK, 60)
    s.wait_until(lambda: lumra.slider(probe) == (60, percent(60)), DEADLINE, "the slider at 60")
    lumra.click(probe, OK)

    def error_box():
        return next((w for w in probe.windows() if w["class"] == DIALOG_CLASS
                     and w["pid"] == lumra.pid and w["visible"]), None)

    box = s.wait_until(error_box, DEADLINE, "a message box of lumra.exe")
    s.check("the message box is titled lumra", box["title"] == "lumra", box["title"])
    controls = probe.children(box["hwnd"])
    expected = f"{lumra.windows_path(ini)} に書き込めません."
    texts = [c["title"] for c in controls if c["class"].lower() == "static" and c["title"]]
    s.check("the message names the INI file that cannot be written", texts == [expected],
            {"expected": expected, "seen": texts})
    icon = next((c for c in controls if c["id"] == ICON_CONTROL and c["visible"]), None)
    s.check("the message box shows an icon", icon is not None, controls)
    left, top, right, bottom = probe.state(icon["hwnd"])["rect"]
    s.expect("the icon on screen is the error icon (red)",
             lambda: mostly_red(probe.pixels(left, top, right - left, bottom - top)), bool,
             DEADLINE)
    s.check("the settings window stays shown", lumra.settings_shown(probe))
    s.check("nothing was written in place of the folder", ini.is_dir(), ini)

    button = next(c["hwnd"] for c in controls if c["id"] == IDOK)
    probe.post(button, BM_CLICK)
    s.expect("OK closes the message box", lambda: probe.state(box["hwnd"])["exists"],
             lambda exists: not exists, DEADLINE)
    s.check("the settings window is still shown", lumra.settings_shown(probe))

    ini.rmdir()
    lumra.click(probe, OK)
    s.expect("with the folder gone, OK hides the settings window",
             lambda: lumra.settings_shown(probe), lambda shown: not shown, DEADLINE)
    s.check("the INI file now stores lay=60", stored_level(lumra.ini_text()) == 60,
            lumra.ini_text())
    s.check("no message box this time", error_box() is None, error_box())

    code = lumra.close(probe)
    s.check("lumra.exe exits with code 0 when its form is closed", code == 0, code)


if __name__ == "__main__":
    run_scenario("write_error", body)
