#!/usr/bin/env python3
"""Draws ChordBell's artwork and writes the resource files.

    python3 scripts/draw-art.py [resources-dir]

Writes about.bmp (300 x 300, 24 bpp), tray.ico (48 x 48, 32 bpp) and app.ico (32 x 32, 32 bpp).
Only the standard library is used and nothing depends on time or randomness, so running it
again gives the same bytes.
"""

import math
import os
import struct
import sys

# A golden bell in a frame of its own, upright, from the top of its hanging loop (y 0) to the
# bottom of its clapper (y 1), centred on x 0.
LOOP_CENTRE, LOOP_OUTER, LOOP_INNER = 0.085, 0.08, 0.038
DOME_CENTRE, DOME_RADIUS = 0.31, 0.17
RIM_Y, RIM_HALF_WIDTH, RIM_HALF_HEIGHT = 0.80, 0.45, 0.06
CLAPPER_CENTRE, CLAPPER_RADIUS = 0.895, 0.09

OUTLINE = (74, 42, 8)
GOLD_DARK = (150, 88, 6)
GOLD = (236, 174, 34)
GOLD_LIGHT = (255, 246, 196)
BRONZE_DARK = (96, 58, 18)
BRONZE = (178, 118, 48)
WAVE = (52, 112, 196)


def lerp(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def clamp(t):
    return 0.0 if t < 0.0 else 1.0 if t > 1.0 else t


def body_half_width(y, grow=0.0):
    """Half width of the bell's body (grown by grow) at height y, or None where it is not."""
    radius = DOME_RADIUS + grow
    if y < DOME_CENTRE - radius or y > RIM_Y:
        return None
    if y < DOME_CENTRE:
        dy = DOME_CENTRE - y
        return math.sqrt(max(radius * radius - dy * dy, 0.0))
    t = (y - DOME_CENTRE) / (RIM_Y - DOME_CENTRE)
    return radius + 0.05 * t + 0.19 * t * t * t


def metal(across, dark, base, light):
    """Colour of a rounded metal surface; across runs from -1 (left edge) to 1 (right edge)."""
    across = max(-1.0, min(1.0, across))
    facing = math.sqrt(1.0 - across * across)
    lit = clamp(0.35 + 0.75 * (0.8 * facing - 0.45 * across))
    colour = lerp(dark, base, lit)
    shine = math.exp(-((across + 0.42) / 0.16) ** 2)
    return lerp(colour, light, 0.85 * shine)


def bell_sample(x, y, grow):
    """Colour of the bell at (x, y) in its own frame, or None where the bell is not.

    grow is the outline's width in the bell's frame: each part is drawn grown by it in the
    outline colour first, so the parts overlap cleanly.
    """
    # Front to back: rim, body, clapper, loop.
    rx, ry = x / (RIM_HALF_WIDTH + grow), (y - RIM_Y) / (RIM_HALF_HEIGHT + grow)
    if rx * rx + ry * ry <= 1.0:
        fx, fy = x / RIM_HALF_WIDTH, (y - RIM_Y) / RIM_HALF_HEIGHT
        if fx * fx + fy * fy <= 1.0:
            return metal(fx, GOLD_DARK, lerp(GOLD, GOLD_DARK, 0.25), GOLD_LIGHT)
        return OUTLINE
    outer = body_half_width(y, grow)
    if outer is not None and abs(x) <= outer:
        w = body_half_width(y)
        if w is not None and abs(x) <= w:
            return metal(x / w if w > 0.0 else 0.0, GOLD_DARK, GOLD, GOLD_LIGHT)
        return OUTLINE
    d = math.hypot(x, y - CLAPPER_CENTRE)
    if d <= CLAPPER_RADIUS + grow:
        if d > CLAPPER_RADIUS:
            return OUTLINE
        spot = math.hypot(x + 0.035, y - CLAPPER_CENTRE + 0.03) / CLAPPER_RADIUS
        return lerp(BRONZE, lerp(BRONZE_DARK, GOLD_LIGHT, 0.5), clamp(1.0 - spot) ** 2) \
            if spot < 1.0 else BRONZE_DARK
    d = math.hypot(x, y - LOOP_CENTRE)
    if LOOP_INNER - grow <= d <= LOOP_OUTER + grow:
        if LOOP_INNER <= d <= LOOP_OUTER:
            return metal(x / LOOP_OUTER, GOLD_DARK, lerp(GOLD, GOLD_DARK, 0.3), GOLD_LIGHT)
        return OUTLINE
    return None


def wave_sample(x, y):
    """The sound waves beside a ringing bell, in the bell's frame (before its tilt)."""
    cx, cy = 0.0, 0.55
    dx, dy = abs(x - cx), y - cy
    if dx < 0.3:
        return None
    angle = math.atan2(dy, dx)
    if abs(angle) > math.radians(34):
        return None
    r = math.hypot(dx, dy)
    for radius in (0.48, 0.59, 0.70):
        if abs(r - radius) <= 0.021:
            return WAVE
    return None


class Canvas:
    """Straight-alpha RGBA pixels, top row first."""

    def __init__(self, size):
        self.size = size
        self.pixels = [(0, 0, 0, 0)] * (size * size)


def render(size, place, background, samples=4):
    """Renders the scene with samples x samples supersampling per pixel.

    place maps a pixel-space point to the bell's frame; background gives the colour (RGBA)
    under the bell at a pixel-space point, or None for transparency.
    """
    canvas = Canvas(size)
    offsets = [(i + 0.5) / samples for i in range(samples)]
    count = samples * samples
    for py in range(size):
        for px in range(size):
            r = g = b = a = 0.0
            for oy in offsets:
                for ox in offsets:
                    sx, sy = px + ox, py + oy
                    colour = place(sx, sy)
                    if colour is None and background is not None:
                        colour = background(sx, sy)
                    if colour is not None:
                        alpha = colour[3] if len(colour) == 4 else 1.0
                        r += colour[0] * alpha
                        g += colour[1] * alpha
                        b += colour[2] * alpha
                        a += alpha
            if a > 0.0:
                canvas.pixels[py * size + px] = (
                    round(r / a), round(g / a), round(b / a), round(255 * a / count))
    return canvas


def bell_scene(size, top, height, tilt_degrees, outline_px, waves):
    """A function from pixel space to the colour of the bell (and its waves) or None."""
    scale = height
    grow = outline_px / scale
    tilt = math.radians(tilt_degrees)
    cos_t, sin_t = math.cos(tilt), math.sin(tilt)
    pivot_x, pivot_y = size / 2.0, top

    def place(sx, sy):
        x, y = (sx - pivot_x) / scale, (sy - pivot_y) / scale
        # The bell swings about the top of its loop, in front of its waves.
        bell = bell_sample(cos_t * x + sin_t * y, -sin_t * x + cos_t * y, grow)
        if bell is None and waves:
            return wave_sample(x, y)
        return bell

    return place


def about_background(size):
    centre_x, centre_y = size / 2.0, size * 0.5

    def colour(sx, sy):
        d = math.hypot(sx - centre_x, sy - centre_y) / (size * 0.72)
        base = lerp((255, 250, 236), (196, 222, 246), clamp(d) ** 1.4)
        # A soft shadow where the bell would rest.
        shadow_x, shadow_y = (sx - centre_x) / (size * 0.30), (sy - size * 0.89) / (size * 0.035)
        s = shadow_x * shadow_x + shadow_y * shadow_y
        if s < 1.0:
            base = lerp(base, (150, 160, 180), 0.45 * (1.0 - s))
        return base

    return colour


def write_bmp(path, canvas):
    """A 24-bpp bottom-up BMP; the rows of 300 pixels need no padding, others are padded."""
    size = canvas.size
    row_bytes = (size * 3 + 3) & ~3
    rows = []
    for py in reversed(range(size)):
        row = bytearray()
        for r, g, b, _ in canvas.pixels[py * size:(py + 1) * size]:
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + data)


def write_ico(path, canvas):
    """One 32-bpp BMP-in-ICO image with its AND mask (set where the image is transparent)."""
    size = canvas.size
    xor = bytearray()
    mask = bytearray()
    mask_row_bytes = ((size + 31) // 32) * 4
    for py in reversed(range(size)):
        bits = bytearray(mask_row_bytes)
        for px in range(size):
            r, g, b, a = canvas.pixels[py * size + px]
            xor += bytes((b, g, r, a))
            if a < 128:
                bits[px // 8] |= 0x80 >> (px % 8)
        mask += bits
    image = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask),
                        0, 0, 0, 0) + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "resources")

    about = render(300, bell_scene(300, 40, 212, -11, 2.6, True), about_background(300), 3)
    write_bmp(os.path.join(out, "about.bmp"), about)

    tray = render(48, bell_scene(48, 1, 46, 0, 1.6, False), None)
    write_ico(os.path.join(out, "tray.ico"), tray)

    app = render(32, bell_scene(32, 1, 30, 0, 1.2, False), None)
    write_ico(os.path.join(out, "app.ico"), app)


if __name__ == "__main__":
    main()
