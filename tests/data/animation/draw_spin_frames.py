#!/usr/bin/env python3
"""Draws the frames of the "spin" test animation: four 32 x 32 PNG frames of
an opaque ring (transparent outside it and in a hole of radius 5 at the
centre) whose colour changes from frame to frame, with a white bar that turns
by 45 degrees a frame. animpack packs them: animpack spin_frames spin.xml."""

import math
import os
import struct
import sys
import zlib

SIZE = 32
COLOURS = [(220, 40, 40), (40, 180, 60), (40, 80, 220), (230, 200, 30)]


def png(path, width, height, rgba_rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(row) for row in rgba_rows)
    data = b"\x89PNG\r\n\x1a\n"
    data += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(raw, 9))
    data += chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(data)


def frame(index):
    angle = index * math.pi / 4
    ux, uy = math.cos(angle), math.sin(angle)
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            dx, dy = x + 0.5 - SIZE / 2, y + 0.5 - SIZE / 2
            r = math.hypot(dx, dy)
            if r < 5 or r > 15:
                row += [0, 0, 0, 0]
                continue
            along = dx * ux + dy * uy
            across = -dx * uy + dy * ux
            if abs(across) < 2 and along > 0:
                row += [255, 255, 255, 255]
            else:
                row += list(COLOURS[index]) + [255]
        rows.append(row)
    return rows


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "spin_frames")
    os.makedirs(folder, exist_ok=True)
    for i in range(4):
        png(os.path.join(folder, "frame%d.png" % (i + 1)), SIZE, SIZE, frame(i))


if __name__ == "__main__":
    main()
