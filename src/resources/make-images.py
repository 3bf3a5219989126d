#!/usr/bin/env python3
"""Draws the program's bitmaps and icon. Run it after changing a picture; its output is
committed, so building needs no image tools.

Pure white (255, 255, 255) is the transparent colour of the tree's bitmaps, so the pictures
use an off-white where they mean white.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
WHITE = (255, 255, 255)
PAPER = (254, 254, 254)
BLACK = (0, 0, 0)
GREY = (96, 96, 96)
YELLOW = (250, 204, 64)
YELLOW_DARK = (196, 144, 24)
RED = (214, 32, 32)
AMBER = (255, 190, 0)
SHADE = (208, 208, 208)


class Canvas:
    def __init__(self, width, height, background=WHITE):
        self.width, self.height = width, height
        self.pixels = [[background] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def outline(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.put(x, y0, colour)
            self.put(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.put(x0, y, colour)
            self.put(x1, y, colour)

    def line(self, x0, y0, x1, y1, colour, thickness=1):
        steps = max(abs(x1 - x0), abs(y1 - y0)) or 1
        for i in range(steps + 1):
            x = round(x0 + (x1 - x0) * i / steps)
            y = round(y0 + (y1 - y0) * i / steps)
            for dx in range(thickness):
                for dy in range(thickness):
                    self.put(x + dx, y + dy, colour)

    def bmp(self):
        """A 24-bit bottom-up BMP."""
        row_size = (self.width * 3 + 3) & ~3
        rows = b""
        for row in reversed(self.pixels):
            data = b"".join(bytes((b, g, r)) for (r, g, b) in row)
            rows += data + b"\0" * (row_size - len(data))
        header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, len(rows),
                           2835, 2835, 0, 0)
        return header + info + rows


def folder(canvas):
    canvas.rect(1, 3, 6, 4, YELLOW_DARK)
    canvas.rect(1, 5, 14, 13, YELLOW)
    canvas.outline(1, 5, 14, 13, YELLOW_DARK)
    canvas.line(2, 6, 13, 6, (255, 232, 140))


def draw_folder():
    canvas = Canvas(16, 16)
    folder(canvas)
    return canvas


def draw_cross():
    canvas = Canvas(16, 16)
    canvas.line(3, 3, 11, 11, RED, 2)
    canvas.line(11, 3, 3, 11, RED, 2)
    return canvas


def draw_box(ticked):
    canvas = Canvas(16, 16)
    canvas.rect(2, 2, 13, 13, PAPER)
    canvas.outline(2, 2, 13, 13, GREY)
    if ticked:
        canvas.line(4, 7, 6, 10, BLACK, 2)
        canvas.line(6, 10, 11, 4, BLACK, 2)
    return canvas


def draw_system_off_box():
    # Off in the system's own startup settings: a greyed box with a bar, not an empty one.
    canvas = Canvas(16, 16)
    canvas.rect(2, 2, 13, 13, SHADE)
    canvas.outline(2, 2, 13, 13, GREY)
    canvas.line(5, 7, 10, 7, GREY, 2)
    return canvas


def draw_folder_warning():
    canvas = Canvas(16, 16)
    folder(canvas)
    for row in range(7):
        canvas.line(11 - row // 2 - 1, 8 + row, 11 + row // 2 + 1, 8 + row, AMBER)
    canvas.line(8, 15, 14, 15, BLACK)
    canvas.line(11, 10, 11, 12, BLACK)
    canvas.put(11, 14, BLACK)
    return canvas


# A 5 x 7 pixel font, enough for the banner's words.
FONT = {
    "B": ["1111.", "1...1", "1...1", "1111.", "1...1", "1...1", "1111."],
    "C": [".111.", "1...1", "1....", "1....", "1....", "1...1", ".111."],
    "a": [".....", ".....", ".111.", "....1", ".1111", "1...1", ".1111"],
    "d": ["....1", "....1", ".1111", "1...1", "1...1", "1...1", ".1111"],
    "e": [".....", ".....", ".111.", "1...1", "11111", "1....", ".111."],
    "n": [".....", ".....", "1111.", "1...1", "1...1", "1...1", "1...1"],
    "o": [".....", ".....", ".111.", "1...1", "1...1", "1...1", ".111."],
    "r": [".....", ".....", "1.11.", "11..1", "1....", "1....", "1...."],
    "t": [".1...", ".1...", "1111.", ".1...", ".1...", ".1..1", "..11."],
    "w": [".....", ".....", "1...1", "1...1", "1.1.1", "1.1.1", ".1.1."],
    " ": ["....."] * 7,
}


def text(canvas, x, y, words, scale, colour):
    for ch in words:
        for row, bits in enumerate(FONT[ch]):
            for column, bit in enumerate(bits):
                if bit == "1":
                    canvas.rect(x + column * scale, y + row * scale,
                                x + (column + 1) * scale - 1, y + (row + 1) * scale - 1, colour)
        x += 5 * scale + 2


def draw_banner():
    canvas = Canvas(366, 64)
    for y in range(64):
        for x in range(366):
            t = x / 365
            canvas.put(x, y, (int(20 + 10 * t), int(60 + 70 * t), int(120 + 60 * t)))
    logo(canvas, 10, 8, 48)
    text(canvas, 68, 22, "Bootwarden Center", 3, (255, 255, 255))
    return canvas


def logo(canvas, left, top, size):
    """A shield with a tick: what starts with Windows, kept in check."""
    blue, light = (36, 96, 196), (250, 250, 250)
    for y in range(size):
        inset = 0 if y < size * 0.55 else int((y - size * 0.55) * 0.9)
        canvas.line(left + inset, top + y, left + size - 1 - inset, top + y, blue)
    s = size / 16
    canvas.line(left + int(4 * s), top + int(8 * s), left + int(7 * s), top + int(11 * s), light,
                max(1, int(1.6 * s)))
    canvas.line(left + int(7 * s), top + int(11 * s), left + int(12 * s), top + int(4 * s), light,
                max(1, int(1.6 * s)))


def icon_file(sizes):
    """An .ico whose images are 32-bit with an all-zero AND mask."""
    images = []
    for size in sizes:
        canvas = Canvas(size, size, None)
        logo(canvas, 0, 0, size)
        xor = b""
        for row in reversed(canvas.pixels):
            xor += b"".join(bytes((0, 0, 0, 0)) if p is None else bytes((p[2], p[1], p[0], 255))
                            for p in row)
        mask_row = ((size + 31) // 32) * 4
        mask = b"\0" * mask_row * size
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask),
                           0, 0, 0, 0)
        images.append(info + xor + mask)
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, image in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return header + entries + b"".join(images)


def main():
    pictures = {
        "folder.bmp": draw_folder(),
        "cross.bmp": draw_cross(),
        "checked.bmp": draw_box(True),
        "unchecked.bmp": draw_box(False),
        "unchecked-system.bmp": draw_system_off_box(),
        "folder-warning.bmp": draw_folder_warning(),
        "banner.bmp": draw_banner(),
    }
    for name, canvas in pictures.items():
        with open(os.path.join(HERE, name), "wb") as out:
            out.write(canvas.bmp())
    with open(os.path.join(HERE, "bootwarden.ico"), "wb") as out:
        out.write(icon_file([16, 32, 48]))


if __name__ == "__main__":
    main()
