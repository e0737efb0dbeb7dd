#!/usr/bin/python3
"""Writes app.ico: one 128 x 128 image, 32-bit BGRA DIB with an AND mask.

A DIB entry rather than PNG, because Wine and older Windows load it everywhere.
Usage: make_icon.py OUT.ico [PREVIEW.png]
"""
import struct
import sys

sys.dont_write_bytecode = True  # keep the source folder free of __pycache__

import numpy as np

from artlib import icon_badge

SIZE = 128


def ico_bytes(rgba):
    """ICONDIR + one ICONDIRENTRY + BITMAPINFOHEADER + XOR (BGRA, bottom-up) + AND mask."""
    h, w = rgba.shape[:2]
    px = rgba.copy()
    px[px[..., 3] == 0] = 0  # fully transparent pixels carry no colour
    xor = px[::-1, :, [2, 1, 0, 3]].tobytes()
    # AND mask: 1 = transparent; rows padded to 32 bits, bottom-up.
    transparent = (px[::-1, :, 3] == 0).astype(np.uint8)
    row_bytes = ((w + 31) // 32) * 4
    packed = np.packbits(transparent, axis=1, bitorder="big")
    mask = np.zeros((h, row_bytes), np.uint8)
    mask[:, :packed.shape[1]] = packed
    and_mask = mask.tobytes()

    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(image), 6 + 16)
    return icondir + entry + image


def main():
    out = sys.argv[1]
    img = icon_badge(SIZE)
    with open(out, "wb") as f:
        f.write(ico_bytes(np.asarray(img)))
    if len(sys.argv) > 2:
        img.save(sys.argv[2])


if __name__ == "__main__":
    main()
