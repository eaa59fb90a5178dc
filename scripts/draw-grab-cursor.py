#!/usr/bin/env python3
"""Writes res/grab.cur, the picture view's cursor while a picture is dragged:
a closed hand holding the picture. 32 x 32, monochrome, hot spot in the palm.
'#' black outline, 'o' white, anything else transparent."""
import struct
import sys

HAND = [
    "      ## ## ##      ",
    "     #oo#oo#oo##    ",
    "     #oo#oo#oo#o#   ",
    "   ###oo#oo#oo#o#   ",
    "  #oo#oooooooooo#   ",
    "  #ooooooooooooo#   ",
    "   #oooooooooooo#   ",
    "   #oooooooooooo#   ",
    "    #ooooooooooo#   ",
    "    #oooooooooo#    ",
    "     #ooooooooo#    ",
    "      #ooooooo#     ",
    "      #ooooooo#     ",
    "      #########     ",
]
SIZE, LEFT, TOP, HOT = 32, 6, 9, (16, 16)


def masks():
    xor, and_ = [[0] * SIZE for _ in range(SIZE)], [[1] * SIZE for _ in range(SIZE)]
    for y, row in enumerate(HAND):
        for x, c in enumerate(row):
            if c in "#o":
                and_[TOP + y][LEFT + x] = 0
                xor[TOP + y][LEFT + x] = 1 if c == "o" else 0
    return xor, and_


def rows(bits):  # bottom-up, 4 bytes a row
    out = b""
    for row in reversed(bits):
        value = 0
        for bit in row:
            value = value << 1 | bit
        out += struct.pack(">I", value)
    return out


def main(path):
    xor, and_ = masks()
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack("<II", 0x000000, 0xFFFFFF)
    image = header + palette + rows(xor) + rows(and_)
    directory = struct.pack("<HHH", 0, 2, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, HOT[0], HOT[1], len(image), 22)
    with open(path, "wb") as f:
        f.write(directory + image)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "res/grab.cur")
