#!/usr/bin/env python3
"""Runs the real lumra.exe under Wine on a virtual X display and drives it from outside.

The pieces: an Xvfb display with openbox (and xcompmgr, so screenshots show translucency), a
Wine prefix copied from a cached template, one persistent wineserver, and probe.exe, a 64-bit
Windows program that creates test windows and inspects everyone's windows on request.

Modes:
  harness.py setup      start the shared environment of the calling ctest run (or shell), in
                        build/e2e/runs/<its pid>/
  harness.py teardown   stop it again
  harness.py run EXE    run EXE under Wine on $DISPLAY, or on a display of its own (screenshots
                        in build/run/), until it exits

Scenario scripts use Scenario; run alone (without setup) a scenario brings its own environment.
"""

import atexit
import json
import os
import re
import selectors
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
E2E_BUILD = REPO / "build" / "e2e"
# One folder per test run: several ctest runs of this checkout may overlap, each with its own
# display, prefix and copies of the programs. A run is named after the process that owns it:
# ctest for the fixture (the parent of setup, scenarios and teardown alike).
RUNS = E2E_BUILD / "runs"
TEMPLATE_ROOT = E2E_BUILD / "prefix-template"
DEFAULT_EXE = REPO / "build" / "win32" / "lumra.exe"
PROBE_SOURCE = Path(__file__).resolve().parent / "probe.cpp"

# 32-bit Wine runs under qemu here; a smaller reserved guest address space makes each process
# start several times faster (0x80000000 is too small for Wine's loader).
QEMU_RESERVED_VA = "0x88000000"

WINE = shutil.which("wine") or "/usr/bin/wine"
# Started directly, a 64-bit program skips the 32-bit loader (and so the emulator).
WINE64 = shutil.which("wine64") or "/usr/lib/wine/wine64"
WINESERVER = shutil.which("wineserver") or "/usr/bin/wineserver"

# Documented Win32 values.
WM_NULL = 0x0000
WM_CLOSE = 0x0010
WM_USER = 0x0400
WS_EX_LAYERED = 0x00080000
# The tray icon's callback message: wParam the icon id, lParam the mouse message.
WM_TASKTRAY = WM_USER + 102
TRAY_ICON_ID = 1
WM_KEYDOWN = 0x0100
WM_HSCROLL = 0x0114
WM_LBUTTONDOWN = 0x0201
WM_RBUTTONDOWN = 0x0204
WM_MBUTTONDOWN = 0x0207
VK_RETURN = 0x0D
VK_ESCAPE = 0x1B
VK_DOWN = 0x28
BM_CLICK = 0x00F5
SBM_GETPOS = 0x00E1
SBS_VERT = 0x0001
WS_EX_TOOLWINDOW = 0x00000080
# Scroll bar requests (WM_HSCROLL's low word); SB_THUMBTRACK carries the position in the high word.
SB_LINELEFT, SB_LINERIGHT, SB_PAGELEFT, SB_PAGERIGHT, SB_THUMBTRACK = 0, 1, 2, 3, 5
MENU_CLASS = "#32768"
DIALOG_CLASS = "#32770"

SCREEN = "1280x1024x24"

# Without a tray of the X desktop, Wine's explorer shows the notification icons in a window of
# its own ("Wine System Tray"): visible, unowned and titled, so Lumra treats it as any program's.
TRAY_CLASS = "__winex11_standalone_tray"
# Each icon in it is a child window of this class; a press on one is passed on to the icon's
# owner as its callback message.
TRAY_ICON_CLASS = "__winex11_tray_icon"


class Failure(Exception):
    """A check that did not hold; its message says what was expected and what was seen."""


def log(*parts):
    print(*parts, flush=True)


def wait_until(predicate, timeout, what="condition", interval=0.1):
    """Polls `predicate` until it returns something truthy, which is returned; fails after
    `timeout` seconds naming `what`."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Failure(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(interval)


def wait_for(what, observe, accept, timeout, interval=0.1):
    """Polls `observe()` until `accept` takes its value; on timeout the failure shows the last
    value seen."""
    deadline = time.monotonic() + timeout
    while True:
        value = observe()
        if accept(value):
            return value
        if time.monotonic() >= deadline:
            raise Failure(f"{what}: not so within {timeout:g} s; last seen: {value}")
        time.sleep(interval)


# --- processes ----------------------------------------------------------------------------------


def spawn(args, env=None, logfile=None, **kwargs):
    """Starts a process in a process group of its own, so it can be ended with all it started."""
    out = open(logfile, "ab") if logfile else subprocess.DEVNULL
    try:
        return subprocess.Popen(
            [str(a) for a in args],
            env=env,
            stdin=kwargs.pop("stdin", subprocess.DEVNULL),
            stdout=kwargs.pop("stdout", out),
            stderr=out,
            start_new_session=True,
            **kwargs,
        )
    finally:
        if logfile:
            out.close()


def alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    # A zombie has ended; only its parent's wait is missing.
    try:
        return Path(f"/proc/{pid}/stat").read_text().split(") ")[1][0] != "Z"
    except (OSError, IndexError):
        return False


def stop_group(pid, grace=3.0):
    """Ends the process group led by `pid` (a process started by spawn): TERM, then KILL."""
    if not pid:
        return
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(pid, sig)
        except (ProcessLookupError, PermissionError):
            return
        deadline = time.monotonic() + grace
        while time.monotonic() < deadline:
            try:
                os.waitpid(pid, os.WNOHANG)
            except ChildProcessError:
                pass
            if not alive(pid):
                return
            time.sleep(0.05)


def group_members(pgid):
    members = []
    for entry in Path("/proc").iterdir():
        if entry.name.isdigit():
            try:
                if os.getpgid(int(entry.name)) == pgid:
                    members.append(int(entry.name))
            except ProcessLookupError:
                pass
    return members


def cmdline(pid):
    try:
        raw = Path(f"/proc/{pid}/cmdline").read_bytes()
    except OSError:
        return ""
    return raw.replace(b"\0", b" ").decode(errors="replace")


# --- display --------------------------------------------------------------------------------


def start_xvfb(logdir, timeout=30):
    """Starts Xvfb on a display number it finds free itself; returns (number, process) once it
    accepts connections (it writes the number to -displayfd only then)."""
    read_end, write_end = os.pipe()
    try:
        xvfb = spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN,
                      "-nolisten", "tcp"], logfile=logdir / "xvfb.log", pass_fds=(write_end,))
        os.close(write_end)
        write_end = None
        number = b""
        deadline = time.monotonic() + timeout
        with selectors.DefaultSelector() as selector:
            selector.register(read_end, selectors.EVENT_READ)
            while not number.endswith(b"\n"):
                left = deadline - time.monotonic()
                chunk = os.read(read_end, 16) if left > 0 and selector.select(left) else b""
                if not chunk:
                    stop_group(xvfb.pid)
                    raise Failure(f"Xvfb did not start (see {logdir / 'xvfb.log'})")
                number += chunk
        return int(number), xvfb
    finally:
        os.close(read_end)
        if write_end is not None:
            os.close(write_end)


def start_display(logdir):
    """Starts Xvfb, openbox and xcompmgr; returns (display, pids)."""
    n, xvfb = start_xvfb(logdir)
    display = f":{n}"
    env = dict(os.environ, DISPLAY=display)
    pids = {"xvfb": xvfb.pid}
    try:
        # Without a window manager, hiding or destroying a window takes Wine seconds.
        wm = spawn(["openbox", "--sm-disable"], env=env, logfile=logdir / "openbox.log")
        pids["wm"] = wm.pid
        wait_until(lambda: wm.poll() is not None or b"window id" in subprocess.run(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=env, capture_output=True).stdout,
            30, "openbox to manage the display")
        if wm.poll() is not None:
            raise Failure(f"openbox ended with code {wm.returncode} (see {logdir / 'openbox.log'})")
        if shutil.which("xcompmgr"):
            pids["compositor"] = spawn(["xcompmgr"], env=env, logfile=logdir / "xcompmgr.log").pid
    except BaseException:
        for pid in pids.values():
            stop_group(pid)
        raise
    return display, pids


def screenshot(display, path):
    path.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["import", "-display", display, "-window", "root", str(path)],
                   capture_output=True, timeout=30)
    return path


# --- Wine prefix ----------------------------------------------------------------------------


def wine_env(prefix, display):
    env = dict(os.environ)
    env.update(
        WINEPREFIX=str(prefix),
        WINEARCH="win64",
        # Wine's own logging slows every process down; LUMRA_E2E_WINEDEBUG turns some back on.
        WINEDEBUG=os.environ.get("LUMRA_E2E_WINEDEBUG", "-all"),
        # No Mono/Gecko installer prompts, and no menu entries written to the host.
        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d",
        # Code page 932: Lumra's captions and file contents are Shift-JIS.
        LANG="ja_JP.UTF-8",
        LC_ALL="ja_JP.UTF-8",
        DISPLAY=display,
        QEMU_RESERVED_VA=QEMU_RESERVED_VA,
    )
    return env


def template_prefix(display, logdir):
    """A win64 prefix made once per Wine version and kept under build/; returns (path, seconds
    spent making it, 0 when cached)."""
    version = subprocess.run([WINE64, "--version"], capture_output=True, text=True).stdout.strip()
    key = re.sub(r"[^A-Za-z0-9.]+", "-", version or "wine").strip("-") + "-win64"
    path = TEMPLATE_ROOT / key
    if (path / "system.reg").exists():
        return path, 0.0
    TEMPLATE_ROOT.mkdir(parents=True, exist_ok=True)
    log(f"making the Wine prefix template for {version} (once; takes minutes)")
    started = time.monotonic()
    work = Path(tempfile.mkdtemp(prefix=f"{key}.", dir=TEMPLATE_ROOT))
    shutil.rmtree(work)
    env = wine_env(work, display)
    try:
        with open(logdir / "wineboot.log", "ab") as errors:
            subprocess.run([WINE64, "wineboot", "-i"], env=env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=errors, timeout=600, check=True,
                           start_new_session=True)
        # The registry reaches its files when the server of this prefix ends.
        subprocess.run([WINESERVER, "-w"], env=env, timeout=300, check=True)
        if not (work / "system.reg").exists():
            raise Failure(f"wineboot made no prefix in {work}")
        try:
            work.rename(path)
        except OSError:
            if not (path / "system.reg").exists():
                raise
            shutil.rmtree(work)  # another run made the same template meanwhile
    except BaseException:
        subprocess.run([WINESERVER, "-k"], env=env, capture_output=True)
        shutil.rmtree(work, ignore_errors=True)
        raise
    return path, time.monotonic() - started


def copy_prefix(template, target):
    if target.exists():
        shutil.rmtree(target)
    started = time.monotonic()
    subprocess.run(["cp", "-a", "--reflink=auto", str(template), str(target)], check=True)
    return time.monotonic() - started


def probe_exe():
    """probe.exe as the build made it, or built here from its source for a scenario run by hand."""
    given = os.environ.get("LUMRA_PROBE")
    if given:
        return Path(given)
    built = REPO / "build" / "host" / "tests" / "e2e" / "probe.exe"
    if built.exists() and built.stat().st_mtime >= PROBE_SOURCE.stat().st_mtime:
        return built
    local = E2E_BUILD / "probe.exe"
    if not local.exists() or local.stat().st_mtime < PROBE_SOURCE.stat().st_mtime:
        E2E_BUILD.mkdir(parents=True, exist_ok=True)
        subprocess.run(["x86_64-w64-mingw32-g++", "-std=c++20", "-O2", "-Wall", "-Wextra",
                        "-Wpedantic", "-static", "-o", str(local), str(PROBE_SOURCE), "-luser32",
                        "-lgdi32", "-lshell32"], check=True)
    return local


def lumra_exe():
    exe = Path(os.environ.get("LUMRA_EXE", DEFAULT_EXE))
    if not exe.exists():
        raise Failure(f"no {exe}: build it first (cmake --preset win32 && cmake --build --preset "
                      "win32)")
    return exe


# --- the probe ------------------------------------------------------------------------------


class ProbeError(Failure):
    pass


class Probe:
    """probe.exe, started once and then asked one command per line."""

    def __init__(self, env, exe, logfile, timeout=60):
        started = time.monotonic()
        self.logfile = Path(logfile)
        self.proc = spawn([WINE64, exe], env=env, logfile=logfile,
                          stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self._buffer = b""
        self._selector = selectors.DefaultSelector()
        self._selector.register(self.proc.stdout, selectors.EVENT_READ)
        ready = self._read_line(timeout)
        if ready.get("ready") != "probe":
            raise ProbeError(f"probe did not start: {ready}")
        self.start_seconds = time.monotonic() - started

    def _read_line(self, timeout):
        deadline = time.monotonic() + timeout
        while b"\n" not in self._buffer:
            left = deadline - time.monotonic()
            if left <= 0 or not self._selector.select(left):
                raise ProbeError(f"probe gave no answer within {timeout} s")
            chunk = os.read(self.proc.stdout.fileno(), 65536)
            if not chunk:
                code = self.proc.wait()
                tail = self.logfile.read_text(errors="replace")[-2000:].strip()
                raise ProbeError(f"probe ended (exit code {code})"
                                 + (f"; its log: {tail}" if tail else ""))
            self._buffer += chunk
        line, self._buffer = self._buffer.split(b"\n", 1)
        return json.loads(line)

    def call(self, *words, timeout=60):
        """Sends one command; returns its answer, or raises when the probe reports a failure."""
        line = b" ".join(w if isinstance(w, bytes) else str(w).encode() for w in words)
        self.proc.stdin.write(line + b"\n")
        self.proc.stdin.flush()
        answer = self._read_line(timeout)
        if answer.get("ok") is False:
            raise ProbeError(f"probe: {line.decode(errors='replace')}: {answer.get('error')}")
        return answer

    @staticmethod
    def _decoded(window):
        raw = bytes.fromhex(window.pop("title_hex", window.pop("text_hex", "")))
        window["text_bytes"] = raw
        window["title"] = raw.decode("cp932", errors="replace")
        return window

    def acp(self):
        return self.call("acp")["acp"]

    def create(self, name, *options):
        return self.call("create", name, *options)["hwnd"]

    def destroy(self, name):
        self.call("destroy", name)

    def state(self, hwnd):
        answer = self.call("state", hwnd)
        return self._decoded(answer) if answer["exists"] else answer

    def windows(self):
        return [self._decoded(w) for w in self.call("list")["windows"]]

    def find(self, cls, title=None):
        """FindWindowA: the first top-level window of class `cls` (and title, matched as
        Shift-JIS), hidden ones included; 0 when none."""
        words = [cls] + ([title.encode("cp932")] if title is not None else [])
        return self.call("find", *words)["hwnd"]

    def children(self, hwnd):
        return [self._decoded(c) for c in self.call("children", hwnd)["children"]]

    def front(self, hwnd):
        return self.call("front", hwnd)

    def foreground(self):
        return self.call("foreground")["hwnd"]

    def post(self, hwnd, msg, wparam=0, lparam=0):
        self.call("post", hwnd, msg, wparam, lparam)

    def send(self, hwnd, msg, wparam=0, lparam=0, timeout_ms=5000):
        """SendMessageTimeout: {"answered": whether the window's thread answered, "result"}."""
        return self.call("send", hwnd, msg, wparam, lparam, timeout_ms)

    def close(self, hwnd):
        self.call("close", hwnd)

    def spawn(self, command):
        return self.call("spawn", command)["pid"]

    def kill(self, pid):
        self.call("kill", pid)

    def cursor(self, x, y):
        """Moves the mouse pointer (SetCursorPos)."""
        self.call("cursor", x, y)

    def paint(self, name, rgb):
        """Fills probe window `name` with colour `rgb` (0xRRGGBB) and writes its title on it."""
        self.call("paint", name, f"{rgb:06x}")

    def move(self, name, x, y, w, h):
        self.call("move", name, x, y, w, h)

    def pixels(self, x, y, w, h):
        """The screen's pixels in that rectangle, row by row, as (r, g, b) tuples."""
        raw = bytes.fromhex(self.call("pixels", x, y, w, h)["rgb_hex"])
        return [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]

    def menu_look(self, x, y, items):
        """Opens a popup menu of the probe's own with `items` as captions at (x, y) and closes it
        again once it shows steadily; returns (its rectangle [l, t, r, b], its pixels)."""
        answer = self.call("menulook", x, y, *(item.encode("cp932") for item in items))
        raw = bytes.fromhex(answer["rgb_hex"])
        return answer["rect"], [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]

    def scroll_info(self, hwnd):
        """GetScrollInfo of a scroll bar control: {"min", "max", "page", "pos"}."""
        return self.call("scrollinfo", hwnd)

    def tray_remove(self, hwnd, icon_id):
        """Makes the shell forget the icon (`hwnd`, `icon_id`) without telling its owner, as a
        restarting shell does; whether the shell had such an icon."""
        return self.call("trayremove", hwnd, icon_id)["removed"]

    def broadcast(self, name):
        """Posts the registered message `name` to every top-level window; returns its number."""
        return self.call("broadcast", name)["message"]

    def tray_icons(self):
        """The icon windows shown in the shell's notification area, with their rectangles."""
        icons = []
        for tray in self.windows():
            if tray["class"] == TRAY_CLASS:
                icons += [dict(c, tray_visible=tray["visible"]) for c in self.children(tray["hwnd"])
                          if c["class"] == TRAY_ICON_CLASS]
        return icons

    def wait_exit(self, pid, ms):
        """The exit code of Windows process `pid`, or None if it still runs after `ms`."""
        answer = self.call("waitexit", pid, int(ms), timeout=ms / 1000 + 30)
        return answer["code"] if answer["exited"] else None

    def stop(self):
        """Ends the probe and whatever else it started that still runs."""
        if self.proc.poll() is None:
            try:
                self.call("quit", timeout=10)
                self.proc.wait(timeout=10)
            except (ProbeError, OSError, subprocess.TimeoutExpired):
                pass
        stop_group(self.proc.pid)
        self.proc.wait()
        self._selector.close()
        for stream in (self.proc.stdin, self.proc.stdout):
            try:
                stream.close()
            except OSError:
                pass


# --- the shared environment -----------------------------------------------------------------


class Environment:
    """Display, window manager, prefix, wineserver and desktop, started once per test run, all
    under one folder: run.json (what runs), prefix/, logs/, work/ (the scenarios' folders) and
    the copies of lumra.exe and probe.exe that every scenario of the run uses."""

    def __init__(self, root, display, pids, owner):
        self.root, self.display, self.pids, self.owner = Path(root).resolve(), display, pids, owner
        self.prefix, self.logdir = self.root / "prefix", self.root / "logs"
        self.work = self.root / "work"
        self.probe_exe, self.lumra_exe = self.root / "probe.exe", self.root / "lumra.exe"
        self.env = wine_env(self.prefix, self.display) if display else None

    @classmethod
    def start(cls, root, owner, timings=None):
        timings = {} if timings is None else timings
        self = cls(root, None, {}, owner)
        self.logdir.mkdir(parents=True, exist_ok=True)
        # Saved at once and after each step, so whatever runs can be found and stopped.
        self.save()
        try:
            # Copies: a build running meanwhile may rewrite the originals.
            shutil.copy2(probe_exe(), self.probe_exe)
            shutil.copy2(lumra_exe(), self.lumra_exe)
            self.display, display_pids = start_display(self.logdir)
            self.pids.update(display_pids)
            self.env = wine_env(self.prefix, self.display)
            self.save()
            template, timings["template_seconds"] = template_prefix(self.display, self.logdir)
            timings["prefix_copy_seconds"] = copy_prefix(template, self.prefix)
            self.start_wineserver()
            # The desktop process (explorer.exe) lives as long as some program uses the desktop,
            # and belongs to the process group of the one that started it: a holder started
            # here keeps it for the whole run and out of every scenario's process group.
            holder = spawn([WINE64, self.probe_exe, "hold"], env=self.env,
                           logfile=self.logdir / "desktop.log")
            self.pids["desktop"] = holder.pid
            self.save()
            wait_until(lambda: any("explorer.exe" in cmdline(p) for p in group_members(holder.pid))
                       or holder.poll() is not None, 180, "the desktop process")
            if holder.poll() is not None:
                raise Failure(f"the desktop holder ended with code {holder.returncode}")
            probe = Probe(self.env, self.probe_exe, self.logdir / "probe.log", timeout=180)
            timings["probe_start_seconds"] = probe.start_seconds
            try:
                acp = probe.acp()
            finally:
                probe.stop()
            if acp != 932:
                raise Failure(f"Wine runs with code page {acp}, not 932: is the ja_JP.UTF-8 locale "
                              "installed (scripts/setup)?")
        except BaseException:
            self.stop()
            raise
        return self

    def start_wineserver(self):
        # In the foreground (-f), so its pid is known; persistent (-p) between processes.
        self.pids["wineserver"] = spawn([WINESERVER, "-f", "-p"], env=self.env,
                                        logfile=self.logdir / "wineserver.log").pid
        self.save()

    def running(self):
        return all(alive(self.pids.get(name, 0)) for name in ("xvfb", "wineserver", "desktop"))

    def save(self):
        (self.root / "run.json").write_text(json.dumps(
            {"display": self.display, "pids": self.pids, "owner": self.owner}))

    @classmethod
    def load(cls, root):
        """The environment saved in `root`, or None."""
        try:
            state = json.loads((Path(root) / "run.json").read_text())
        except (OSError, ValueError):
            return None
        return cls(root, state["display"], state["pids"], state["owner"])

    def stop(self, remove=True):
        """Ends everything the environment started; with `remove`, removes its folder but for
        the logs."""
        if self.env and self.prefix.exists():
            subprocess.run([WINESERVER, "-k"], env=self.env, capture_output=True, timeout=60)
        for name in ("desktop", "wineserver", "compositor", "wm", "xvfb"):
            pid = self.pids.get(name)
            # Only what this environment started: a recorded pid may have been reused since.
            try:
                ours = bool(pid) and alive(pid) and os.getpgid(pid) == pid
            except ProcessLookupError:
                ours = False
            if ours:
                stop_group(pid)
        if remove:
            for entry in self.root.iterdir():
                if entry.is_dir() and entry.name != "logs":
                    shutil.rmtree(entry, ignore_errors=True)
                elif not entry.is_dir():
                    entry.unlink()


def look(probe, hwnd):
    """(WS_EX_LAYERED set, alpha or None when the layered attributes cannot be read)."""
    state = probe.state(hwnd)
    if not state["exists"]:
        return None
    attrs = state["layered"]
    return bool(state["exstyle"] & WS_EX_LAYERED), attrs["alpha"] if attrs["ok"] else None


def percent(level):
    """What the settings window's panel shows for a level."""
    return str(level * 100 // 255)


def stored_level(ini_text):
    """The level an INI text stores in [Lumra] lay, or None."""
    if ini_text is None:
        return None
    section = None
    for line in ini_text.splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1].strip().lower()
        elif section == "lumra" and "=" in line:
            key, value = line.split("=", 1)
            if key.strip().lower() == "lay":
                return int(value.strip())
    return None


def near(rect, x, y, slack=2):
    """Whether point (x, y) lies on or within `slack` pixels of rectangle [l, t, r, b]."""
    left, top, right, bottom = rect
    return left - slack <= x <= right + slack and top - slack <= y <= bottom + slack


def appearance(probe, hwnd):
    """Everything about a window's translucency: the style bit and the full layered attributes."""
    state = probe.state(hwnd)
    if not state["exists"]:
        return None
    return {"layered": bool(state["exstyle"] & WS_EX_LAYERED), "attributes": state["layered"]}


# --- Lumra under test -----------------------------------------------------------------------


class Lumra:
    """One lumra.exe process, started from a fresh folder of its own (its INI file lands there)."""

    def __init__(self, scenario, exe_name="lumra.exe", files=None):
        self.scenario = scenario
        self.folder = Path(tempfile.mkdtemp(prefix="lumra.", dir=scenario.workdir))
        self.exe = self.folder / exe_name
        shutil.copy2(scenario.env.lumra_exe, self.exe)
        for name, content in (files or {}).items():
            (self.folder / name).write_bytes(content)
        self.pid = None  # Windows process id, known once its form is found
        self.form = None
        self.proc = None

    def launch(self, probe, timeout=120):
        """Starts the exe and waits for its settings form to exist; returns the seconds taken."""
        before = {w["pid"] for w in probe.windows()}
        started = time.monotonic()
        self.proc = spawn([WINE, self.exe], env=self.scenario.env.env, cwd=self.folder,
                          logfile=Path(f"{self.folder}.log"))

        def new_form():
            if self.proc.poll() is not None:
                raise Failure(f"{self.exe.name} ended during its start, exit code "
                              f"{self.proc.returncode}")
            return next((w for w in probe.windows()
                         if w["class"] == "TForm1" and w["pid"] not in before), None)

        form = wait_until(new_form, timeout, f"the TForm1 window of {self.exe.name}", 0.25)
        self.start_seconds = time.monotonic() - started
        self.pid, self.form = form["pid"], form["hwnd"]
        log(f"  {self.exe.name} started: TForm1 found {self.start_seconds:.1f} s after launch")
        return self.start_seconds

    def windows(self, probe):
        return [w for w in probe.windows() if w["pid"] == self.pid]

    def wait_settled(self, probe, timeout=60):
        """Waits until the start is over: the form's thread answers messages (its loop runs, so
        the form's creation has finished) and the shell shows the tray icon (the standalone tray
        window of Wine's explorer appears for it)."""
        def settled():
            if not self.running():
                raise Failure(f"{self.exe.name} ended during its start, exit code "
                              f"{self.proc.returncode}")
            if not probe.send(self.form, WM_NULL, timeout_ms=2000)["answered"]:
                return False
            return any(w["class"] == TRAY_CLASS and w["visible"] for w in probe.windows())
        wait_until(settled, timeout, f"{self.exe.name} to settle (message loop, tray icon)", 0.25)

    # --- as a user sees and handles it ---

    def controls(self, probe):
        """The settings form's controls by class and caption, e.g. ("TButton", "OK"); the panel,
        the scroll bar and the tray's callback window by class alone."""
        found = {}
        for c in probe.children(self.form):
            key = c["class"] if c["class"] in ("TPanel", "TScrollBar", "TNotifyWindow") \
                else (c["class"], c["title"])
            found[key] = c
        return found

    def control(self, probe, key):
        return self.controls(probe)[key]["hwnd"]

    def press_tray(self, probe, button_message):
        """A press on the tray icon, as the shell reports it: posted, never sent."""
        probe.post(self.control(probe, "TNotifyWindow"), WM_TASKTRAY, TRAY_ICON_ID,
                   button_message)

    def menus(self, probe):
        """Lumra's popup menu windows on screen."""
        return [w for w in probe.windows()
                if w["class"] == MENU_CLASS and w["pid"] == self.pid and w["visible"]]

    def wait_menu(self, probe, timeout=20):
        return wait_until(lambda: next(iter(self.menus(probe)), None), timeout,
                          "the tray menu of lumra.exe")

    def open_menu(self, probe, x, y, button_message=WM_RBUTTONDOWN):
        """Points at (x, y), presses the tray icon and returns the menu window that opens."""
        probe.cursor(x, y)
        self.press_tray(probe, button_message)
        return self.wait_menu(probe)

    @staticmethod
    def choose(probe, menu, item, downs=None):
        """Picks item `item` (1 = the first) of an open menu with the keyboard, as a user would:
        Down to it (or `downs` times), then Return."""
        for _ in range(item if downs is None else downs):
            probe.post(menu["hwnd"], WM_KEYDOWN, VK_DOWN)
        probe.post(menu["hwnd"], WM_KEYDOWN, VK_RETURN)

    def open_settings(self, probe, x=600, y=500):
        """設定 from the tray menu; waits for the settings window to show."""
        self.choose(probe, self.open_menu(probe, x, y), 1)
        wait_until(lambda: probe.state(self.form)["visible"], 20, "the settings window to show")

    def settings_shown(self, probe):
        return probe.state(self.form)["visible"]

    def click(self, probe, key):
        """Clicks a button of the settings form, e.g. ("TButton", "OK")."""
        probe.post(self.control(probe, key), BM_CLICK)

    def scroll(self, probe, request, position=0):
        """Moves the level's scroll bar as its arrows, its track or its thumb would."""
        probe.post(self.form, WM_HSCROLL, request | (position << 16),
                   self.control(probe, "TScrollBar"))

    def slider(self, probe):
        """(scroll bar position, the panel's text): the level the settings window shows."""
        found = self.controls(probe)
        return (probe.send(found["TScrollBar"]["hwnd"], SBM_GETPOS)["result"],
                found["TPanel"]["title"])

    def ini_path(self):
        """The INI file named after the exe, found as Windows would (whatever the case of its
        name); when there is none, the name Lumra gives it (lumra.exe: Lumra.ini)."""
        wanted = f"{self.exe.stem}.ini".lower()
        found = [p for p in self.folder.iterdir() if p.name.lower() == wanted]
        return found[0] if found else self.folder / wanted.capitalize()

    def ini_text(self):
        """The INI file beside the exe as text, or None when there is none."""
        path = self.ini_path()
        return path.read_bytes().decode("cp932") if path.is_file() else None

    @staticmethod
    def windows_path(path):
        """How Lumra names a file of ours: Wine shows the host's root as drive Z:."""
        return "Z:" + str(path).replace("/", "\\")

    def close(self, probe, timeout=60):
        """Closes the settings form as the system would and returns the exit code."""
        probe.close(self.form)
        return self.exit_code(timeout)

    def ini_files(self):
        return sorted(p.name for p in self.folder.iterdir() if p.suffix.lower() == ".ini")

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def exit_code(self, timeout):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"{self.exe.name} still runs {timeout:g} s later") from None

    def stop(self):
        if self.proc is not None:
            stop_group(self.proc.pid)
            self.proc.wait()


# --- scenarios ------------------------------------------------------------------------------


class Scenario:
    """One scenario: its probe, its Lumra processes and its files, all ended and removed on exit,
    whatever happened. Uses the environment of `harness.py setup`, or brings its own."""

    def __init__(self, name):
        self.name = name
        self.passed = 0
        self.env = None
        self._own_env = False
        self._probes, self._lumras = [], []

    def __enter__(self):
        self.env = Environment.load(RUNS / str(os.getppid()))
        if not (self.env and self.env.running()):
            # Run by hand: an environment of its own, for this scenario only.
            RUNS.mkdir(parents=True, exist_ok=True)
            root = tempfile.mkdtemp(prefix=f"{self.name}.", dir=RUNS)
            self._own_env = True
            self.env = Environment.start(root, os.getpid())
        self.env.work.mkdir(parents=True, exist_ok=True)
        self.workdir = Path(tempfile.mkdtemp(prefix=f"{self.name}.", dir=self.env.work))
        atexit.register(self._cleanup)
        return self

    def __exit__(self, kind, error, tb):
        if kind is not None and self.env is not None:
            shot = screenshot(self.env.display, E2E_BUILD / "failures" / f"{self.name}.png")
            log(f"FAIL {self.name}: {error}\n  screenshot: {shot}")
            self._keep_logs()
        self._cleanup()
        return False

    def _keep_logs(self):
        target = E2E_BUILD / "failures" / self.name
        shutil.rmtree(target, ignore_errors=True)
        target.mkdir(parents=True)
        for f in self.workdir.glob("*.log"):
            shutil.copy2(f, target / f.name)

    def _cleanup(self):
        for lumra in self._lumras:
            lumra.stop()
        for probe in self._probes:
            probe.stop()
        self._lumras, self._probes = [], []
        if getattr(self, "workdir", None):
            shutil.rmtree(self.workdir, ignore_errors=True)
            self.workdir = None
        if self._own_env and self.env is not None:
            self.env.stop()
            shutil.rmtree(self.env.root, ignore_errors=True)
            self.env = None

    def probe(self):
        probe = Probe(self.env.env, self.env.probe_exe,
                      self.workdir / f"probe{len(self._probes)}.log")
        self._probes.append(probe)
        return probe

    def lumra(self, exe_name="lumra.exe", files=None):
        """A copy of lumra.exe named `exe_name` in a fresh folder, with `files` (name: bytes)
        beside it; not started yet."""
        lumra = Lumra(self, exe_name, files)
        self._lumras.append(lumra)
        return lumra

    def _passed(self, what):
        self.passed += 1
        log(f"ok {self.passed} - {what}")

    def check(self, what, condition, seen=None):
        if not condition:
            raise Failure(f"{what}" + (f" (seen: {seen})" if seen is not None else ""))
        self._passed(what)

    def expect(self, what, observe, accept, timeout):
        """A check that must come true within `timeout` seconds; returns the value seen."""
        value = wait_for(what, observe, accept, timeout)
        self._passed(what)
        return value

    @staticmethod
    def wait_until(predicate, timeout, what):
        return wait_until(predicate, timeout, what)

    def screenshot(self, label):
        return screenshot(self.env.display, E2E_BUILD / "screenshots" / f"{self.name}-{label}.png")

    def check_as_before(self, probe, windows, before, when="after Lumra"):
        """Every window in `windows` (what -> hwnd) looks exactly as `before` recorded it."""
        for what, hwnd in windows.items():
            now = appearance(probe, hwnd)
            self.check(f"{when}: {what} is exactly as before", now == before[what],
                       {"before": before[what], "now": now})


def _terminated(signum, frame):
    raise SystemExit(128 + signum)  # unwinds through the clean-up of whatever is running


def run_scenario(name, body):
    """Entry point of a scenario script: runs `body(scenario)`, exits non-zero on failure."""
    signal.signal(signal.SIGTERM, _terminated)
    try:
        with Scenario(name) as scenario:
            body(scenario)
    except Failure:
        log(f"{name}: {scenario.passed} passed, 1 failed")
        sys.exit(1)
    log(f"{name}: {scenario.passed} passed, 0 failed")


# --- command line ---------------------------------------------------------------------------


def stop_stale_runs():
    """Stops the environments of runs whose owner is gone (a ctest run killed on its way)."""
    for root in RUNS.glob("*") if RUNS.exists() else []:
        env = Environment.load(root)
        if env is not None and not alive(env.owner):
            env.stop()
            shutil.rmtree(root, ignore_errors=True)
        elif env is None and root.name.isdigit() and not alive(int(root.name)):
            shutil.rmtree(root, ignore_errors=True)  # the logs of an earlier run


def cmd_setup():
    """Starts the environment of the calling ctest run (or shell)."""
    stop_stale_runs()
    root = RUNS / str(os.getppid())
    old = Environment.load(root)
    if old is not None:
        old.stop()
    shutil.rmtree(root, ignore_errors=True)
    started = time.monotonic()
    timings = {}
    env = Environment.start(root, os.getppid(), timings=timings)
    log(f"e2e environment on display {env.display}, in {env.root}")
    log("  template prefix: " + (f"made in {timings['template_seconds']:.1f} s"
                                 if timings["template_seconds"] else "cached"))
    log(f"  prefix copy: {timings['prefix_copy_seconds']:.1f} s")
    log(f"  probe start: {timings['probe_start_seconds']:.2f} s")
    log(f"  setup total: {time.monotonic() - started:.1f} s")


def cmd_teardown():
    env = Environment.load(RUNS / str(os.getppid()))
    if env is None:
        log("no e2e environment to stop")
        return
    env.stop()
    log(f"e2e environment on display {env.display} stopped (logs in {env.logdir})")


def cmd_run(exe, args):
    """Runs `exe` as a user would, until it exits; returns its exit code."""
    exe = Path(exe).resolve()
    if not exe.exists():
        raise SystemExit(f"no such program: {exe}")
    rundir = REPO / "build" / "run"
    (rundir / "logs").mkdir(parents=True, exist_ok=True)
    for old in rundir.glob("screen-*.png"):
        old.unlink()
    display, pids = os.environ.get("DISPLAY"), {}
    if not display:
        display, pids = start_display(rundir / "logs")
        log(f"no $DISPLAY: running on virtual display {display}, screenshots in {rundir}")
    # The prefix stays for the next run; the INI file appears beside the exe, as for a user.
    env = Environment(rundir, display, pids, os.getpid())
    proc = None

    signal.signal(signal.SIGTERM, _terminated)
    try:
        if not (env.prefix / "system.reg").exists():
            template, _ = template_prefix(display, env.logdir)
            copy_prefix(template, env.prefix)
        env.start_wineserver()
        proc = spawn([WINE, exe, *args], env=env.env, cwd=exe.parent,
                     logfile=env.logdir / "wine.log")
        log(f"started {exe.name} (pid {proc.pid}, prefix {env.prefix}); it runs until it exits")
        shot = 0
        while proc.poll() is None:
            if pids:
                screenshot(display, rundir / f"screen-{shot:04d}.png")
                shot += 1
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                pass
        log(f"{exe.name} exited with code {proc.returncode}")
        return proc.returncode
    except (KeyboardInterrupt, SystemExit):
        log("interrupted")
        return 130
    finally:
        if proc is not None:
            stop_group(proc.pid)
        env.stop(remove=False)


def main(argv):
    if len(argv) >= 2 and argv[1] == "setup":
        cmd_setup()
    elif len(argv) >= 2 and argv[1] == "teardown":
        cmd_teardown()
    elif len(argv) >= 3 and argv[1] == "run":
        return cmd_run(argv[2], argv[3:])
    else:
        raise SystemExit(__doc__)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except Failure as error:
        log(f"FAIL: {error}")
        sys.exit(1)
