#!/usr/bin/env python3
"""Turns the wizard's PNG artwork into what a Windows resource script takes:
the banner as a 32-bit BMP and the program icon as an ICO (16, 24, 32 and
48 pixels as bitmaps, 256 as the PNG itself). Standard library only, so that
the cross build needs nothing beyond Python; the output depends on the input
alone, byte for byte.

    ConvertArtwork.py BANNER.png BANNER.bmp ICON.png ICON.ico
"""
import struct
import sys
import zlib

ICON_BITMAP_SIZES = (16, 24, 32, 48)


def read_png(path):
    """Width, height and rows of RGBA bytes of an 8-bit RGBA, non-interlaced PNG."""
    with open(path, 'rb') as f:
        data = f.read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        sys.exit(f'{path}: not a PNG file')
    pos, idat, header = 8, [], None
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        chunk = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b'IHDR':
            header = struct.unpack('>IIBBBBB', chunk)
        elif kind == b'IDAT':
            idat.append(chunk)
        elif kind == b'IEND':
            break
    width, height, depth, colour, _, _, interlace = header
    if (depth, colour, interlace) != (8, 6, 0):
        sys.exit(f'{path}: only 8-bit RGBA without interlacing is supported')
    raw = zlib.decompress(b''.join(idat))
    stride, bpp = width * 4, 4
    rows, previous, i = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - bpp] if x >= bpp else 0
            b = previous[x]
            c = previous[x - bpp] if x >= bpp else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line))
        previous = line
    return width, height, rows


def bgra_bottom_up(width, rows):
    """The rows as a DIB's pixels: last row first, blue before red."""
    out = bytearray()
    for row in reversed(rows):
        for x in range(width):
            r, g, b, a = row[4 * x:4 * x + 4]
            out += bytes((b, g, r, a))
    return bytes(out)


def bitmap_info_header(width, height):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, 32, 0, width * height * 4, 2835, 2835, 0, 0)


def write_bmp(path, width, height, rows):
    pixels = bgra_bottom_up(width, rows)
    header = bitmap_info_header(width, height)
    offset = 14 + len(header)
    with open(path, 'wb') as f:
        f.write(struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset))
        f.write(header)
        f.write(pixels)


def resized(width, height, rows, size):
    """Area-averaged down to size x size, with alpha-weighted colours so that
    transparent pixels lend no colour to the edges."""
    def spans(source, target):
        # For each target pixel, the source pixels it covers and how much.
        scale = source / target
        result = []
        for t in range(target):
            start, end = t * scale, (t + 1) * scale
            cover, s = [], int(start)
            while s < end and s < source:
                weight = min(end, s + 1) - max(start, s)
                if weight > 0:
                    cover.append((s, weight))
                s += 1
            result.append(cover)
        return result

    xs, ys = spans(width, size), spans(height, size)
    out = []
    for cover_y in ys:
        line = bytearray()
        for cover_x in xs:
            total = r = g = b = a = 0.0
            for y, wy in cover_y:
                row = rows[y]
                for x, wx in cover_x:
                    w = wx * wy
                    pr, pg, pb, pa = row[4 * x:4 * x + 4]
                    total += w
                    a += pa * w
                    r += pr * pa * w
                    g += pg * pa * w
                    b += pb * pa * w
            alpha = a / total
            if a > 0:
                line += bytes((round(r / a), round(g / a), round(b / a), round(alpha)))
            else:
                line += bytes((0, 0, 0, 0))
        out.append(bytes(line))
    return out


def icon_bitmap(size, rows):
    """An icon entry as a DIB: the colour pixels, then the 1-bit mask (set
    where a pixel is fully transparent), each row padded to 32 bits."""
    header = bitmap_info_header(size, size * 2)
    mask_stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(size):
            if row[4 * x + 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bgra_bottom_up(size, rows) + bytes(mask)


def write_ico(path, png_path, width, height, rows):
    if (width, height) != (256, 256):
        sys.exit(f'{png_path}: the icon must be 256 x 256')
    with open(png_path, 'rb') as f:
        images = [(size, icon_bitmap(size, resized(width, height, rows, size))) for size in ICON_BITMAP_SIZES]
        images.append((256, f.read()))
    offset = 6 + 16 * len(images)
    with open(path, 'wb') as out:
        out.write(struct.pack('<HHH', 0, 1, len(images)))
        for size, data in images:
            out.write(struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset))
            offset += len(data)
        for _, data in images:
            out.write(data)


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    banner_png, banner_bmp, icon_png, icon_ico = sys.argv[1:]
    write_bmp(banner_bmp, *read_png(banner_png))
    write_ico(icon_ico, icon_png, *read_png(icon_png))


if __name__ == '__main__':
    main()
