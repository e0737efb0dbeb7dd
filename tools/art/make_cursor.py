#!/usr/bin/python3
"""Writes hand.cur: a 32 x 32 monochrome pointing hand, hot spot at the fingertip (5, 0).

Usage: make_cursor.py OUT.cur [PREVIEW.png]
"""
import struct
import sys

SIZE = 32
HOT_SPOT = (5, 0)

# '#' black outline, '.' white fill, anything else transparent. Row 0 is the top.
HAND = """
     ##
    #..#
    #..#
    #..#
    #..#
    #..###
    #..#..###
    #..#..#..###
    #..#..#..#..#
 ## #..#..#..#..#
#..##..#..#..#..#
#...#...........#
 #..............#
  #.............#
  #.............#
   #............#
   #...........#
    #..........#
    #..........#
     #........#
     #........#
     ##########
"""


def pixel_rows():
    rows = HAND.strip("\n").split("\n")
    if len(rows) > SIZE or any(len(r) > SIZE for r in rows):
        raise ValueError("hand does not fit the cursor")
    rows = [r.ljust(SIZE) for r in rows] + [" " * SIZE] * (SIZE - len(rows))
    if rows[HOT_SPOT[1]][HOT_SPOT[0]] != "#":
        raise ValueError("hot spot is not on the fingertip")
    return rows


def pack_rows(bits_rows):
    """1-bit rows, bottom-up, each padded to 32 bits."""
    out = b""
    for bits in reversed(bits_rows):
        value = 0
        for b in bits:
            value = (value << 1) | b
        out += value.to_bytes(SIZE // 8, "big")
    return out


def cur_bytes(rows):
    # Monochrome cursor: XOR 1 + AND 0 = white, XOR 0 + AND 0 = black, XOR 0 + AND 1 = transparent.
    xor = pack_rows([[1 if c == "." else 0 for c in r] for r in rows])
    and_mask = pack_rows([[0 if c in "#." else 1 for c in r] for r in rows])
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])  # index 0 black, 1 white (BGRx)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0,
                         len(xor) + len(and_mask), 0, 0, 2, 2)
    image = header + palette + xor + and_mask
    icondir = struct.pack("<HHH", 0, 2, 1)
    # For cursors the planes and bit-count fields hold the hot spot.
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, HOT_SPOT[0], HOT_SPOT[1],
                        len(image), 6 + 16)
    return icondir + entry + image


def preview(rows, path):
    from PIL import Image
    img = Image.new("RGBA", (SIZE, SIZE), (0, 0, 0, 0))
    colours = {"#": (0, 0, 0, 255), ".": (255, 255, 255, 255)}
    for y, r in enumerate(rows):
        for x, c in enumerate(r):
            if c in colours:
                img.putpixel((x, y), colours[c])
    img.save(path)


def main():
    rows = pixel_rows()
    with open(sys.argv[1], "wb") as f:
        f.write(cur_bytes(rows))
    if len(sys.argv) > 2:
        preview(rows, sys.argv[2])


if __name__ == "__main__":
    main()
