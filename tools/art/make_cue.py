#!/usr/bin/python3
"""Writes cue.wav: the recording cue, a soft two-tone tick.

PCM 2 x 16 bit at 22,050 Hz, 13,921 frames (55,684 data bytes); a 48-byte
LIST/INFO chunk naming the clip follows the data, so the file is 55,776 bytes
and a reader that expects the sound at byte 44 still finds it there.
Usage: make_cue.py OUT.wav
"""
import math
import struct
import sys

RATE = 22050
CHANNELS = 2
BITS = 16
FRAMES = 13921
PEAK = 0.45  # of full scale: clearly audible, far from clipping

# (start s, frequency Hz, level, decay time constant s): a short upward step, E6 then A6.
NOTES = [(0.000, 1318.5, 1.00, 0.045), (0.075, 1760.0, 0.85, 0.085)]
ATTACK = 0.004


def sample(t):
    v = 0.0
    for start, freq, level, decay in NOTES:
        u = t - start
        if u < 0:
            continue
        rise = 0.5 - 0.5 * math.cos(math.pi * min(u / ATTACK, 1.0))
        env = rise * math.exp(-u / decay)
        # A touch of the octave rounds the tone without making it buzz.
        v += level * env * (math.sin(2 * math.pi * freq * u) + 0.18 * math.sin(4 * math.pi * freq * u))
    return v


def pcm_frames():
    raw = [sample(n / RATE) for n in range(FRAMES)]
    # The tail is far below hearing; fade the last 50 ms to exact silence anyway.
    fade = int(0.05 * RATE)
    for i in range(fade):
        raw[FRAMES - 1 - i] *= i / fade
    scale = PEAK * 32767 / max(abs(v) for v in raw)
    out = bytearray()
    for v in raw:
        s = int(round(v * scale))
        out += struct.pack("<hh", s, s)
    return bytes(out)


def info_chunk():
    name = b"Zelvorn recording cue"
    body = b"INFO" + b"INAM" + struct.pack("<I", 28) + name.ljust(28, b"\0")
    return b"LIST" + struct.pack("<I", len(body)) + body


def wav_bytes():
    data = pcm_frames()
    block = CHANNELS * BITS // 8
    fmt = struct.pack("<HHIIHH", 1, CHANNELS, RATE, RATE * block, block, BITS)
    chunks = (b"fmt " + struct.pack("<I", len(fmt)) + fmt
              + b"data" + struct.pack("<I", len(data)) + data
              + info_chunk())
    return b"RIFF" + struct.pack("<I", 4 + len(chunks)) + b"WAVE" + chunks


def main():
    wav = wav_bytes()
    assert len(wav) == 55776, len(wav)
    with open(sys.argv[1], "wb") as f:
        f.write(wav)


if __name__ == "__main__":
    main()
