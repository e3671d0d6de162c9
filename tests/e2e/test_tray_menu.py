#!/usr/bin/env python3
"""A right or a left press on the tray icon opens Lumra's menu at the pointer, with two items:
設定 shows the settings window and 終了 ends Lumra with exit code 0, every window put back as it
was. A middle press opens nothing."""

from harness import (SB_THUMBTRACK, VK_ESCAPE, WM_KEYDOWN, WM_LBUTTONDOWN, WM_MBUTTONDOWN,
                     WM_RBUTTONDOWN, appearance, look, near, run_scenario)

DEADLINE = 20


def body(s):
    probe = s.probe()
    windows = {"A": probe.create("A"), "B": probe.create("B")}
    before = {name: appearance(probe, hwnd) for name, hwnd in windows.items()}
    probe.front(probe.create("front", "untitled"))
    lumra = s.lumra()
    lumra.launch(probe)
    s.expect("A and B are translucent at level 175",
             lambda: [look(probe, hwnd) for hwnd in windows.values()],
             lambda seen: seen == [(True, 175)] * 2, 30)
    lumra.wait_settled(probe)

    # Another process cannot read a menu's captions here, but can see them: the probe's own menu
    # with the expected captions, opened at the same place, must look the same pixel for pixel.
    probe.cursor(400, 600)
    expected_rect, expected = probe.menu_look(400, 600, ["設定", "終了"])
    menu = lumra.open_menu(probe, 400, 600, WM_RBUTTONDOWN)
    s.check("a right press opens the menu at the pointer", near(menu["rect"], 400, 600),
            menu["rect"])
    left, top, right, bottom = menu["rect"]
    s.expect("the menu shows two items, 設定 and 終了, like a menu with just these captions",
             lambda: menu["rect"] == expected_rect
             and probe.pixels(left, top, right - left, bottom - top) == expected, bool, DEADLINE)
    s.screenshot("menu")
    probe.post(menu["hwnd"], WM_KEYDOWN, VK_ESCAPE)
    s.expect("Escape closes the menu", lambda: lumra.menus(probe), lambda menus: not menus,
             DEADLINE)

    menu = lumra.open_menu(probe, 700, 300, WM_LBUTTONDOWN)
    s.check("a left press opens the menu at the pointer", near(menu["rect"], 700, 300),
            menu["rect"])
    # With exactly two items, a third Down comes round to the first.
    lumra.choose(probe, menu, 1, downs=3)
    s.expect("Down three times and Return picks 設定: the settings window shows",
             lambda: lumra.settings_shown(probe), bool, DEADLINE)
    s.check("the menu is closed once an item is picked", not lumra.menus(probe),
            lumra.menus(probe))
    lumra.click(probe, ("TButton", "キャンセル"))
    s.expect("キャンセル hides the settings window", lambda: lumra.settings_shown(probe),
             lambda shown: not shown, DEADLINE)

    # Lumra handles its posted messages in order: once the scroll bar has moved, the middle
    # press posted before has been handled too.
    lumra.press_tray(probe, WM_MBUTTONDOWN)
    lumra.scroll(probe, SB_THUMBTRACK, 42)
    s.wait_until(lambda: lumra.slider(probe)[0] == 42, DEADLINE,
                 "the scroll request posted after the middle press")
    s.check("a middle press opens no menu", not lumra.menus(probe), lumra.menus(probe))

    lumra.choose(probe, lumra.open_menu(probe, 500, 450), 2)
    code = lumra.exit_code(60)
    s.check("終了 from the menu ends lumra.exe with exit code 0", code == 0, code)
    s.check_as_before(probe, windows, before)


if __name__ == "__main__":
    run_scenario("tray_menu", body)
