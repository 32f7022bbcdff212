#!/usr/bin/env python3
"""Test sounds that tell themselves apart in the capture of what was played.

Each sound is a mono 16-bit 8 kHz WAV whose data repeats an 8-byte signature drawn from its
name, so the raw capture of the ALSA file device shows which sounds played and how often.

  sound.py make PATH NAME        writes the WAV (a quarter of a second)
  sound.py count RAW NAME        prints how many whole plays of NAME the capture holds
"""
import hashlib
import struct
import sys

RATE = 8000
SECONDS = 0.25
DATA_BYTES = int(RATE * SECONDS) * 2


def signature(name):
    return hashlib.sha1(name.encode()).digest()[:8]


def make(path, name):
    data = signature(name) * (DATA_BYTES // 8)
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE"
    fmt = b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, RATE, RATE * 2, 2, 16)
    with open(path, "wb") as f:
        f.write(header + fmt + b"data" + struct.pack("<I", len(data)) + data)


def count(raw_path, name):
    try:
        with open(raw_path, "rb") as f:
            raw = f.read()
    except FileNotFoundError:
        return 0
    # A play is counted once most of its samples have reached the device.
    per_play = DATA_BYTES // 8
    return raw.count(signature(name)) * 10 // (per_play * 8)


def main(argv):
    if len(argv) == 4 and argv[1] == "make":
        make(argv[2], argv[3])
    elif len(argv) == 4 and argv[1] == "count":
        print(count(argv[2], argv[3]))
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
