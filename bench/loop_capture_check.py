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
#
#   loop_capture_check.py --session CAPTURE.raw [EVENTS] [LOG...]
#
# reports on a capture of the game played (bench/play_session.py writes
# one): the peak, the samples at full scale (32767 or -32768), the RMS of
# each second, and for each level start and each return to the menu in
# EVENTS ("SECOND what" lines) the RMS in the seconds before and after it, so
# that a second music layer, or a loop that outlives its board, shows as a
# step. Each LOG is searched for a sound that was not
# found or a stop that failed. Exits 1 on a sample at full scale or such a
# line.
import array
import ctypes
import math
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


def session(capture_path, events_path, logs):
    data = array.array("h")
    with open(capture_path, "rb") as f:
        raw = f.read()
    data.frombytes(raw[: len(raw) // 2 * 2])
    if sys.byteorder != "little":
        data.byteswap()
    rate = 44100 * 2
    seconds = len(data) // rate
    peak = max((abs(v) for v in data), default=0)
    full = sum(1 for v in data if v >= 32767 or v <= -32768)
    rms = []
    for second in range(seconds):
        part = data[second * rate : (second + 1) * rate]
        rms.append(math.sqrt(sum(v * v for v in part) / len(part)))
    print("%.1f s captured, peak %d, %d samples at full scale" % (len(data) / rate, peak, full))
    print("RMS per second:")
    for at in range(0, seconds, 10):
        print("  %4d s  %s" % (at, " ".join("%5.0f" % v for v in rms[at : at + 10])))
    failed = full > 0
    if events_path:
        print("level starts and menus (RMS of the 10 s before, and of seconds 5-15 after):")
        for line in open(events_path):
            at, _, what = line.strip().partition(" ")
            if "level start" not in what and "menu" not in what:
                continue
            second = int(float(at))
            after = rms[second + 5 : second + 15]
            before = rms[max(0, second - 10) : second]
            print("  %6.1f s  %-28s before %6.0f  after %6.0f" % (
                float(at), what, sum(before) / max(1, len(before)), sum(after) / max(1, len(after))))
    for log in logs:
        for line in open(log, errors="replace"):
            if "No valid sound file" in line or ("stop" in line.lower() and "fail" in line.lower()):
                print("%s: %s" % (log, line.rstrip()))
                failed = True
    print("clean" if not failed else "NOT clean")
    return 1 if failed else 0


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "--session":
        return session(sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else None, sys.argv[4:])
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
