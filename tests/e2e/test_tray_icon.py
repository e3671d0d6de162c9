#!/usr/bin/env python3
"""Lumra's icon is in the notification area while it runs and gone once it has exited; when the
shell has lost it (as a restarting shell does) and then announces itself with the
"TaskbarCreated" broadcast, Lumra puts it back.

Wine's tray shows each icon as a child window that passes presses on to the icon's owner, so an
icon is known to be Lumra's when pressing it opens Lumra's menu."""

from harness import (TRAY_CLASS, TRAY_ICON_ID, VK_ESCAPE, WM_KEYDOWN, WM_RBUTTONDOWN, appearance,
                     near, run_scenario)

DEADLINE = 20


def body(s):
    probe = s.probe()
    before = {icon["hwnd"] for icon in probe.tray_icons()}
    # Lumra makes the tray window translucent like any program's; it must leave it as it found it
    # (a tray the shell makes later was never layered).
    trays = {w["hwnd"]: appearance(probe, w["hwnd"]) for w in probe.windows()
             if w["class"] == TRAY_CLASS}
    lumra = s.lumra()
    lumra.launch(probe)
    lumra.wait_settled(probe)
    notify = lumra.control(probe, "TNotifyWindow")

    def new_icons():
        return [icon for icon in probe.tray_icons()
                if icon["hwnd"] not in before and icon["visible"] and icon["tray_visible"]]

    def press(icon, x, y):
        """Right press on the icon window at screen point (x, y); returns the menu it opens."""
        probe.cursor(x, y)
        probe.post(icon["hwnd"], WM_RBUTTONDOWN, 0, (5 << 16) | 5)
        return lumra.wait_menu(probe, DEADLINE)

    icon = s.expect("after the start one new icon shows in the notification area", new_icons,
                    lambda icons: len(icons) == 1, DEADLINE)[0]
    menu = press(icon, 420, 380)
    s.check("pressing that icon opens lumra.exe's menu at the pointer",
            near(menu["rect"], 420, 380), menu["rect"])
    probe.post(menu["hwnd"], WM_KEYDOWN, VK_ESCAPE)
    s.expect("Escape closes the menu", lambda: lumra.menus(probe), lambda menus: not menus,
             DEADLINE)

    s.check("the shell knows the icon as identifier 1 of the tray callback window",
            probe.tray_remove(notify, TRAY_ICON_ID))
    s.expect("the icon is gone from the notification area once the shell lost it",
             lambda: probe.state(icon["hwnd"])["exists"], lambda exists: not exists, DEADLINE)
    before.add(icon["hwnd"])

    probe.broadcast("TaskbarCreated")
    icon = s.expect("after the shell's TaskbarCreated broadcast the icon is back", new_icons,
                    lambda icons: len(icons) == 1, DEADLINE)[0]
    menu = press(icon, 640, 300)
    s.check("pressing the icon put back opens lumra.exe's menu at the pointer",
            near(menu["rect"], 640, 300), menu["rect"])

    tray = next(w for w in probe.windows() if w["hwnd"] == icon["parent"])
    lumra.choose(probe, menu, 2)
    code = lumra.exit_code(60)
    s.check("終了 from that menu ends lumra.exe with exit code 0", code == 0, code)
    s.expect("after the exit the icon is gone from the notification area",
             lambda: probe.state(icon["hwnd"])["exists"], lambda exists: not exists, DEADLINE)
    untouched = {"layered": False, "attributes": {"ok": False}}
    s.check("the tray window is left as it was before Lumra",
            appearance(probe, tray["hwnd"]) == trays.get(tray["hwnd"], untouched),
            {"before": trays.get(tray["hwnd"], untouched),
             "now": appearance(probe, tray["hwnd"])})


if __name__ == "__main__":
    run_scenario("tray_icon", body)
