#!/usr/bin/env python3
"""Draws velanto's icon, a luminometer swab tube glowing in a teal tile, and velanto records'
icon, a smaller tube beside a stack of ledger sheets in an indigo tile.

Writes velanto's two 32 x 32 images the dialog uses (one in the 16-colour palette, one in a
256-colour palette, as XPM), the PNG sizes a Linux desktop looks for, and the Windows icon
file, which holds those two images and true-colour sizes; and the same PNG sizes of velanto
records' icon into records/resources/icons. Standard library only; run it again after changing
the artwork and commit what it writes.
"""
import math
import os
import struct
import sys
import zlib

SUPERSAMPLE = 4


def clamp(v, lo=0.0, hi=1.0):
    return max(lo, min(hi, v))


def rounded_rect_distance(x, y, cx, cy, hw, hh, r):
    qx = abs(x - cx) - hw + r
    qy = abs(y - cy) - hh + r
    outside = math.hypot(max(qx, 0), max(qy, 0))
    return outside + min(max(qx, qy), 0) - r


def blend(under, over):
    """Source-over compositing of straight-alpha RGBA tuples with components in 0..1."""
    a = over[3] + under[3] * (1 - over[3])
    if a == 0:
        return (0, 0, 0, 0)
    rgb = [(over[i] * over[3] + under[i] * under[3] * (1 - over[3])) / a for i in range(3)]
    return (*rgb, a)


OUTLINE = (0.08, 0.16, 0.25, 1)


def tile(u, v, top, bottom):
    """The rounded square under the artwork, shading from colour `top` to colour `bottom`."""
    if rounded_rect_distance(u, v, 0.5, 0.5, 0.47, 0.47, 0.16) > 0:
        return (0, 0, 0, 0)
    return (*(t + (b - t) * v for t, b in zip(top, bottom)), 1)


def swab(pixel, u, v):
    """The glowing swab tube over `pixel`, in a unit square whose centre it fills."""
    # Glow of the reaction: a warm light around the bottom of the tube.
    glow = clamp(1 - math.hypot(u - 0.5, v - 0.66) / 0.33)
    if glow > 0 and pixel[3] > 0:
        pixel = blend(pixel, (1.0, 0.93, 0.35, glow ** 1.6))
    # Tube: a rounded vertical capsule with a dark outline and a bright liquid at the bottom.
    tube = rounded_rect_distance(u, v, 0.5, 0.5, 0.11, 0.34, 0.11)
    if tube <= 0:
        liquid = v > 0.62
        body = (1.0, 0.97, 0.6, 1) if liquid else (0.93, 0.97, 1.0, 1)
        pixel = blend(pixel, body)
        if tube > -0.035:
            pixel = blend(pixel, OUTLINE)
    # Cap of the swab.
    if rounded_rect_distance(u, v, 0.5, 0.16, 0.15, 0.05, 0.03) <= 0:
        pixel = blend(pixel, (0.95, 0.35, 0.2, 1))
    return pixel


def velanto_shade(u, v):
    """Colour of velanto's icon at (u, v) in the unit square, y growing downwards."""
    return swab(tile(u, v, (0.05, 0.45, 0.55), (0.07, 0.20, 0.45)), u, v)


def ledger(pixel, u, v):
    """Three sheets stacked to the upper right, the front one ruled, as a record book's."""
    for step, paper in ((2, (0.72, 0.78, 0.90, 1)), (1, (0.84, 0.88, 0.95, 1)), (0, (0.98, 0.98, 0.94, 1))):
        sheet = rounded_rect_distance(u, v, 0.63 + 0.035 * step, 0.64 - 0.035 * step, 0.17, 0.21, 0.03)
        if sheet <= 0:
            pixel = blend(pixel, OUTLINE if sheet > -0.025 else paper)
    if rounded_rect_distance(u, v, 0.63, 0.64, 0.17, 0.21, 0.03) <= -0.025:
        for rule in (0.53, 0.61, 0.69, 0.77):
            if abs(v - rule) <= 0.0125 and 0.51 <= u <= 0.75:
                pixel = blend(pixel, (0.25, 0.45, 0.60, 1))
    return pixel


def records_shade(u, v):
    """Colour of velanto records' icon at (u, v): velanto's tube, smaller, beside a ledger."""
    scale = 0.8
    pixel = tile(u, v, (0.30, 0.25, 0.60), (0.16, 0.12, 0.42))
    pixel = swab(pixel, 0.5 + (u - 0.30) / scale, 0.5 + (v - 0.47) / scale)
    return ledger(pixel, u, v)


def render(size, shade):
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    u = (x + (sx + 0.5) / SUPERSAMPLE) / size
                    v = (y + (sy + 0.5) / SUPERSAMPLE) / size
                    r, g, b, a = shade(u, v)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SUPERSAMPLE * SUPERSAMPLE
            a = acc[3] / n
            rgb = [acc[i] / acc[3] if acc[3] else 0 for i in range(3)]
            row.append(tuple(round(c * 255) for c in (*rgb, a)))
        rows.append(row)
    return rows


def png_bytes(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_png(path, rows):
    with open(path, "wb") as out:
        out.write(png_bytes(rows))


def write_pngs(folder, name, images):
    """Writes each image as folder/NxN/name, where a desktop's icon theme looks for its size."""
    for size, rows in images.items():
        sized = os.path.join(folder, f"{size}x{size}")
        os.makedirs(sized, exist_ok=True)
        write_png(os.path.join(sized, name), rows)


VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
         (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
         (0, 255, 255), (255, 255, 255)]

CUBE = [0, 51, 102, 153, 204, 255]
PALETTE256 = [(r, g, b) for r in CUBE for g in CUBE for b in CUBE] + [(round(i * 255 / 41),) * 3 for i in range(1, 41)]


def nearest(palette, rgb):
    return min(range(len(palette)), key=lambda i: sum((palette[i][k] - rgb[k]) ** 2 for k in range(3)))


def write_xpm(path, name, rows, palette):
    size = len(rows)
    indices = [[None if p[3] < 128 else nearest(palette, p[:3]) for p in row] for row in rows]
    used = sorted({i for row in indices for i in row if i is not None})
    alphabet = [chr(c) for c in range(35, 127) if chr(c) not in '"\\']
    code = {}
    for n, index in enumerate(used):
        code[index] = alphabet[n // len(alphabet)] + alphabet[n % len(alphabet)]
    lines = [f'"{size} {size} {len(used) + 1} 2",', '"   c None",']
    lines += [f'"{code[i]} c #{palette[i][0]:02X}{palette[i][1]:02X}{palette[i][2]:02X}",' for i in used]
    lines += ['"' + "".join("  " if i is None else code[i] for i in row) + '",' for row in indices]
    lines[-1] = lines[-1].rstrip(",")
    with open(path, "w") as out:
        out.write("/* XPM */\n")
        out.write(f"static const char* const {name}[] = {{\n")
        out.write("\n".join(lines))
        out.write("\n};\n")


def dib_bytes(rows, palette=None):
    """An icon image in the device-independent bitmap form every Windows version reads: a header
    of twice the height (colours, then the mask), rows bottom-up and padded to 32 bits, of 32-bit
    BGRA or, with a palette, of 4- or 8-bit indices into it; then a 1-bit mask, set where transparent."""
    size = len(rows)
    if palette is None:
        bits, table = 32, b""
        lines = [bytes(c for r, g, b, a in row for c in (b, g, r, a)) for row in rows]
    else:
        bits = 4 if len(palette) <= 16 else 8
        table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette).ljust(4 << bits, b"\0")
        lines = []
        for row in rows:
            indices = [nearest(palette, pixel[:3]) for pixel in row]
            lines.append(bytes(indices) if bits == 8 else
                         bytes(indices[x] << 4 | indices[x + 1] for x in range(0, size, 2)))
    masks = [bytes(sum((row[x + i][3] < 128) << (7 - i) for i in range(8)) for x in range(0, size, 8))
             for row in rows]
    pixels = b"".join(line + bytes(-len(line) % 4) for line in reversed(lines))
    mask = b"".join(line + bytes(-len(line) % 4) for line in reversed(masks))
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return header + table + pixels + mask, bits


def write_ico(path, images):
    """Windows icon file of (rows, palette or None) images: 256 x 256 as PNG, as Windows keeps
    it, the others as bitmaps."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, data = b"", b""
    for rows, palette in images:
        size = len(rows)
        image, bits = (png_bytes(rows), 32) if size >= 256 else dib_bytes(rows, palette)
        colours = len(palette) if bits < 8 else 0
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bits, len(image),
                               offset + len(data))
        data += image
    with open(path, "wb") as out:
        out.write(directory + entries + data)


def main():
    root = os.path.dirname(os.path.abspath(__file__))
    sizes = (16, 24, 32, 48, 64, 128, 256)
    images = {size: render(size, velanto_shade) for size in sizes}
    icon32 = images[32]
    write_xpm(os.path.join(root, "velanto_16_colours.xpm"), "velanto_16_colours_xpm", icon32, VGA16)
    write_xpm(os.path.join(root, "velanto_256_colours.xpm"), "velanto_256_colours_xpm", icon32, PALETTE256)
    write_pngs(os.path.join(root, "icons"), "velanto.png", images)
    # The dialog's two 32 x 32 images, and true-colour sizes for the Start menu and Explorer.
    write_ico(os.path.join(root, "velanto.ico"), [(icon32, VGA16), (icon32, PALETTE256)] +
              [(images[size], None) for size in (16, 24, 32, 48, 256)])
    records = os.path.join(root, "..", "..", "records", "resources", "icons")
    write_pngs(records, "velanto-records.png", {size: render(size, records_shade) for size in sizes})
    return 0


if __name__ == "__main__":
    sys.exit(main())
