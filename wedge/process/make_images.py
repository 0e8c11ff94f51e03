#!/usr/bin/env python3
"""Draws the wedge's two pictures: the program icon (sarnu.ico, 48x48, 32x32
and 16x16 in 256 colours, as the terminal's shell picks a size) and the
splash picture (splash.bmp, 220x165, 16 colours, so the checked-in file stays
small). Run it again after a change:
    python3 wedge/process/make_images.py wedge/process
"""
import struct
import sys

# The standard 16-colour palette (blue, green, red, reserved).
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
    (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0),
    (0, 255, 255), (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]  # entries are (R, G, B)
BLACK, NAVY, WHITE, GREY, RED, YELLOW = 0, 1, 15, 7, 12, 14


def palette_bytes(entries=PALETTE):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in entries)


# 256 colours: the 16 above first, so the same indexes draw the same colours,
# then a ramp from the red of the scan line to the white of the label for
# the glow, and black for the rest.
GLOW = 16
PALETTE_256 = PALETTE + [(255, 16 * i, 16 * i) for i in range(16)] + [(0, 0, 0)] * 224


def pack_8bit(rows, width):
    """Bottom-up rows of 8-bit pixels, each row padded to 4 bytes."""
    stride = ((width * 8 + 31) // 32) * 4
    return b"".join(bytes(row) + b"\0" * (stride - width) for row in reversed(rows))


def pack_4bit(rows, width):
    """Bottom-up rows of 4-bit pixels, each row padded to 4 bytes."""
    out = bytearray()
    stride = ((width * 4 + 31) // 32) * 4
    for row in reversed(rows):
        line = bytearray()
        for x in range(0, width, 2):
            hi = row[x]
            lo = row[x + 1] if x + 1 < width else 0
            line.append((hi << 4) | lo)
        line.extend(b"\0" * (stride - len(line)))
        out.extend(line)
    return bytes(out)


def barcode_bars(width):
    """A fixed bar pattern: True for a dark module."""
    pattern = "1101001100101110010110011101001011100100110111001011"
    return [pattern[(x * len(pattern)) // width] == "1" for x in range(width)]


def icon_pixels(size):
    rows = []
    bars = barcode_bars(size - size // 4)
    for y in range(size):
        row = []
        for x in range(size):
            edge = x == 0 or y == 0 or x == size - 1 or y == size - 1
            if edge:
                row.append(NAVY)
            elif size // 8 <= y < size - size // 4 and size // 8 <= x < size - size // 8:
                bx = x - size // 8
                row.append(BLACK if bx < len(bars) and bars[bx] else WHITE)
            elif y >= size - size // 4:
                # The scan line's glow at the bottom, fading towards the label.
                depth = (y - (size - size // 4)) * 16 // (size // 4)
                row.append(GLOW + 15 - depth)
            else:
                row.append(WHITE)
        rows.append(row)
    return rows


ICON_SIZES = (48, 32, 16)


def icon_image(size):
    pixels = pack_8bit(icon_pixels(size), size)
    mask_stride = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_stride * size)  # fully opaque
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0,
                         len(pixels) + len(mask), 0, 0, 256, 0)
    return header + palette_bytes(PALETTE_256) + pixels + mask


def write_icon(path):
    images = [icon_image(size) for size in ICON_SIZES]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in zip(ICON_SIZES, images):
        # A colour count of 0 in the directory means 256 or more.
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def splash_pixels(width, height):
    bars = barcode_bars(width - 60)
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            if x < 3 or y < 3 or x >= width - 3 or y >= height - 3:
                row.append(NAVY)
            elif 30 <= y < 110 and 30 <= x < width - 30:
                row.append(BLACK if bars[x - 30] else WHITE)
            elif y == 70 and 20 <= x < width - 20:
                row.append(RED)
            elif 125 <= y < 140 and 30 <= x < width - 30:
                row.append(YELLOW if (x // 10) % 2 == 0 else GREY)
            else:
                row.append(WHITE)
        rows.append(row)
    # The red scan line crosses the bars.
    for x in range(20, width - 20):
        rows[70][x] = RED
    return rows


def write_bitmap(path, width=220, height=165):
    pixels = pack_4bit(splash_pixels(width, height), width)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 2835, 2835,
                       16, 0)
    offset = 14 + len(info) + 64
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + palette_bytes() + pixels)


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    write_icon(folder + "/sarnu.ico")
    write_bitmap(folder + "/splash.bmp")
