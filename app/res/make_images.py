#!/usr/bin/env python3
"""Draws the program's images: MAINICON (veltrano.ico) and the unread mark MAIZ
(maiz.ico), each in 16, 20, 24, 32 and 48 pixels, the viewer's link cursor ZHANDCURSOR (zhand.cur, a monochrome
32 x 32 pointing hand with its hot spot at the top-left corner) and the splash
bitmap (splash.bmp, 442 x 337). Run it from any
directory; it writes beside itself. The images are committed, so building
needs no Python."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# A 5 x 7 pixel font for the few letters the splash uses.
GLYPHS = {
    'V': ["10001", "10001", "10001", "10001", "01010", "01010", "00100"],
    'e': ["00000", "00000", "01110", "10001", "11111", "10000", "01110"],
    'l': ["01100", "00100", "00100", "00100", "00100", "00100", "01110"],
    't': ["01000", "01000", "11100", "01000", "01000", "01001", "00110"],
    'r': ["00000", "00000", "10110", "11001", "10000", "10000", "10000"],
    'a': ["00000", "00000", "01110", "00001", "01111", "10001", "01111"],
    'n': ["00000", "00000", "10110", "11001", "10001", "10001", "10001"],
    'o': ["00000", "00000", "01110", "10001", "10001", "10001", "01110"],
    'h': ["10000", "10000", "10110", "11001", "10001", "10001", "10001"],
    'd': ["00001", "00001", "01101", "10011", "10001", "10011", "01101"],
    'i': ["00100", "00000", "01100", "00100", "00100", "00100", "01110"],
    'w': ["00000", "00000", "10001", "10001", "10101", "10101", "01010"],
    'v': ["00000", "00000", "10001", "10001", "10001", "01010", "00100"],
    ' ': ["00000"] * 7,
}


class Canvas:
    def __init__(self, width, height, color=(0, 0, 0, 0)):
        self.width, self.height = width, height
        self.pixels = [[color] * width for _ in range(height)]

    def put(self, x, y, color):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = color

    def rect(self, x0, y0, x1, y1, color):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, color)

    def line(self, x0, y0, x1, y1, color):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.put(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), color)

    def text(self, x, y, text, scale, color):
        for ch in text:
            for row, bits in enumerate(GLYPHS[ch]):
                for col, bit in enumerate(bits):
                    if bit == '1':
                        self.rect(x + col * scale, y + row * scale,
                                  x + (col + 1) * scale, y + (row + 1) * scale, color)
            x += 6 * scale


def envelope(c, x0, y0, w, h, paper, edge):
    c.rect(x0, y0, x0 + w, y0 + h, paper)
    for x in range(x0, x0 + w):
        c.put(x, y0, edge)
        c.put(x, y0 + h - 1, edge)
    for y in range(y0, y0 + h):
        c.put(x0, y, edge)
        c.put(x0 + w - 1, y, edge)
    c.line(x0, y0, x0 + w // 2, y0 + h // 2, edge)
    c.line(x0 + w - 1, y0, x0 + w // 2, y0 + h // 2, edge)


def main_icon(size):
    c = Canvas(size, size)
    s = size / 32
    blue = (40, 90, 190, 255)
    c.rect(int(1 * s), int(1 * s), int(31 * s), int(31 * s), blue)
    envelope(c, int(4 * s), int(5 * s), int(24 * s), int(15 * s), (255, 255, 255, 255), (20, 40, 110, 255))
    # Three indented thread lines under the envelope.
    white = (230, 240, 255, 255)
    for i, indent in enumerate((0, 4, 8)):
        y = int((23 + i * 3) * s)
        c.rect(int((5 + indent) * s), y, int(27 * s), y + max(1, int(2 * s)), white)
    return c


def unread_icon(size):
    c = Canvas(size, size)
    s = size / 16
    envelope(c, round(1 * s), round(3 * s), round(14 * s), round(10 * s),
             (255, 250, 210, 255), (150, 100, 0, 255))
    c.rect(round(11 * s), round(1 * s), round(15 * s), round(5 * s), (220, 30, 30, 255))
    return c


# Each icon in the sizes of the small images at 100%, 125%, 150%, 200% and
# 300%, and the large icon's 32 and 48: the program loads the one drawn for
# the display scale instead of stretching a small one.
ICON_SIZES = (16, 20, 24, 32, 48)


def ico_bytes(canvases):
    header = struct.pack('<HHH', 0, 1, len(canvases))
    images = []
    for c in canvases:
        info = struct.pack('<IiiHHIIiiII', 40, c.width, c.height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        rows = b''.join(bytes(v for (r, g, b, a) in reversed_row for v in (b, g, r, a))
                        for reversed_row in reversed(c.pixels))
        mask_stride = ((c.width + 31) // 32) * 4
        mask = b''
        for row in reversed(c.pixels):
            bits = bytearray(mask_stride)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(bits)
        images.append(info + rows + mask)
    offset = 6 + 16 * len(canvases)
    entries = b''
    for c, data in zip(canvases, images):
        entries += struct.pack('<BBBBHHII', c.width % 256, c.height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return header + entries + b''.join(images)


def hand_cursor():
    """Rows of '.' (transparent), '#' (black) and 'o' (white): a hand pointing
    up and to the left, the fingertip at the hot spot (0, 0)."""
    rows = [[' '] * 32 for _ in range(32)]

    def fill(x0, y0, x1, y1):
        for y in range(y0, y1):
            for x in range(x0, x1):
                rows[y][x] = 'o'
    fill(0, 0, 4, 14)                        # the index finger
    fill(4, 8, 7, 14)                        # the folded fingers
    fill(7, 9, 10, 14)
    fill(10, 10, 13, 14)
    fill(0, 14, 13, 22)                      # the palm
    fill(2, 22, 11, 26)                      # the wrist
    out = [[' '] * 32 for _ in range(32)]
    for y in range(32):
        for x in range(32):
            if rows[y][x] == 'o':
                near = [rows[yy][xx] for yy in (y - 1, y, y + 1) for xx in (x - 1, x, x + 1)
                        if 0 <= yy < 32 and 0 <= xx < 32]
                edge = x == 0 or y == 0 or len(near) < 9 or ' ' in near
                out[y][x] = '#' if edge else 'o'
    return out


def cur_bytes(rows, hot_x, hot_y):
    size = len(rows)
    stride = ((size + 31) // 32) * 4
    xor, andm = b'', b''
    for row in reversed(rows):
        x_bits, a_bits = bytearray(stride), bytearray(stride)
        for x, p in enumerate(row):
            if p == 'o':
                x_bits[x // 8] |= 0x80 >> (x % 8)
            elif p == ' ':
                a_bits[x // 8] |= 0x80 >> (x % 8)
        xor += bytes(x_bits)
        andm += bytes(a_bits)
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 1, 0, len(xor) + len(andm), 0, 0, 2, 0)
    palette = struct.pack('<II', 0x000000, 0xFFFFFF)
    data = info + palette + xor + andm
    header = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', size, size, 2, 0, hot_x, hot_y, len(data), 6 + 16)
    return header + entry + data


def bmp_bytes(c):
    stride = (c.width * 3 + 3) & ~3
    rows = b''
    for row in reversed(c.pixels):
        line = bytes(v for (r, g, b, a) in row for v in (b, g, r))
        rows += line + b'\0' * (stride - len(line))
    info = struct.pack('<IiiHHIIiiII', 40, c.width, c.height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    return head + info + rows


def splash():
    w, h = 442, 337
    c = Canvas(w, h)
    for y in range(h):
        t = y / (h - 1)
        color = (int(20 + 20 * t), int(50 + 90 * t), int(120 + 60 * t), 255)
        for x in range(w):
            c.pixels[y][x] = color
    # A thread tree on the left: envelopes joined by lines, indented by depth.
    edge = (30, 50, 100, 255)
    paper = (250, 250, 255, 255)
    line = (210, 225, 255, 255)
    for i, depth in enumerate((0, 1, 2, 1, 0, 1)):
        x, y = 30 + depth * 34, 40 + i * 44
        if depth > 0:
            c.line(x - 20, y - 22, x - 20, y + 12, line)
            c.line(x - 20, y + 12, x, y + 12, line)
        envelope(c, x, y, 36, 24, paper, edge)
        if i in (2, 5):
            c.rect(x + 29, y - 3, x + 38, y + 6, (220, 40, 40, 255))
    c.text(186, 124, 'Veltrano', 5, (255, 255, 255, 255))
    c.text(188, 184, 'thread viewer', 2, (220, 235, 255, 255))
    c.rect(186, 170, 186 + 8 * 30 - 5, 173, (255, 200, 60, 255))
    return c


def main():
    with open(os.path.join(HERE, 'veltrano.ico'), 'wb') as f:
        f.write(ico_bytes([main_icon(size) for size in ICON_SIZES]))
    with open(os.path.join(HERE, 'maiz.ico'), 'wb') as f:
        f.write(ico_bytes([unread_icon(size) for size in ICON_SIZES]))
    with open(os.path.join(HERE, 'zhand.cur'), 'wb') as f:
        f.write(cur_bytes(hand_cursor(), 0, 0))
    with open(os.path.join(HERE, 'splash.bmp'), 'wb') as f:
        f.write(bmp_bytes(splash()))


if __name__ == '__main__':
    main()
