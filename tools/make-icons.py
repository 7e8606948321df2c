#!/usr/bin/env python3
"""Draws the program's icons (quarrix/res/*.ico) from simple shapes, so they are made here
and not taken from anywhere. Run it again after changing a drawing."""
import math, struct, pathlib

def ico(images):
    """images: list of (size, pixels) with pixels[y][x] = (r, g, b, a)."""
    head = struct.pack('<HHH', 0, 1, len(images))
    entries, blobs = b'', b''
    offset = 6 + 16 * len(images)
    for size, px in images:
        rows = b''
        for y in range(size - 1, -1, -1):  # bottom-up
            rows += b''.join(struct.pack('BBBB', b, g, r, a) for (r, g, b, a) in px[y])
        mask_row = ((size + 31) // 32) * 4
        mask = b''
        for y in range(size - 1, -1, -1):
            bits = bytearray(mask_row)
            for x in range(size):
                if px[y][x][3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(bits)
        bmp = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(rows) + len(mask),
                          0, 0, 0, 0) + rows + mask
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(bmp), offset)
        offset += len(bmp)
        blobs += bmp
    return head + entries + blobs

def canvas(n):
    return [[(0, 0, 0, 0)] * n for _ in range(n)]

def folder(n):
    px = canvas(n)
    s = n / 16.0
    dark, body, light = (170, 120, 0, 255), (250, 200, 40, 255), (255, 230, 120, 255)
    for y in range(n):
        for x in range(n):
            fx, fy = x / s, y / s
            tab = 1 <= fx < 7 and 2 <= fy < 4
            box = 1 <= fx < 15 and 4 <= fy < 14
            if tab or box:
                edge = fx < 2 or fx >= 14 or fy >= 13 or (tab and fy < 3) or (box and fy < 5)
                px[y][x] = dark if edge else (light if fy < 7 else body)
    return px

def magnifier(n):
    px = canvas(n)
    s = n / 32.0
    paper, line, rim, glass, handle = ((255, 255, 255, 255), (120, 140, 170, 255),
                                       (40, 60, 110, 255), (170, 210, 250, 200), (90, 60, 30, 255))
    for y in range(n):
        for x in range(n):
            fx, fy = (x + 0.5) / s, (y + 0.5) / s
            if 3 <= fx < 21 and 2 <= fy < 28:
                edge = fx < 4 or fx >= 20 or fy < 3 or fy >= 27
                px[y][x] = rim if edge else (line if int(fy) % 4 == 0 and 6 <= fx < 18 else paper)
            d = math.hypot(fx - 18, fy - 15)
            if d < 8:
                px[y][x] = rim if d >= 6.5 else glass
            # handle from the lens towards the lower right
            t = ((fx - 18) + (fy - 15)) / math.sqrt(2)
            off = abs((fx - 18) - (fy - 15)) / math.sqrt(2)
            if 8 <= t < 17 and off < 1.8:
                px[y][x] = handle
    return px

res = pathlib.Path(__file__).resolve().parent.parent / 'quarrix' / 'res'
(res / 'quarrix.ico').write_bytes(ico([(32, magnifier(32)), (16, magnifier(16))]))
(res / 'folder.ico').write_bytes(ico([(16, folder(16)), (32, folder(32))]))
