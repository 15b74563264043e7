#!/usr/bin/env python3
"""Draws the system icons of the Qt backend as 32 x 32 XPM images in the
sixteen-colour manner of Windows 95 message boxes: a hard black outline, flat
colours, no smoothing and a grey shadow below and right of each figure.

    python3 src/platform/ui/qt/icons/draw_icons.py   # rewrites the .xpm files here

Each image is a C array (XPM), included by system_icons.cpp.
"""
import math
import os

SIZE = 32
PALETTE = {
    ".": "None",
    "k": "#000000",
    "w": "#FFFFFF",
    "y": "#FFFF00",
    "r": "#FF0000",
    "b": "#0000FF",
    "g": "#808080",
}


def blank():
    return [["." for _ in range(SIZE)] for _ in range(SIZE)]


def fill(grid, inside, colour):
    for y in range(SIZE):
        for x in range(SIZE):
            if inside(x + 0.5, y + 0.5):
                grid[y][x] = colour


def outline(grid, inside, colour):
    """The pixels of a figure that touch its outside (4-neighbours)."""
    for y in range(SIZE):
        for x in range(SIZE):
            if not inside(x + 0.5, y + 0.5):
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                if not inside(x + dx + 0.5, y + dy + 0.5):
                    grid[y][x] = colour
                    break


def shadow(grid, inside, dx, dy):
    fill(grid, lambda x, y: inside(x - dx, y - dy) and not inside(x, y), "g")


def rect(grid, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            grid[y][x] = colour


def put(grid, x0, y0, rows, colour):
    for dy, row in enumerate(rows):
        for dx, c in enumerate(row):
            if c == "#":
                grid[y0 + dy][x0 + dx] = colour


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def exclamation():
    g = blank()
    def triangle(x, y):
        # apex at (15.5, 1.5), base from (1, 28.5) to (30, 28.5)
        if y < 1.0 or y > 28.5:
            return False
        half = (y - 1.0) * 14.5 / 27.5 + 0.6
        return abs(x - 15.5) <= half
    shadow(g, triangle, 2, 2)
    fill(g, triangle, "y")
    outline(g, triangle, "k")
    rect(g, 14, 9, 17, 10, "k")   # the mark: a wedge narrowing downwards
    rect(g, 14, 11, 17, 16, "k")
    rect(g, 15, 17, 16, 20, "k")
    rect(g, 14, 23, 17, 25, "k")  # its dot
    return g


def hand():
    g = blank()
    disc = circle(15.0, 15.0, 13.6)
    shadow(g, disc, 2, 2)
    fill(g, disc, "r")
    outline(g, disc, "k")
    def cross(x, y):
        u, v = x - 15.0, y - 15.0
        if abs(u) > 7.2 or abs(v) > 7.2:
            return False
        return abs(u - v) <= 2.2 or abs(u + v) <= 2.2
    fill(g, cross, "w")
    return g


def balloon():
    """A speech balloon: an ellipse with its tail at the bottom left."""
    body = lambda x, y: ((x - 16.0) / 14.5) ** 2 + ((y - 12.5) / 11.5) ** 2 <= 1.0
    def tail(x, y):
        # a triangle from the ellipse's lower left down to its point at (5, 28)
        a, b, c = (7.0, 18.0), (16.0, 21.0), (5.0, 29.0)
        if y > 28.0:
            return False
        def side(p, q):
            return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
        s1, s2, s3 = side(a, b), side(b, c), side(c, a)
        return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)
    return lambda x, y: body(x, y) or tail(x, y)


def with_balloon(mark):
    g = blank()
    shape = balloon()
    shadow(g, shape, 2, 2)
    fill(g, shape, "w")
    outline(g, shape, "k")
    mark(g)
    return g


def information():
    def mark(g):
        rect(g, 14, 4, 17, 6, "b")    # the dot of the i
        rect(g, 12, 9, 17, 10, "b")   # its stem with a serif left at the top
        rect(g, 14, 11, 17, 17, "b")
        rect(g, 12, 18, 19, 19, "b")  # the foot
    return with_balloon(mark)


def question():
    def mark(g):
        put(g, 11, 5, [
            "..######..",
            ".########.",
            "###....###",
            "###....###",
            "......####",
            ".....####.",
            "....####..",
            "....###...",
            "....###...",
            "..........",
            "....###...",
            "....###...",
        ], "b")
    return with_balloon(mark)


def write(name, grid):
    used = [c for c in PALETTE if any(c in row for row in grid)]
    lines = [f'"{SIZE} {SIZE} {len(used)} 1",'] + [f'"{c} c {PALETTE[c]}",' for c in used]
    lines += ['"' + "".join(row) + '",' for row in grid]
    lines[-1] = lines[-1].rstrip(",")
    text = f"/* XPM */\n// Drawn by draw_icons.py; do not edit by hand.\nstatic const char* const {name}_xpm[] = {{\n"
    text += "\n".join("    " + line for line in lines) + "\n};\n"
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), name + ".xpm"), "w") as out:
        out.write(text)


if __name__ == "__main__":
    write("exclamation", exclamation())
    write("hand", hand())
    write("information", information())
    write("question", question())
