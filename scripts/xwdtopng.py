#!/usr/bin/env python3
"""Converts an X window dump (xwd -silent, 24/32-bit TrueColor) to PNG, or prints the colour of
pixels: xwdtopng.py DUMP OUT.png [X Y W H] | xwdtopng.py DUMP --pixel X Y ..."""
import struct
import sys
import zlib


def read_xwd(path):
    data = open(path, "rb").read()
    header = struct.unpack(">25I", data[:100])
    header_size, width, height = header[0], header[4], header[5]
    byte_order, bits_per_pixel, bytes_per_line, ncolors = header[7], header[11], header[12], header[19]
    red_mask, green_mask, blue_mask = header[14], header[15], header[16]
    if bits_per_pixel not in (24, 32):
        sys.exit("only 24- and 32-bit dumps are read")
    offset = header_size + ncolors * 12
    step = bits_per_pixel // 8
    order = "<" if byte_order == 0 else ">"

    def shift(mask):
        s = 0
        while mask and not mask & 1:
            mask >>= 1
            s += 1
        return s

    shifts = [(m, shift(m)) for m in (red_mask, green_mask, blue_mask)]

    def pixel(x, y):
        at = offset + y * bytes_per_line + x * step
        raw = data[at:at + step] + (b"\0" if step == 3 else b"")
        value = struct.unpack(order + "I", raw)[0]
        return tuple((value & m) >> s for m, s in shifts)

    return width, height, pixel


def write_png(path, width, height, rows):
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    open(path, "wb").write(png)


def main():
    width, height, pixel = read_xwd(sys.argv[1])
    if sys.argv[2] == "--pixel":
        values = list(map(int, sys.argv[3:]))
        for x, y in zip(values[::2], values[1::2]):
            print("%d %d %d" % pixel(x, y))
        return
    x0, y0, w, h = (list(map(int, sys.argv[3:7])) + [0, 0, width, height][len(sys.argv[3:7]):])
    w, h = min(w, width - x0), min(h, height - y0)
    write_png(sys.argv[2], w, h, ([pixel(x, y) for x in range(x0, x0 + w)] for y in range(y0, y0 + h)))


if __name__ == "__main__":
    main()
