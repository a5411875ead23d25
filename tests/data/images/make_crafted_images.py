#!/usr/bin/env python3
"""Writes the small crafted pictures of the image decoder tests, each a few
dozen to a few hundred bytes whose header claims far more than the file holds:

  text-bomb.png     a 1 x 1 PNG whose text chunk claims 1 GiB (57 bytes)
  huge.png          a PNG header of 8192 x 8192 over a few bytes of data
  huge.jpg          a baseline JPEG header of 8192 x 8192 over a few bytes
  huge.jp2          a JPEG 2000 codestream header of 8192 x 8192
  many-components.jp2  a 16 x 16 codestream header of 300 components
  many-tiles.jp2    a 1000 x 1000 codestream header of 10,000 tiles
  texts.png         a good 4 x 2 PNG with tEXt, zTXt and iTXt chunks

The JPEG 2000 files are bare codestreams (the decoder tells them by their
first bytes) under the ".jp2" name the texture loader asks for. Run it from
any folder; it writes beside itself and copies each file into
the image decoders' fuzz corpus, so the corpus replay runs them too."""

import os
import shutil
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "..", "..", "fuzz", "corpus", "fuzz_images")


def chunk(kind, data, length=None):
    body = kind + data
    size = len(data) if length is None else length
    return struct.pack(">I", size) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def ihdr(width, height, colour_type=6):
    return chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0))


SIGNATURE = b"\x89PNG\r\n\x1a\n"


def text_bomb():
    # The chunk says 1 GiB follows; 16 bytes do.
    data = SIGNATURE + ihdr(1, 1)
    data += struct.pack(">I", 1 << 30) + b"tEXt" + b"Comment\x00xxxxxxxx"
    assert len(data) == 57
    return data


def huge_png():
    row = b"\x00" + b"\x00" * 16
    return SIGNATURE + ihdr(8192, 8192) + chunk(b"IDAT", zlib.compress(row)) + chunk(b"IEND", b"")


def texts_png():
    rows = b""
    for y in range(2):
        rows += b"\x00" + b"".join(bytes((60 * x, 100 * y, 200, 255 - 50 * x)) for x in range(4))
    data = SIGNATURE + ihdr(4, 2)
    data += chunk(b"tEXt", b"Comment\x00" + b"a" * 300)
    data += chunk(b"zTXt", b"Title\x00\x00" + zlib.compress(b"z" * 100000))
    data += chunk(b"iTXt", b"Author\x00\x00\x00en\x00Author\x00" + b"i" * 50)
    data += chunk(b"IDAT", zlib.compress(rows))
    data += chunk(b"tEXt", b"After\x00" + b"b" * 10)
    data += chunk(b"IEND", b"")
    return data


def marker(code, payload):
    return b"\xff" + bytes((code,)) + struct.pack(">H", len(payload) + 2) + payload


def huge_jpeg():
    # Grey, baseline, one Huffman code per table: every block is "DC 0,
    # end of block", two bits.
    data = b"\xff\xd8"
    data += marker(0xDB, b"\x00" + b"\x01" * 64)  # quantisation: all ones
    data += marker(0xC0, struct.pack(">BHHB", 8, 8192, 8192, 1) + b"\x01\x11\x00")
    one_code = bytes((1,)) + b"\x00" * 15 + b"\x00"
    data += marker(0xC4, b"\x00" + one_code)  # DC table 0: category 0
    data += marker(0xC4, b"\x10" + one_code)  # AC table 0: end of block
    data += marker(0xDA, b"\x01\x01\x00\x00\x3f\x00")
    data += b"\x00" * 64  # the first 256 blocks
    data += b"\xff\xd9"
    return data


def j2k(width, height, components, tile=None):
    data = b"\xff\x4f"
    tile_width, tile_height = tile or (width, height)
    siz = struct.pack(">HIIIIIIIIH", 0, width, height, 0, 0, tile_width, tile_height, 0, 0,
                      components)
    siz += b"\x07\x01\x01" * components
    data += b"\xff\x51" + struct.pack(">H", len(siz) + 2) + siz
    cod = bytes((0, 0)) + struct.pack(">H", 1) + bytes((0, 0, 4, 4, 0, 1))
    data += b"\xff\x52" + struct.pack(">H", len(cod) + 2) + cod
    qcd = bytes((0x40, 0x40))
    data += b"\xff\x5c" + struct.pack(">H", len(qcd) + 2) + qcd
    data += b"\xff\x90" + struct.pack(">HHIBB", 10, 0, 0, 0, 1)
    data += b"\xff\x93" + b"\x00" * 16 + b"\xff\xd9"
    return data


FILES = {
    "text-bomb.png": text_bomb(),
    "huge.png": huge_png(),
    "huge.jpg": huge_jpeg(),
    "huge.jp2": j2k(8192, 8192, 1),
    "many-components.jp2": j2k(16, 16, 300),
    "many-tiles.jp2": j2k(1000, 1000, 1, (10, 10)),
    "texts.png": texts_png(),
}

for name, data in FILES.items():
    path = os.path.join(HERE, name)
    with open(path, "wb") as out:
        out.write(data)
    if os.path.isdir(CORPUS):
        seed = name if name == "texts.png" else "refused-" + name
        shutil.copyfile(path, os.path.join(CORPUS, seed))
    print("%s: %d bytes" % (name, len(data)))
