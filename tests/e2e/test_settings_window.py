#!/usr/bin/env python3
"""The settings window exists from the start, hidden, with all its controls in place: two group
boxes with the OK/キャンセル buttons and the level's scroll bar, the 終了 button, the panel that
shows the level in percent (68 for 175, the level without an INI file) and the tray's callback
window."""

from harness import SBS_VERT, WS_EX_TOOLWINDOW, percent, run_scenario

FORM = ("TForm1", "設定")
# (class, caption), (class, caption) of its parent, then x, y, width, height in the parent.
LAYOUT = {
    (("TGroupBox", "設定"), FORM, 0, 8, 73, 113),
    (("TButton", "OK"), ("TGroupBox", "設定"), 8, 16, 57, 25),
    (("TButton", "キャンセル"), ("TGroupBox", "設定"), 8, 48, 57, 25),
    (("TButton", "終了"), FORM, 8, 88, 57, 25),
    (("TGroupBox", "透明度"), FORM, 80, 8, 97, 113),
    (("TLabel", "％"), ("TGroupBox", "透明度"), 64, 72, 16, 16),
    (("TScrollBar", ""), FORM, 88, 40, 81, 17),
    (("TPanel", percent(175)), FORM, 96, 72, 41, 33),
    (("TNotifyWindow", ""), FORM, 0, 0, 0, 0),
}


def body(s):
    probe = s.probe()
    lumra = s.lumra()
    lumra.launch(probe)
    lumra.wait_settled(probe)
    s.check("no INI file beside the exe", lumra.ini_files() == [], lumra.ini_files())

    form = probe.state(lumra.form)
    s.check("the settings window is hidden", not form["visible"], form)
    s.check("the settings window is captioned 設定 (Shift-JIS)",
            form["text_bytes"] == "設定".encode("cp932"), form["text_bytes"])
    s.check("the settings window is a tool window", form["exstyle"] & WS_EX_TOOLWINDOW, form)
    left, top = form["rect"][:2]
    s.check("the settings window sits at 314,145 with a client area of 179 x 129",
            (left, top, *form["client"][2:]) == (314, 145, 179, 129),
            {"rect": form["rect"], "client": form["client"]})

    # The level reaches the panel while the start finishes.
    s.expect("the panel shows 68, the percentage of level 175",
             lambda: lumra.controls(probe)["TPanel"]["title"], lambda text: text == "68", 30)
    children = probe.children(lumra.form)
    names = {c["hwnd"]: (c["class"], c["title"]) for c in children}
    names[lumra.form] = FORM
    seen = {((c["class"], c["title"]), names.get(c["parent"]), c["x"], c["y"], c["w"], c["h"])
            for c in children}
    s.check("exactly the expected controls, each with its caption, parent, place and size",
            seen == LAYOUT and len(children) == len(LAYOUT),
            {"missing": LAYOUT - seen, "unexpected": seen - LAYOUT})
    s.check("no control shows while the window is hidden",
            not any(c["visible"] for c in children),
            [(c["class"], c["title"]) for c in children if c["visible"]])

    bar = next(c for c in children if c["class"] == "TScrollBar")
    s.check("the scroll bar is horizontal", not bar["style"] & SBS_VERT, hex(bar["style"]))
    info = probe.scroll_info(bar["hwnd"])
    s.check("the scroll bar runs 0..255 and stands at 175",
            (info["min"], info["max"], info["pos"]) == (0, 255, 175), info)

    code = lumra.close(probe)
    s.check("lumra.exe exits with code 0 when its form is closed", code == 0, code)


if __name__ == "__main__":
    run_scenario("settings_window", body)
