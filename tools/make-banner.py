#!/usr/bin/env python3
"""Draws the setup dialog's banner: a 348 by 43 pixel, 256-colour BMP.

A field of triangles shaded from deep blue to teal, with the word TESSERA
and the word SETUP in block letters. Usage: make-banner.py OUTPUT.bmp
"""
import struct
import sys

WIDTH, HEIGHT = 348, 43

# 5 by 7 block letters, one string per row, '#' set.
GLYPHS = {
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    " ": ["....."] * 7,
}


def palette():
    """Entries 0..199: the background ramp; 200..255: the letters' greys."""
    colours = []
    for i in range(200):
        t = i / 199.0
        colours.append((int(90 + 60 * t), int(20 + 110 * t), int(40 + 60 * t)))  # (b, g, r)
    for i in range(56):
        v = 160 + i * 95 // 55
        colours.append((v, v, v))
    return colours


def draw():
    pixels = [[0] * WIDTH for _ in range(HEIGHT)]
    cell = 22
    for y in range(HEIGHT):
        for x in range(WIDTH):
            # Which triangle of the tiling the pixel lies in shades it.
            cx, cy = x % cell, y % cell
            upper = cx + cy < cell
            band = (x // cell + y // cell + (0 if upper else 1)) % 3
            base = int(150 * x / (WIDTH - 1))
            pixels[y][x] = min(199, base + band * 16)
    def text(word, left, top, scale, shade):
        for n, letter in enumerate(word):
            for row, bits in enumerate(GLYPHS[letter]):
                for col, bit in enumerate(bits):
                    if bit != "#":
                        continue
                    for dy in range(scale):
                        for dx in range(scale):
                            x = left + n * 6 * scale + col * scale + dx
                            y = top + row * scale + dy
                            if 0 <= x < WIDTH and 0 <= y < HEIGHT:
                                pixels[y][x] = shade
    text("TESSERA", 13, 8, 4, 200)  # shadow
    text("TESSERA", 12, 7, 4, 255)
    text("SETUP", 222, 15, 3, 230)
    return pixels


def write_bmp(path, pixels, colours):
    stride = (WIDTH + 3) // 4 * 4
    image = bytearray()
    for row in reversed(pixels):  # bottom-up
        image += bytes(row) + bytes(stride - WIDTH)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (b, g, r) in colours)
    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, len(image), 2835, 2835, 256, 0)
    with open(path, "wb") as out:
        out.write(header + info + table + image)


if __name__ == "__main__":
    write_bmp(sys.argv[1], draw(), palette())
