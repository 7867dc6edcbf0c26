#!/usr/bin/env python3
"""Packs square RGBA PNG images into one Windows .ico file (standard library only).

Usage: pack_ico.py OUT.ico IMAGE.png [IMAGE.png ...]

Each image becomes one entry of the icon. Images of 256 pixels are stored as PNG (Windows Vista
and later read those); smaller ones as plain 32-bit BGRA bitmaps with a 1-bit AND mask, which
every Windows version reads. The PNG entries are re-encoded from the decoded pixels, so the
output depends only on the pixels, not on the metadata the renderer wrote.
"""
import struct
import sys
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def read_png_rgba(path):
    """Returns (width, height, rows) where rows is a list of bytes objects of RGBA pixels."""
    with open(path, "rb") as f:
        data = f.read()
    if not data.startswith(PNG_SIGNATURE):
        sys.exit(f"{path}: not a PNG file")
    pos = len(PNG_SIGNATURE)
    header = None
    idat = bytearray()
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    if header is None:
        sys.exit(f"{path}: no IHDR chunk")
    width, height, depth, color_type, _, _, interlace = header
    if depth != 8 or color_type != 6 or interlace != 0:
        sys.exit(f"{path}: expected 8-bit RGBA without interlacing "
                 f"(depth {depth}, color type {color_type}, interlace {interlace})")
    raw = zlib.decompress(bytes(idat))
    stride = width * 4
    rows = []
    previous = bytearray(stride)
    offset = 0
    for _ in range(height):
        kind = raw[offset]
        line = bytearray(raw[offset + 1:offset + 1 + stride])
        offset += 1 + stride
        for i in range(stride):
            left = line[i - 4] if i >= 4 else 0
            up = previous[i]
            up_left = previous[i - 4] if i >= 4 else 0
            if kind == 0:
                predictor = 0
            elif kind == 1:
                predictor = left
            elif kind == 2:
                predictor = up
            elif kind == 3:
                predictor = (left + up) // 2
            elif kind == 4:
                p = left + up - up_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - up_left)
                predictor = left if pa <= pb and pa <= pc else (up if pb <= pc else up_left)
            else:
                sys.exit(f"{path}: unknown PNG filter {kind}")
            line[i] = (line[i] + predictor) & 0xFF
        rows.append(bytes(line))
        previous = line
    return width, height, rows


def encode_png(width, height, rows):
    """A minimal PNG: IHDR, one IDAT (filter 'Sub' on every row), IEND."""
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    filtered = bytearray()
    for row in rows:
        filtered.append(1)
        filtered += bytes((row[i] - (row[i - 4] if i >= 4 else 0)) & 0xFF for i in range(len(row)))
    return (PNG_SIGNATURE
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(filtered), 9))
            + chunk(b"IEND", b""))


def encode_dib(width, height, rows):
    """BITMAPINFOHEADER, bottom-up BGRA pixels, then the AND mask (1 = transparent)."""
    pixels = bytearray()
    for row in reversed(rows):
        for i in range(0, len(row), 4):
            r, g, b, a = row[i:i + 4]
            pixels += bytes((b, g, r, a))
    mask_stride = ((width + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x in range(width):
            if row[x * 4 + 3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    return header + bytes(pixels) + bytes(mask)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    out_path, inputs = sys.argv[1], sys.argv[2:]
    images = []
    for path in inputs:
        width, height, rows = read_png_rgba(path)
        if width != height or not 1 <= width <= 256:
            sys.exit(f"{path}: {width}x{height}: icon images are square, 1 to 256 pixels")
        data = encode_png(width, height, rows) if width >= 256 else encode_dib(width, height, rows)
        images.append((width, data))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(out_path, "wb") as f:
        f.write(directory + entries + b"".join(data for _, data in images))


if __name__ == "__main__":
    main()
