#!/usr/bin/env python3
# Independent reference for the PNG decoder's tests: decodes each PNG named
# on the command line with the pure-Python png module and writes, per file,
# "width height\n" and then width*height*4 bytes in the order blue, green,
# red, alpha, with the gamma correction a screen gamma of 2.2 asks for.
import struct
import sys

import png

SCREEN_GAMMA = 2.2


def convert(path, out):
    reader = png.Reader(filename=path)
    width, height, rows, info = reader.asRGBA8()
    gamma = info.get("gamma")
    table = list(range(256))
    if gamma and abs(gamma * SCREEN_GAMMA - 1.0) >= 0.05:
        exponent = 1.0 / (gamma * SCREEN_GAMMA)
        table = [int(round(255.0 * (v / 255.0) ** exponent)) for v in range(256)]
    out.write(b"%d %d\n" % (width, height))
    for row in rows:
        line = bytearray(width * 4)
        for x in range(width):
            r, g, b, a = row[x * 4 : x * 4 + 4]
            line[x * 4 : x * 4 + 4] = bytes((table[b], table[g], table[r], a))
        out.write(bytes(line))


for name in sys.argv[1:]:
    convert(name, sys.stdout.buffer)
