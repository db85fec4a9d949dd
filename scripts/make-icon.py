#!/usr/bin/env python3
"""Draws Quorvel's icon (a list page with a download arrow) as a 32x32,
16-colour .ico. The .ico is committed; run this only to change the picture."""
import struct
import sys

# The standard 16-colour palette, as (R, G, B).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREY, SILVER, WHITE, BLUE, NAVY, GREEN = 0, 8, 7, 15, 12, 4, 2

def draw():
    px = [[None] * 32 for _ in range(32)]  # None: transparent
    def fill(x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px[y][x] = c
    # The page, with a folded corner.
    fill(5, 2, 22, 29, BLACK)
    fill(6, 3, 21, 28, WHITE)
    for i in range(6):
        for x in range(22 - 6 + i, 23):
            px[2 + i][x] = None
    for i in range(6):
        px[2 + i][16 + i] = BLACK
        px[7][16 + i] = BLACK
        px[2 + i][16] = BLACK
        for x in range(17, 16 + i):
            px[2 + i][x] = SILVER
    # List lines: "URL:" and "File:" pairs.
    for row, c in ((10, NAVY), (13, GREY), (16, NAVY), (19, GREY), (22, NAVY), (25, GREY)):
        fill(8, row, 18 if c == NAVY else 15, row, c)
    # The download arrow, bottom right.
    fill(22, 13, 27, 21, BLACK)
    fill(23, 14, 26, 21, GREEN)
    for i in range(7):
        fill(18 + i, 21 + i, 31 - i, 21 + i, BLACK)
        if 19 + i <= 30 - i:
            fill(19 + i, 21 + i, 30 - i, 21 + i, GREEN)
    px[27][24] = BLACK
    return px

def ico(px):
    xor = b""
    andmask = b""
    for y in range(31, -1, -1):  # bottom-up rows
        row = px[y]
        nib = [(c if c is not None else 0) for c in row]
        xor += bytes((nib[i] << 4) | nib[i + 1] for i in range(0, 32, 2))
        bits = 0
        for x in range(32):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        andmask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, len(xor) + len(andmask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    image = header + palette + xor + andmask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 22)
    return directory + image

if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "src/resources/quorvel.ico"
    with open(out, "wb") as f:
        f.write(ico(draw()))
