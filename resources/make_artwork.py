#!/usr/bin/env python3
"""Draws the program's artwork and sounds into this folder (standard library only).

Run again after changing a picture: python3 resources/make_artwork.py
"""
import math
import os
import struct
import wave
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


class Canvas:
    def __init__(self, w, h, fill=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[list(fill) for _ in range(w)] for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            a = c[3] if len(c) > 3 else 255
            if a == 255:
                self.px[y][x] = [c[0], c[1], c[2], 255]
            elif a > 0:
                d = self.px[y][x]
                t = a / 255.0
                out_a = a + d[3] * (1 - t)
                self.px[y][x] = [round(c[i] * t + d[i] * (1 - t)) for i in range(3)] + [round(min(255, out_a))]

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.set(x, y, c)

    def vgradient(self, x0, y0, x1, y1, stops):
        for y in range(y0, y1):
            t = (y - y0) / max(1, y1 - y0 - 1)
            self.rect(x0, y, x1, y + 1, lerp_stops(stops, t))

    def disc(self, cx, cy, r, c):
        for y in range(int(cy - r - 1), int(cy + r + 2)):
            for x in range(int(cx - r - 1), int(cx + r + 2)):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                cover = max(0.0, min(1.0, r - d + 0.5))
                if cover > 0:
                    self.set(x, y, (c[0], c[1], c[2], round(cover * (c[3] if len(c) > 3 else 255))))

    def line(self, x0, y0, x1, y1, c, width=1.0):
        n = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(n + 1):
            t = i / n
            self.disc(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, width / 2, c)

    def rounded(self, x0, y0, x1, y1, r, c):
        for y in range(y0, y1):
            for x in range(x0, x1):
                cx = min(max(x + 0.5, x0 + r), x1 - r)
                cy = min(max(y + 0.5, y0 + r), y1 - r)
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                cover = max(0.0, min(1.0, r - d + 0.5))
                if cover > 0:
                    self.set(x, y, (c[0], c[1], c[2], round(cover * (c[3] if len(c) > 3 else 255))))

    def save_png(self, name, folder=HERE):
        raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in self.px)
        def chunk(tag, data):
            return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)
        png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
        png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
        with open(os.path.join(folder, name), "wb") as f:
            f.write(png)


def lerp(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(len(a)))


def lerp_stops(stops, t):
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return lerp(c0, c1, (t - t0) / max(1e-9, t1 - t0))
    return stops[-1][1]


BAR_H = 26
BAR = [(0.0, (61, 149, 255, 255)), (0.12, (0, 88, 238, 255)), (0.55, (0, 84, 227, 255)),
       (0.85, (0, 70, 210, 255)), (1.0, (0, 55, 180, 255))]


def title_bar():
    tile = Canvas(8, BAR_H)
    tile.vgradient(0, 0, 8, BAR_H, BAR)
    tile.save_png("titlebar_tile.png")
    for side in ("left", "right"):
        end = Canvas(16, BAR_H)
        end.vgradient(0, 0, 16, BAR_H, BAR)
        # Rounded outer top corner, transparent outside it.
        for y in range(6):
            for x in range(6):
                d = math.hypot(5.5 - x, 5.5 - y)
                if d > 6:
                    xx = x if side == "left" else 15 - x
                    end.px[y][xx] = [0, 0, 0, 0]
        edge = 0 if side == "left" else 15
        for y in range(6, BAR_H):
            end.set(edge, y, (0, 65, 206, 255))
        end.save_png("titlebar_%s.png" % side)


BTN_W, BTN_H = 19, 23


def title_buttons():
    faces = {
        "help": ((58, 130, 245), (33, 92, 214)),
        "mini": ((58, 130, 245), (33, 92, 214)),
        "maxi": ((58, 130, 245), (33, 92, 214)),
        "close": ((232, 104, 72), (196, 56, 24)),
    }
    for kind, (top, bottom) in faces.items():
        for state in ("", "_over", "_down"):
            c = Canvas(BTN_W, BTN_H)
            t, b = top, bottom
            if state == "_over":
                t, b = lerp(top, (255, 255, 255), 0.3), lerp(bottom, (255, 255, 255), 0.2)
            if state == "_down":
                t, b = lerp(bottom, (0, 0, 0), 0.2), lerp(top, (0, 0, 0), 0.15)
            y0 = 3
            c.rounded(0, y0, 19, y0 + 19, 3.5, (255, 255, 255, 255))
            for y in range(y0 + 1, y0 + 18):
                col = lerp(t, b, (y - y0 - 1) / 16.0) + (255,)
                for x in range(1, 18):
                    c.set(x, y, col)
            # Re-cut the corners of the face so the white rim stays round.
            for (cx, cy) in ((1, y0 + 1), (17, y0 + 1), (1, y0 + 17), (17, y0 + 17)):
                c.set(cx, cy, (255, 255, 255, 160))
            white = (255, 255, 255, 255)
            if kind == "close":
                c.line(5.5, y0 + 5.5, 13.5, y0 + 13.5, white, 2.2)
                c.line(13.5, y0 + 5.5, 5.5, y0 + 13.5, white, 2.2)
            elif kind == "mini":
                c.rect(5, y0 + 12, 11, y0 + 15, white)
            elif kind == "maxi":
                # A window: a thick top edge and thin sides and bottom.
                c.rect(5, y0 + 5, 14, y0 + 8, white)
                c.rect(5, y0 + 5, 7, y0 + 14, white)
                c.rect(12, y0 + 5, 14, y0 + 14, white)
                c.rect(5, y0 + 12, 14, y0 + 14, white)
            else:
                # A question mark: hook and dot.
                for a in range(-200, 41, 8):
                    r = math.radians(a)
                    c.disc(9.5 + 3.2 * math.cos(r), y0 + 7.0 + 3.0 * math.sin(r), 1.1, white)
                c.line(9.5, y0 + 10.0, 9.5, y0 + 12.0, white, 2.0)
                c.disc(9.5, y0 + 15.0, 1.2, white)
            c.save_png("btn_%s%s.png" % (kind, state))


def hand():
    # A pointing hand, 32 x 32, hot spot at the fingertip (top-left area).
    c = Canvas(32, 32)
    black, white = (0, 0, 0, 255), (255, 255, 255, 255)
    shape = [
        "     ##                 ",
        "    #..#                ",
        "    #..#                ",
        "    #..#                ",
        "    #..#                ",
        "    #..###              ",
        "    #..#..###           ",
        "    #..#..#..##         ",
        "    #..#..#..#.#        ",
        "### #........#..#       ",
        "#..##...........#       ",
        "#...#...........#       ",
        " #..............#       ",
        "  #.............#       ",
        "  #............#        ",
        "   #...........#        ",
        "   #..........#         ",
        "    #.........#         ",
        "    #.........#         ",
        "    ###########         ",
    ]
    for y, row in enumerate(shape):
        for x, ch in enumerate(row):
            if ch == "#":
                c.set(x, y, black)
            elif ch == ".":
                c.set(x, y, white)
    c.save_png("hand.png")


FONT = {  # 5 x 7 capitals for the banner
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "V": ["10001", "10001", "10001", "10001", "01010", "01010", "00100"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
}


# The emblem on a 64-unit grid: a white ring, the blue field and three
# overlapping colour discs (the filters' channels) around a white centre.
EMBLEM = [(32, 32, 30, (255, 255, 255, 255)), (32, 32, 28, (25, 118, 218, 255)),
          (25, 26, 13, (230, 60, 60, 200)), (39, 26, 13, (60, 200, 90, 200)),
          (32, 39, 13, (250, 220, 60, 200)), (32, 31, 4, (255, 255, 255, 255))]


def emblem_canvas(size):
    c = Canvas(size, size)
    k = size / 64
    for (x, y, r, colour) in EMBLEM:
        c.disc(x * k, y * k, r * k, colour)
    return c


def emblem():
    emblem_canvas(64).save_png("emblem.png")


ICONS = os.path.join(HERE, "..", "dist", "icons")


def desktop_icons():
    # The menu and file-manager icon: the emblem, as pictures and as a scalable drawing.
    os.makedirs(ICONS, exist_ok=True)
    for size in (48, 128, 256):
        emblem_canvas(size).save_png("orvane-%d.png" % size, ICONS)
    circles = "".join(
        '  <circle cx="%g" cy="%g" r="%g" fill="#%02x%02x%02x" fill-opacity="%.3f"/>\n'
        % (x, y, r, c[0], c[1], c[2], c[3] / 255) for (x, y, r, c) in EMBLEM)
    svg = ('<?xml version="1.0" encoding="UTF-8"?>\n'
           '<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">\n'
           + circles + "</svg>\n")
    with open(os.path.join(ICONS, "orvane.svg"), "w") as f:
        f.write(svg)


def banner():
    c = Canvas(155, 42)
    c.vgradient(0, 0, 155, 42, [(0.0, (0, 88, 238, 255)), (1.0, (0, 45, 160, 255))])
    for x in range(155):
        c.set(x, 0, (120, 180, 255, 255))
        c.set(x, 41, (0, 30, 110, 255))
    text, scale = "ORVANE", 4
    width = len(text) * 6 * scale - scale
    x0, y0 = (155 - width) // 2, (42 - 7 * scale) // 2
    for i, ch in enumerate(text):
        for y, row in enumerate(FONT[ch]):
            for x, bit in enumerate(row):
                if bit == "1":
                    px = x0 + (i * 6 + x) * scale
                    py = y0 + y * scale
                    c.rect(px + 1, py + 1, px + scale + 1, py + scale + 1, (0, 0, 0, 140))
                    c.rect(px, py, px + scale, py + scale, (255, 255, 255, 255))
    c.save_png("banner.png")


def sound(name, parts, rate=22050):
    frames = bytearray()
    for freq, ms, volume in parts:
        n = int(rate * ms / 1000)
        for i in range(n):
            env = min(1.0, i / (rate * 0.003)) * (1 - i / n) ** 2
            v = int(volume * env * 32767 * math.sin(2 * math.pi * freq * i / rate))
            frames += struct.pack("<h", v)
    with wave.open(os.path.join(HERE, name), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(bytes(frames))


if __name__ == "__main__":
    title_bar()
    title_buttons()
    hand()
    emblem()
    desktop_icons()
    banner()
    sound("over.wav", [(1760, 25, 0.25)])
    sound("click.wav", [(880, 15, 0.5), (1320, 30, 0.4)])
