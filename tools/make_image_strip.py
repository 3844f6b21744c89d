#!/usr/bin/env python3
"""make_image_strip.py: builds the tree list's picture strip (a 4-bit BMP) from its text source.

    make_image_strip.py SOURCE.txt OUTPUT.bmp

The source names the palette entries, 2 to 16, one character each, and draws every 16 x 16 cell as
a grid of those characters; see app/res/tree_images.txt. The result is an ordinary BMP file:
the resource compiler keeps everything after its 14-byte file header.
"""
import struct
import sys

CELL = 16
ROWS, COLUMNS = 4, 3
WIDTH, HEIGHT = COLUMNS * CELL, ROWS * CELL
PALETTE_SIZE = 16  # the most a 4-bit BMP holds; fewer are stored as biClrUsed


class SourceError(Exception):
    pass


def parse(text):
    palette = {}    # index -> (red, green, blue)
    symbols = {}    # character -> index
    background = None
    cells = {}      # (row, column) -> list of 16 strings
    current = None
    for number, raw in enumerate(text.splitlines(), 1):
        stripped = raw.strip()
        if not stripped or stripped.startswith('#'):
            continue
        if raw[0].isspace():  # an indented line is one pixel row of the current cell
            if current is None:
                raise SourceError(f'line {number}: pixel row outside a cell')
            if len(stripped) != CELL:
                raise SourceError(f'line {number}: a cell row has {CELL} pixels, not {len(stripped)}')
            for ch in stripped:
                if ch not in symbols:
                    raise SourceError(f'line {number}: {ch!r} is not a palette character')
            if len(current) == CELL:
                raise SourceError(f'line {number}: a cell has {CELL} rows')
            current.append(stripped)
            continue
        current = None
        words = stripped.split('#', 1)[0].split()
        if words[0] == 'colour' and len(words) >= 6:
            ch, index = words[1], int(words[2])
            if len(ch) != 1 or not 0 <= index < PALETTE_SIZE or index in palette:
                raise SourceError(f'line {number}: bad or repeated palette entry')
            palette[index] = tuple(int(v) for v in words[3:6])
            symbols[ch] = index
        elif words[0] == 'background' and len(words) == 2:
            background = words[1]
        elif words[0] == 'cell' and len(words) == 3:
            key = (int(words[1]), int(words[2]))
            if not (0 <= key[0] < ROWS and 0 <= key[1] < COLUMNS) or key in cells:
                raise SourceError(f'line {number}: bad or repeated cell {key}')
            current = cells[key] = []
        else:
            raise SourceError(f'line {number}: cannot read {raw!r}')
    if len(palette) < 2 or sorted(palette) != list(range(len(palette))):
        raise SourceError('the palette needs entries 0 to its last, at least 2')
    if background not in symbols:
        raise SourceError('no background character')
    for row in range(ROWS):
        for column in range(COLUMNS):
            grid = cells.get((row, column))
            if grid is None or len(grid) != CELL:
                raise SourceError(f'cell {row} {column} needs {CELL} rows')
    return palette, symbols, symbols[background], cells


def build(palette, symbols, background, cells):
    # Pixel rows of the whole strip, top first, as palette indices.
    picture = [[0] * WIDTH for _ in range(HEIGHT)]
    for (row, column), grid in cells.items():
        for y, line in enumerate(grid):
            for x, ch in enumerate(line):
                picture[row * CELL + y][column * CELL + x] = symbols[ch]
    # The loader takes the first stored pixel (bottom left) as the background to replace.
    if picture[HEIGHT - 1][0] != background:
        raise SourceError('the bottom-left pixel of the strip must be background')

    stride = WIDTH // 2
    pixels = bytearray()
    for line in reversed(picture):  # bottom row first
        for x in range(0, WIDTH, 2):
            pixels.append(line[x] << 4 | line[x + 1])
    assert len(pixels) == stride * HEIGHT

    # Only the entries used are stored: every one costs the program four bytes.
    used = len(palette)
    info = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, 4, 0, len(pixels), 0, 0,
                       used % PALETTE_SIZE, 0)
    colours = b''.join(struct.pack('<BBBB', b, g, r, 0)
                       for r, g, b in (palette[i] for i in range(used)))
    offset = 14 + len(info) + len(colours)
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return header + info + colours + bytes(pixels)


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    try:
        with open(argv[1], encoding='ascii') as source:
            data = build(*parse(source.read()))
    except (SourceError, ValueError) as error:
        print(f'{argv[1]}: {error}', file=sys.stderr)
        return 1
    with open(argv[2], 'wb') as output:
        output.write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
