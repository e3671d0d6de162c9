#!/usr/bin/env python3
"""The settings window as a user goes through it: 設定 shows the stored level, the scroll bar
changes only what the window shows until OK, OK stores the level and applies it to every window,
キャンセル forgets the change, and both 終了 and the close box end Lumra with exit code 0, every
window put back as it was."""

from harness import (SB_LINELEFT, SB_LINERIGHT, SB_PAGELEFT, SB_PAGERIGHT, SB_THUMBTRACK,
                     appearance, look, percent, run_scenario, stored_level)

DEADLINE = 20
START_DEADLINE = 30
OK, CANCEL, EXIT = ("TButton", "OK"), ("TButton", "キャンセル"), ("TButton", "終了")


def ini(level):
    return f"[Lumra]\r\nlay={level}\r\n".encode()


class Desk:
    """Titled probe windows for Lumra to make translucent, with an untitled one in front."""

    def __init__(self, s, probe):
        self.s, self.probe = s, probe
        self.windows = {"A": probe.create("A"), "B": probe.create("B")}
        self.before = {name: appearance(probe, hwnd) for name, hwnd in self.windows.items()}
        probe.front(probe.create("front", "untitled"))

    def levels(self):
        return [look(self.probe, hwnd) for hwnd in self.windows.values()]

    def behind(self):
        """How A and B look, but for the one in front: once the settings window hides, the
        system may hand the front to either of them, which Lumra then keeps opaque."""
        front = self.probe.foreground()
        return {name: look(self.probe, hwnd) for name, hwnd in self.windows.items()
                if hwnd != front}

    def expect_behind(self, what, level):
        self.s.expect(f"{what}: A and B (but one in front) at alpha {level}", self.behind,
                      lambda seen: seen and all(v == (True, level) for v in seen.values()),
                      DEADLINE)

    def expect_level(self, what, level):
        self.s.expect(f"{what}: A and B at alpha {level}", self.levels,
                      lambda seen: seen == [(True, level)] * 2, START_DEADLINE)

    def check_restored(self):
        self.s.check_as_before(self.probe, self.windows, self.before)

    def clear(self):
        for name in ("A", "B", "front"):
            self.probe.destroy(name)


def expect_slider(s, probe, lumra, what, level):
    s.expect(f"{what}: the scroll bar at {level}, the panel showing {percent(level)}",
             lambda: lumra.slider(probe), lambda seen: seen == (level, percent(level)), DEADLINE)


def expect_hidden(s, probe, lumra, what):
    s.expect(f"{what} hides the settings window", lambda: lumra.settings_shown(probe),
             lambda shown: not shown, DEADLINE)


def ok_cancel_and_exit(s, probe):
    desk = Desk(s, probe)
    lumra = s.lumra(files={"Lumra.ini": ini(100)})
    stored = lumra.ini_path().read_bytes()
    lumra.launch(probe)
    desk.expect_level("lay=100 stored", 100)
    lumra.wait_settled(probe)

    lumra.open_settings(probe)
    s.check("設定 brings the settings window to the front", probe.foreground() == lumra.form,
            probe.foreground())
    s.expect("the settings window in front is opaque", lambda: look(probe, lumra.form),
             lambda seen: seen in ((True, 255), (False, None)), DEADLINE)
    expect_slider(s, probe, lumra, "設定 shows the stored level", 100)
    # A group box draws only its frame: inside it the form's own background must show, the same
    # colour as the gap between the two boxes, never what the screen held.
    box = lumra.control(probe, ("TGroupBox", "透明度"))
    left, top, _, _ = probe.state(box)["rect"]
    inside = probe.pixels(left + 6, top + 100, 1, 1)[0]
    between = probe.pixels(left - 4, top + 52, 1, 1)[0]
    s.check("inside the group box 透明度 the form's background shows", inside == between,
            {"inside": inside, "between the boxes": between})

    lumra.scroll(probe, SB_LINERIGHT)
    expect_slider(s, probe, lumra, "the right arrow adds 10", 110)
    lumra.scroll(probe, SB_PAGELEFT)
    expect_slider(s, probe, lumra, "a click in the track left of the thumb takes 1", 109)
    lumra.scroll(probe, SB_THUMBTRACK, 200)
    expect_slider(s, probe, lumra, "dragging the thumb to 200", 200)
    s.check("before OK the windows keep the stored level", desk.levels() == [(True, 100)] * 2,
            desk.levels())
    s.check("before OK the INI file is unchanged", lumra.ini_path().read_bytes() == stored,
            lumra.ini_text())

    lumra.click(probe, OK)
    expect_hidden(s, probe, lumra, "OK")
    desk.expect_behind("OK applies the level", 200)
    s.check("OK stores lay=200 in the INI file", stored_level(lumra.ini_text()) == 200,
            lumra.ini_text())
    stored = lumra.ini_path().read_bytes()

    lumra.open_settings(probe)
    expect_slider(s, probe, lumra, "設定 again shows the level stored by OK", 200)
    lumra.scroll(probe, SB_THUMBTRACK, 30)
    expect_slider(s, probe, lumra, "dragging the thumb to 30", 30)
    lumra.click(probe, CANCEL)
    expect_hidden(s, probe, lumra, "キャンセル")
    s.check("キャンセル leaves the INI file unchanged", lumra.ini_path().read_bytes() == stored,
            lumra.ini_text())
    desk.expect_behind("キャンセル leaves the windows at the stored level", 200)
    lumra.open_settings(probe)
    expect_slider(s, probe, lumra, "設定 after キャンセル shows the stored level again", 200)

    lumra.click(probe, EXIT)
    code = lumra.exit_code(60)
    s.check("終了 in the settings window ends lumra.exe with exit code 0", code == 0, code)
    desk.check_restored()
    desk.clear()


def limits_and_close_box(s, probe):
    desk = Desk(s, probe)
    lumra = s.lumra()
    lumra.launch(probe)
    desk.expect_level("no INI file", 175)
    lumra.wait_settled(probe)

    lumra.open_settings(probe)
    expect_slider(s, probe, lumra, "設定 without an INI file shows", 175)
    lumra.scroll(probe, SB_THUMBTRACK, 255)
    expect_slider(s, probe, lumra, "dragging the thumb to the right end", 255)
    lumra.scroll(probe, SB_PAGERIGHT)
    lumra.scroll(probe, SB_LINELEFT)
    expect_slider(s, probe, lumra, "at the right end a click right of the thumb stays at 255, "
                  "then the left arrow takes 10", 245)
    lumra.scroll(probe, SB_THUMBTRACK, 0)
    expect_slider(s, probe, lumra, "dragging the thumb to the left end", 0)

    code = lumra.close(probe)  # the close box sends WM_CLOSE to the shown window
    s.check("the close box ends lumra.exe with exit code 0", code == 0, code)
    s.check("closing stores nothing: no INI file", lumra.ini_files() == [], lumra.ini_files())
    desk.check_restored()
    desk.clear()


def body(s):
    probe = s.probe()
    ok_cancel_and_exit(s, probe)
    limits_and_close_box(s, probe)


if __name__ == "__main__":
    run_scenario("settings_flow", body)
