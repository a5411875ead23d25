#!/usr/bin/env python3
# Checks a capture of looping music against its source, sample for sample:
#
#   loop_capture_check.py SOURCE.ogg CAPTURE.raw
#
# CAPTURE.raw is 44100 Hz 16-bit stereo, as SDL's disk driver writes it, of
# a run such as
#
#   SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=capture.raw \
#       oggplay SOURCE.ogg --loop --seconds 600
#
# The source must be 44100 Hz stereo and play at full volume, so the mixer
# passes its samples through unchanged. The check finds where the sound
# starts in the capture, then compares every pass of the loop with the
# decoded source and prints the passes, the seconds checked and each place
# where the capture differs (a click). Exits 1 when anything differs.
import ctypes
import sys


def decode(path):
    """The whole file decoded by vorbisfile, as 16-bit little-endian PCM."""
    lib = ctypes.CDLL("libvorbisfile.so.3")
    state = ctypes.create_string_buffer(4096)  # larger than an OggVorbis_File
    if lib.ov_fopen(path.encode(), state) != 0:
        raise SystemExit("%s does not open as Ogg Vorbis" % path)
    lib.ov_info.restype = ctypes.POINTER(ctypes.c_int * 2)  # version, channels
    channels = lib.ov_info(state, -1).contents[1]
    if channels != 2:
        raise SystemExit("the source must be stereo")
    chunk = ctypes.create_string_buffer(65536)
    section = ctypes.c_int(0)
    out = bytearray()
    while True:
        got = lib.ov_read(state, chunk, len(chunk), 0, 2, 1, ctypes.byref(section))
        if got <= 0:
            break
        out += chunk.raw[:got]
    lib.ov_clear(state)
    return bytes(out)


def main():
    if len(sys.argv) != 3:
        sys.stderr.write("usage: loop_capture_check.py SOURCE.ogg CAPTURE.raw\n")
        return 2
    source = decode(sys.argv[1])
    capture = open(sys.argv[2], "rb").read()
    frame = 4
    capture = capture[: len(capture) // frame * frame]
    # The sound starts at the first frame that is not silence; the source
    # may itself start with silent frames.
    lead = next((i for i in range(0, len(source), frame) if source[i : i + frame] != b"\0" * 4), 0)
    first = next(
        (i for i in range(0, len(capture), frame) if capture[i : i + frame] != b"\0" * 4), None
    )
    if first is None:
        print("the capture is silent")
        return 1
    start = first - lead
    if start < 0 or capture[start : start + len(source) // 4] != source[: len(source) // 4]:
        print("the capture does not start with the source")
        return 1
    # The last pass may be cut short by the end of the run (and its fade).
    passes = 0
    clicks = []
    position = start
    while position + len(source) <= len(capture):
        part = capture[position : position + len(source)]
        if part != source:
            at = next(i for i in range(0, len(source), 2) if part[i : i + 2] != source[i : i + 2])
            clicks.append((passes, at // frame))
        passes += 1
        position += len(source)
    seconds = (position - start) / frame / 44100.0
    print("source %.3f s, %d whole passes, %.1f s checked" % (len(source) / 4 / 44100.0, passes, seconds))
    for number, at in clicks:
        print("pass %d differs from frame %d (%.4f s into the pass)" % (number, at, at / 44100.0))
    print("no glitch" if not clicks else "%d passes differ" % len(clicks))
    return 1 if clicks else 0


if __name__ == "__main__":
    sys.exit(main())
