#!/usr/bin/env python3
"""Build steps for Lumra's resources.

  mkres.py ico PIXMAP OUT.ico        the icon file (766 bytes) from the pixel map
  mkres.py hex PIXMAP                the icon's bytes as the form description's hex lines
  mkres.py sjis IN.dfm OUT           the form description (UTF-8) in Shift-JIS, as the exe holds it
"""
import struct
import sys

# The standard 16-colour Windows palette, in index order, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (128, 128, 128), (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
SIZE = 32


def read_pixmap(path):
    rows = [line.strip() for line in open(path, encoding="ascii")
            if line.strip() and not line.startswith("#")]
    if len(rows) != SIZE or any(len(r) != SIZE for r in rows):
        sys.exit(f"{path}: the picture must be {SIZE} rows of {SIZE} hex digits")
    return [[int(c, 16) for c in row] for row in rows]


def icon_bytes(pixels):
    xor_rows = []
    for row in reversed(pixels):  # bitmaps are stored bottom-up
        xor_rows.append(bytes((row[i] << 4) | row[i + 1] for i in range(0, SIZE, 2)))
    xor = b"".join(xor_rows)
    mask = bytes(SIZE * 4)  # every pixel opaque
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 22)
    data = directory + image
    assert len(image) == 744 and len(data) == 766
    return data


def main(argv):
    if len(argv) == 4 and argv[1] == "ico":
        open(argv[3], "wb").write(icon_bytes(read_pixmap(argv[2])))
    elif len(argv) == 3 and argv[1] == "hex":
        data = icon_bytes(read_pixmap(argv[2])).hex().upper()
        for i in range(0, len(data), 64):
            print("      " + data[i:i + 64])
    elif len(argv) == 4 and argv[1] == "sjis":
        text = open(argv[2], encoding="utf-8").read()
        open(argv[3], "wb").write(text.encode("cp932"))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
