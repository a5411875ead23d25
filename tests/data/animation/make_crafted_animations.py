#!/usr/bin/env python3
"""Writes the crafted animation files of the animation tests:

  version0.anm, version1.anm, version2.anm
      one animation (two frames in a 64 x 32 image "jump.png") in each
      version of the binary form: version 1 alone has four unused floats
      after the image size, version 2 and above a per-frame alpha
  frame-past-int.anm, frame-past-int.xml
      a frame whose x plus width passes the largest int
  frame-outside.xml
      a frame that ends past the right edge of the declared image
  zero-frames.anm
      an animation without frames

Run it from any folder; it writes beside itself and copies each file into
the animation fuzz corpus (as "crafted-" + name), so the corpus replay runs
them too."""

import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "..", "..", "fuzz", "corpus", "fuzz_animation")
INT_MAX = 2**31 - 1


def i32(value):
    return struct.pack("<i", value)


def f32(value):
    return struct.pack("<f", value)


def text(value):
    data = value.encode()
    return i32(len(data)) + data


# regx, regy, x, y, w, h, alpha, transform, name, anchors
FRAMES = [
    (8, 30, 0, 0, 32, 32, 0.5, (1.0, 0.0, 0.0, 1.0, 2.0, -3.0), "up", [(28, -6, "hand")]),
    (9, 31, 32, 0, 32, 32, 1.0, (-10000000.0, 0.0, 0.0, 0.0, 0.0, 0.0), "down", []),
]


def anm(version, frames=FRAMES, image=(64, 32), script="function DoAnim()\n    frames{1,2};\nend\n"):
    data = b"ANIM" + i32(0) + i32(version) + text("jump") + text("crafted")
    data += b"IMGN" + i32(-1) + i32(2) + i32(image[0]) + i32(image[1])
    if version == 1:
        data += f32(0.0) * 4
    data += text("jump.png") + text("")
    data += b"FRMS" + i32(len(frames))
    for regx, regy, x, y, w, h, alpha, transform, name, anchors in frames:
        data += i32(regx) + i32(regy) + i32(x) + i32(y) + i32(w) + i32(h)
        if version >= 2:
            data += f32(alpha)
        data += b"".join(f32(v) for v in transform)
        data += text(name) + i32(len(anchors))
        for ax, ay, aname in anchors:
            data += i32(ax) + i32(ay) + text(aname)
    data += b"SCRP" + text(script)
    return data


PAST_INT = [(0, 0, INT_MAX - 5, 0, 32, 32, 1.0, (-10000000.0, 0, 0, 0, 0, 0), "far", [])]


def xml(frame_attributes, image='w="64" h="32"'):
    return (
        '<sequence name="jump" source="crafted">\n'
        '    <img %s name="jump.png"/>\n'
        "    <framelist>\n"
        '        <frame name="near" x="0" y="0" w="32" h="32"/>\n'
        "        <frame name=\"far\" %s/>\n"
        "    </framelist>\n"
        "</sequence>\n" % (image, frame_attributes)
    ).encode()


FILES = {
    "version0.anm": anm(0),
    "version1.anm": anm(1),
    "version2.anm": anm(2),
    "frame-past-int.anm": anm(2, PAST_INT, image=(0, 0)),
    "frame-past-int.xml": xml('x="%d" y="0" w="32" h="32"' % (INT_MAX - 5), image=""),
    "frame-outside.xml": xml('x="40" y="0" w="32" h="32"'),
    "zero-frames.anm": anm(2, []),
}

for name, data in FILES.items():
    path = os.path.join(HERE, name)
    with open(path, "wb") as out:
        out.write(data)
    if os.path.isdir(CORPUS):
        shutil.copyfile(path, os.path.join(CORPUS, "crafted-" + name))
    print("%s: %d bytes" % (name, len(data)))
