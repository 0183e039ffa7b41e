#!/usr/bin/env python3
"""Writes the example photomasks of this folder (100 x 100 pixels, one pixel per cell column).
Black masks a column, white leaves it open. Only the standard library is used, so the images can be
made again anywhere: python3 make_masks.py"""
import struct
import zlib

SIZE = 100
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)


def write_png(name, pixel):
    """pixel(column, row) -> (r, g, b); row 0 is the top row of the image."""
    raw = bytearray()
    for row in range(SIZE):
        raw.append(0)  # no filter
        for column in range(SIZE):
            raw.extend(pixel(column, row))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 2, 0, 0, 0)
    with open(name, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
                + chunk(b"IEND", b""))


# A dark field with a 40 x 40 opening in the middle.
write_png("square_opening.png", lambda c, r: WHITE if 30 <= c < 70 and 30 <= r < 70 else BLACK)
# Lines 10 columns wide along y, alternating with spaces of the same width.
write_png("lines_and_spaces.png", lambda c, r: BLACK if (c // 10) % 2 == 0 else WHITE)
# A black cross 20 wide through the middle on a clear field.
write_png("cross.png", lambda c, r: BLACK if 40 <= c < 60 or 40 <= r < 60 else WHITE)
# A beam 50 x 10 columns from the left third towards the right, on a clear field.
write_png("cantilever.png", lambda c, r: BLACK if 30 <= c < 80 and 45 <= r < 55 else WHITE)
# The same beam held by a black field over the left 30 columns: an anchored cantilever.
write_png("anchored_cantilever.png", lambda c, r: BLACK if c < 30 or (30 <= c < 80 and 45 <= r < 55) else WHITE)
# Trenches along y, 40, 20, 10 and 5 columns wide, between lands of 6 (of 7 across the edge).
write_png("trench_widths.png",
          lambda c, r: WHITE if 6 <= c < 46 or 52 <= c < 72 or 78 <= c < 88 or 94 <= c < 99 else BLACK)
# Two interdigitated combs: spines along x (rows 5 to 19 and 80 to 94 from the top), fingers 6 wide
# every 24 columns reaching 50 rows towards the other spine, those of one comb between those of the
# other with gaps of 6 beside them and 10 at their tips.
write_png("comb.png", lambda c, r: BLACK if 5 <= r < 20 or 80 <= r < 95
          or (20 <= r < 70 and (c - 10) % 24 < 6 and 10 <= c < 88)
          or (30 <= r < 80 and (c - 22) % 24 < 6 and 22 <= c < 76) else WHITE)
# A dark field with a slot 80 x 12 along x (columns 10 to 89, rows 44 to 55).
write_png("slot_along_x.png", lambda c, r: WHITE if 10 <= c < 90 and 44 <= r < 56 else BLACK)
