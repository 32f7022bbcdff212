#!/usr/bin/env python3
"""Finds things on a screenshot the way a person's eye would, so the stories can click them.

Reads a binary PPM of the whole screen from standard input (`import -window root ppm:-`).
Coordinates are screen pixels. Ink is any pixel darker than grey: text, arrows, edges.

  screen.py client WX WY WW WH      client origin "X Y" of the main window whose outer X
                                    window is at WX,WY size WW x WH, found below its menu bar,
                                    and the Y of the menu bar's top
  screen.py spans AXIS GAP X Y W H  centres of the ink clusters along x or y, clusters being
                                    separated by at least GAP pixels without ink
  screen.py ink X Y W H             number of ink pixels in the rectangle
  screen.py colour X Y              the pixel's colour as RRGGBB
  screen.py blob X Y W H            bounding box "X0 Y0 X1 Y1" of the pixels that differ from
                                    the rectangle's most common colour (nothing when none)
  screen.py bottom X                 the top Y of the strip of one colour that ends at the
                                    bottom of the screen in column X (a taskbar)
  screen.py closebox WX WY WW WH    centre "X Y" of the close button at the right end of the
                                    caption that Wine draws for a window in a virtual desktop
Exits 1 when the thing is not there.
"""
import collections
import sys

INK_LEVEL = 100  # a pixel darker than this on every channel is ink
WHITE = (255, 255, 255)


class Screen:
    def __init__(self, data):
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos) + 1
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        if fields[0] != b"P6" or int(fields[3]) != 255:
            raise SystemExit("screen.py: expected an 8-bit binary PPM")
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[pos + 1:]

    def at(self, x, y):
        if not (0 <= x < self.width and 0 <= y < self.height):
            return None
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def is_ink(self, x, y):
        p = self.at(x, y)
        return p is not None and max(p) < INK_LEVEL

    def region(self, x, y, w, h):
        for yy in range(max(y, 0), min(y + h, self.height)):
            for xx in range(max(x, 0), min(x + w, self.width)):
                yield xx, yy


def client_origin(s, wx, wy, ww, wh):
    """The menu bar is a white strip as wide as the client area; the client area starts
    right below it. Its right end gives the frame's width, which is the same on the left."""
    probe_x = wx + ww * 6 // 10  # right of the menu titles, left of any caption button
    y = wy
    top = y
    while y < wy + wh and y - top < 12:  # the frame has white lines too, a pixel thick
        while y < wy + wh and s.at(probe_x, y) != WHITE:
            y += 1
        top = y
        while y < wy + wh and s.at(probe_x, y) == WHITE:
            y += 1
    if y - top < 12 or y >= wy + wh:
        return None
    row = (top + y) // 2
    right = probe_x
    while right + 1 < wx + ww and s.at(right + 1, row) == WHITE:
        right += 1
    frame = wx + ww - 1 - right
    return wx + frame, y, top


def spans(s, axis, gap, x, y, w, h):
    along = range(x, x + w) if axis == "x" else range(y, y + h)
    across = range(y, y + h) if axis == "x" else range(x, x + w)
    hit = []
    for a in along:
        if axis == "x":
            hit.append(any(s.is_ink(a, b) for b in across))
        else:
            hit.append(any(s.is_ink(b, a) for b in across))
    centres = []
    start = None
    blank = 0
    for i, inked in enumerate(hit + [False] * (gap + 1)):
        if inked:
            if start is None:
                start = i
            last = i
            blank = 0
        elif start is not None:
            blank += 1
            if blank >= gap:
                centres.append(along[0] + (start + last) // 2)
                start = None
    return centres


def blob(s, x, y, w, h):
    counts = collections.Counter(s.at(xx, yy) for xx, yy in s.region(x, y, w, h))
    if not counts:
        return None
    background = counts.most_common(1)[0][0]
    box = None
    for xx, yy in s.region(x, y, w, h):
        if s.at(xx, yy) != background:
            if box is None:
                box = [xx, yy, xx, yy]
            else:
                box = [min(box[0], xx), min(box[1], yy), max(box[2], xx), max(box[3], yy)]
    return box


def close_box(s, wx, wy, ww, wh):
    """The caption is the first run of one colour, other than the frame's greys, down the
    middle of the window; the close button is the last gap in that colour along its middle row."""
    mid_x = wx + ww // 2
    y = wy
    caption = None
    while y < wy + min(wh, 40):
        p = s.at(mid_x, y)
        if p is not None and max(p) - min(p) > 40:  # coloured, not a grey of the frame
            caption = p
            break
        y += 1
    if caption is None:
        return None
    top = y
    while s.at(mid_x, y) == caption:
        y += 1
    row = (top + y - 1) // 2
    x = wx + ww - 1
    while x > mid_x and s.at(x, row) != caption:  # the frame at the right end
        x -= 1
    while x > mid_x and s.at(x, row) == caption:  # caption colour right of the button
        x -= 1
    right = x
    while x > mid_x and s.at(x, row) != caption:
        x -= 1
    if right - x < 6:
        return None
    return (x + 1 + right) // 2, row


def main(argv):
    if len(argv) < 2:
        sys.stderr.write(__doc__)
        return 2
    s = Screen(sys.stdin.buffer.read())
    command, args = argv[1], argv[2:]
    if command == "client":
        result = client_origin(s, *map(int, args))
    elif command == "spans":
        result = spans(s, args[0], int(args[1]), *map(int, args[2:])) or None
    elif command == "ink":
        result = [sum(1 for xx, yy in s.region(*map(int, args)) if s.is_ink(xx, yy))]
    elif command == "colour":
        p = s.at(*map(int, args))
        result = ["%02X%02X%02X" % p] if p else None
    elif command == "blob":
        result = blob(s, *map(int, args))
    elif command == "bottom":
        x = int(args[0])
        y = s.height - 1
        while y > 0 and s.at(x, y - 1) == s.at(x, s.height - 1):
            y -= 1
        result = [y]
    elif command == "closebox":
        result = close_box(s, *map(int, args))
    else:
        sys.stderr.write(__doc__)
        return 2
    if result is None:
        return 1
    print(" ".join(map(str, result)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
