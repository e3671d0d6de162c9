#!/usr/bin/env python3
"""Checks the built lumra.exe from outside: a 32-bit GUI program that imports only Windows' own
DLLs and never SetLayeredWindowAttributes, whose MAINICON is the tray icon of its form.

usage: check_exe.py LUMRA_EXE LUMRA_ICO
"""
import re
import struct
import sys

WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "msvcrt.dll", "advapi32.dll"}


class Pe:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        assert data[pe:pe + 4] == b"PE\0\0", "no PE signature"
        self.machine, sections, _, _, _, opt_size, self.characteristics = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        self.subsystem = struct.unpack_from("<H", data, opt + 68)[0]
        self.dirs = [struct.unpack_from("<II", data, opt + 96 + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(sections):
            name, vsize, va, rsize, raw = struct.unpack_from("<8sIIII", data, opt + opt_size + 40 * i)
            self.sections.append((va, max(vsize, rsize), raw))

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError(f"rva {rva:#x} in no section")

    def cstr(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def imports(self):
        rva = self.dirs[1][0]
        found = {}
        while True:
            lookup, _, _, name, thunk = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if name == 0:
                return found
            functions = []
            entry = self.offset(lookup or thunk)
            while True:
                value = struct.unpack_from("<I", self.data, entry)[0]
                if value == 0:
                    break
                if not value & 0x80000000:
                    functions.append(self.cstr(value + 2))
                entry += 4
            found[self.cstr(name).lower()] = functions
            rva += 20

    def resources(self):
        """{(type, name): bytes}, names as strings or ids, first language only."""
        base = self.dirs[2][0]
        out = {}

        def directory(rva):
            at = self.offset(base + rva)
            named, ids = struct.unpack_from("<HH", self.data, at + 12)
            for i in range(named + ids):
                key, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
                if key & 0x80000000:
                    s = self.offset(base + (key & 0x7FFFFFFF))
                    length = struct.unpack_from("<H", self.data, s)[0]
                    key = self.data[s + 2:s + 2 + 2 * length].decode("utf-16-le")
                yield key, target

        for rtype, t in directory(0):
            for name, n in directory(t & 0x7FFFFFFF):
                for _, leaf in directory(n & 0x7FFFFFFF):
                    data_rva, size = struct.unpack_from("<II", self.data, self.offset(base + leaf))
                    out[(rtype, name)] = self.data[self.offset(data_rva):self.offset(data_rva) + size]
                    break
        return out


def main(exe_path, ico_path):
    pe = Pe(open(exe_path, "rb").read())
    ico = open(ico_path, "rb").read()
    failures = []

    def check(ok, what):
        print(("ok   " if ok else "FAIL ") + what)
        if not ok:
            failures.append(what)

    check(pe.machine == 0x14C and pe.magic == 0x10B, "PE32 for Intel 80386")
    check(pe.subsystem == 2, "GUI subsystem: no console window")
    imports = pe.imports()
    check(set(imports) <= WINDOWS_DLLS, f"imports only Windows' own DLLs: {sorted(imports)}")
    check(all("SetLayeredWindowAttributes" not in f for f in imports.values()),
          "SetLayeredWindowAttributes is looked up by name, never imported")
    resources = pe.resources()
    group = resources.get((14, "MAINICON"))
    check(group is not None, "icon group MAINICON")
    if group:
        _, _, count = struct.unpack_from("<HHH", group, 0)
        width, height, colours, _, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6)
        check(count == 1 and (width, height, colours, bits) == (32, 32, 16, 4), "one 32 x 32 image of 16 colours")
        check(resources.get((3, icon_id)) == ico[22:] and size == 744, "MAINICON's image is the 744 bytes of the icon")
    form = resources.get((10, "TFORM1"))
    check(form is not None, "form description TFORM1")
    if form:
        text = form.decode("cp932")
        match = re.search(r"Icon\.Data\s*=\s*\{([0-9A-Fa-f\s]*)\}", text)
        check(match is not None and bytes.fromhex("".join(match.group(1).split())) == ico,
              "the tray icon of the form is the same 766-byte icon file")
        check("'設定'" in text and "'キャンセル'" in text, "captions in Shift-JIS")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
