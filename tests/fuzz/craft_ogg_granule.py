#!/usr/bin/env python3
# Writes a copy of an Ogg file whose last page claims another granule
# position, with the page's checksum made right again, so the decoder takes
# the page as good (random damage never gets past the checksum):
#
#   craft_ogg_granule.py IN.ogg OUT.ogg GRANULE
#
# GRANULE is a decimal or 0x number below 2^64. The corpus files of
# corpus/fuzz_ogg made with it come from a tone of five pages, written by
# `oggtone tone.ogg 440 12 1 8000` (its last page ends at granule 96000):
#   granule_near_2_64.ogg  0xFFFFFFFFFFFFFF00
#   granule_2_63.ogg       0x7FFFFFFFFFFFFFFF
#   granule_2_29.ogg       0x20000000
import struct
import sys


def crc_table():
    table = []
    for i in range(256):
        r = i << 24
        for _ in range(8):
            r = ((r << 1) ^ 0x04C11DB7) if r & 0x80000000 else (r << 1)
        table.append(r & 0xFFFFFFFF)
    return table


TABLE = crc_table()


def page_crc(page):
    crc = 0
    for byte in page:
        crc = ((crc << 8) & 0xFFFFFFFF) ^ TABLE[((crc >> 24) & 0xFF) ^ byte]
    return crc


def pages(data):
    """Yields (start, length) of every page in data."""
    pos = 0
    while pos + 27 <= len(data):
        if data[pos : pos + 4] != b"OggS":
            raise ValueError("no page at byte %d" % pos)
        segments = data[pos + 26]
        table = data[pos + 27 : pos + 27 + segments]
        length = 27 + segments + sum(table)
        yield pos, length
        pos += length


def main():
    if len(sys.argv) != 4:
        sys.stderr.write("usage: craft_ogg_granule.py IN.ogg OUT.ogg GRANULE\n")
        return 2
    data = bytearray(open(sys.argv[1], "rb").read())
    granule = int(sys.argv[3], 0)
    if not 0 <= granule < 1 << 64:
        sys.stderr.write("the granule must be below 2^64\n")
        return 2
    start, length = list(pages(data))[-1]
    struct.pack_into("<Q", data, start + 6, granule)
    struct.pack_into("<I", data, start + 22, 0)
    struct.pack_into("<I", data, start + 22, page_crc(data[start : start + length]))
    open(sys.argv[2], "wb").write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
