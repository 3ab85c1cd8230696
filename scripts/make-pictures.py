#!/usr/bin/env python3
"""Draws the carrier's 16-colour pictures and writes them into its brand folder, res/brand/.

The pictures are drawn as character grids below; each character is one pixel, an index
into the standard 16-colour palette ('.' is transparent in the icon). Run it after
changing a grid; the written files are committed.
"""
import pathlib
import struct

PALETTE = [  # standard 16-colour palette, as (red, green, blue)
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# Characters used in the grids and the palette index each stands for.
INK = {'.': 0, 'k': 0, 'n': 4, 'b': 12, 'g': 10, 'G': 2, 's': 7, 'd': 8, 'w': 15, 'y': 11}

# A firmware chip with pins and a down arrow: "write this into the device".
ICON = """
................................
................................
.......s..s..s..s..s..s.........
.......s..s..s..s..s..s.........
.....kkkkkkkkkkkkkkkkkkkkkk.....
.....knnnnnnnnnnnnnnnnnnnnk.....
..sssknnnnnnnnnwwnnnnnnnnnksss..
.....knnnnnnnnnwwnnnnnnnnnk.....
.....knnnnnnnnnwwnnnnnnnnnk.....
..sssknnnnnnnnnwwnnnnnnnnnksss..
.....knnnnnnnnnwwnnnnnnnnnk.....
.....knnnnnnnnnwwnnnnnnnnnk.....
..sssknnnnnnnnnwwnnnnnnnnnksss..
.....knnnnnnwwwwwwwwnnnnnnk.....
.....knnnnnnnwwwwwwnnnnnnnk.....
..sssknnnnnnnnwwwwnnnnnnnnksss..
.....knnnnnnnnnwwnnnnnnnnnk.....
.....knnnnnnnnnnnnnnnnnnnnk.....
..sssknnnnggggggggggggnnnnksss..
.....knnnnggggggggggggnnnnk.....
.....knnnnnnnnnnnnnnnnnnnnk.....
..sssknnnnnnnnnnnnnnnnnnnnksss..
.....knnnnnnnnnnnnnnnnnnnnk.....
.....knnnnnnnnnnnnnnnnnnbbk.....
..sssknnnnnnnnnnnnnnnnnnbbksss..
.....kkkkkkkkkkkkkkkkkkkkkk.....
.......s..s..s..s..s..s.........
.......s..s..s..s..s..s.........
................................
................................
................................
................................
"""


# The About box's logo: the name in a five-by-seven pixel font on a blue band.
LOGO_WIDTH, LOGO_HEIGHT = 105, 21
FONT = {
    'O': ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'V': ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    'N': ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
}


def logo_rows(word='ORVANE', scale=2):
    rows = [['n'] * LOGO_WIDTH for _ in range(LOGO_HEIGHT)]
    for x in range(LOGO_WIDTH):  # a green line under the band
        rows[LOGO_HEIGHT - 2][x] = 'g'
    advance = 6 * scale
    left = (LOGO_WIDTH - advance * len(word) + scale) // 2
    top = 2
    for i, letter in enumerate(word):
        for y, line in enumerate(FONT[letter]):
            for x, bit in enumerate(line):
                if bit == '1':
                    for dy in range(scale):
                        for dx in range(scale):
                            rows[top + y * scale + dy][left + i * advance + x * scale + dx] = 'w'
    return [''.join(r) for r in rows]


def bitmap_file(rows):
    width, height = len(rows[0]), len(rows)
    pixels = pixel_rows_4bpp(rows)
    header = info_header(width, height, len(pixels)) + palette_bytes()
    file_header = struct.pack('<2sIHHI', b'BM', 14 + len(header) + len(pixels), 0, 0, 14 + len(header))
    return file_header + header + pixels


def rows_of(grid):
    rows = [line for line in grid.strip('\n').split('\n')]
    assert len({len(r) for r in rows}) == 1, 'ragged grid'
    return rows


def palette_bytes():
    return b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)


def pixel_rows_4bpp(rows):
    """Bottom-up rows of 4-bit pixels, each padded to four bytes."""
    out = b''
    for row in reversed(rows):
        # Each row is padded to a multiple of four bytes (eight pixels).
        indices = [INK[c] for c in row] + [0] * (-len(row) % 8)
        packed = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, len(indices), 2))
        out += packed
    return out


def mask_rows(rows):
    """Bottom-up rows of the icon's 1-bit mask: 1 where the pixel is transparent."""
    out = b''
    for row in reversed(rows):
        bits = ''.join('1' if c == '.' else '0' for c in row).ljust(32, '0')
        out += int(bits, 2).to_bytes(4, 'big')
    return out


def info_header(width, height, image_size):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0, image_size, 0, 0, 16, 0)


def icon_file(rows):
    pixels, mask = pixel_rows_4bpp(rows), mask_rows(rows)
    image = info_header(32, 64, len(pixels) + len(mask)) + palette_bytes() + pixels + mask
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', 32, 32, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    res = pathlib.Path(__file__).resolve().parent.parent / 'res' / 'brand'
    icon_rows = rows_of(ICON)
    assert len(icon_rows) == 32 and len(icon_rows[0]) == 32
    (res / 'OrvaneFirmUp.ico').write_bytes(icon_file(icon_rows))
    (res / 'AboutLogo.bmp').write_bytes(bitmap_file(logo_rows()))


if __name__ == '__main__':
    main()
