#!/usr/bin/env python3
"""At its start Lumra makes every visible, unowned, titled window translucent at the stored
level (175 without an INI file), leaves other windows alone, and reads the level from the INI
file named after its exe."""

from harness import look, run_scenario

DEADLINE = 30  # seconds for the start's walk to reach a window, counted from the form's creation


def expect_level(s, probe, hwnd, level, what):
    s.expect(f"{what}: WS_EX_LAYERED, alpha {level}", lambda: look(probe, hwnd),
             lambda seen: seen == (True, level), DEADLINE)


def close(s, probe, lumra):
    code = lumra.close(probe)
    s.check(f"{lumra.exe.name} exits with code 0 when closed", code == 0, code)


def without_ini(s, probe):
    first = probe.create("A")
    second = probe.create("B")
    owned = probe.create("A-owned", "owned", "A")
    untitled = probe.create("untitled", "untitled")
    hidden = probe.create("hidden", "hidden")
    notepad_pid = probe.spawn("notepad.exe")
    notepad = s.wait_until(lambda: next((w["hwnd"] for w in probe.windows()
                                         if w["pid"] == notepad_pid and w["class"] == "Notepad"
                                         and w["visible"]), None), 60, "notepad's main window")
    # The foreground window is kept opaque; an untitled one there keeps every window under test
    # at the level.
    probe.front(untitled)

    lumra = s.lumra()
    lumra.launch(probe)
    expect_level(s, probe, first, 175, "titled probe window A")
    expect_level(s, probe, second, 175, "titled probe window B")
    expect_level(s, probe, notepad, 175, "notepad's main window")
    lumra.wait_settled(probe)
    for hwnd, what in ((owned, "owned"), (untitled, "untitled"), (hidden, "hidden")):
        seen = look(probe, hwnd)
        s.check(f"the {what} probe window stays untouched (no WS_EX_LAYERED)",
                seen == (False, None), seen)
    s.check("no INI file is created at start", not lumra.ini_files(), lumra.ini_files())

    close(s, probe, lumra)
    probe.kill(notepad_pid)
    for name in ("A-owned", "A", "B", "untitled", "hidden"):
        probe.destroy(name)


def with_files(s, probe, what, level, exe_name, files):
    """Starts `exe_name` beside `files` over a fresh titled window, which must get `level`."""
    window = probe.create("W")
    probe.front(probe.create("front", "untitled"))
    lumra = s.lumra(exe_name, files)
    lumra.launch(probe)
    expect_level(s, probe, window, level, what)
    close(s, probe, lumra)
    probe.destroy("W")
    probe.destroy("front")


def ini(level):
    return f"[Lumra]\r\nlay={level}\r\n".encode()


def body(s):
    probe = s.probe()
    without_ini(s, probe)
    with_files(s, probe, "lay=300 stored: a titled window", 255, "lumra.exe",
               {"Lumra.ini": ini(300)})
    with_files(s, probe, "lay=-5 stored: a titled window", 0, "lumra.exe", {"Lumra.ini": ini(-5)})
    # Lumra.ini beside it holds another level: the file read must be the one named after the exe.
    with_files(s, probe, "MyApp.EXE with lay=100 in Myapp.ini: a titled window", 100, "MyApp.EXE",
               {"Myapp.ini": ini(100), "Lumra.ini": ini(50)})


if __name__ == "__main__":
    run_scenario("translucency", body)
