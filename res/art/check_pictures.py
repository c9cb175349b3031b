#!/usr/bin/env python3
"""Checks the rendered icon and pictures for the exact formats the program
decodes: sizes, bit depths, colour types, compression and transparency."""
import os
import struct
import sys
import zlib


class Bad(Exception):
    pass


def need(cond, what):
    if not cond:
        raise Bad(what)


def png_rgba(path):
    data = open(path, "rb").read()
    need(data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG")
    pos, ihdr, idat = 8, None, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        need(zlib.crc32(kind + body) == struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])[0],
             "bad CRC in " + kind.decode("latin-1"))
        if kind == b"IHDR":
            ihdr = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
        pos += 12 + length
    need(ihdr is not None, "no IHDR")
    w, h, depth, ctype, _, _, interlace = ihdr
    need(depth == 8 and ctype == 6, "want 8-bit RGBA (colour type 6), got depth %d type %d" % (depth, ctype))
    need(interlace == 0, "interlaced")
    raw = zlib.decompress(idat)
    stride = w * 4
    need(len(raw) == h * (stride + 1), "pixel data of the wrong length")
    rows, prev = [], bytearray(stride)
    for y in range(h):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - 4] if i >= 4 else 0
            b = prev[i]
            c = prev[i - 4] if i >= 4 else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
            else:
                need(f == 0, "unknown filter %d" % f)
        rows.append(bytes(line))
        prev = line
    return w, h, rows


def check_png(path, size, colour=None):
    w, h, rows = png_rgba(path)
    need((w, h) == size, "size %dx%d, want %dx%d" % (w, h, *size))
    alphas = [r[x * 4 + 3] for r in rows for x in range(w)]
    need(any(a == 0 for a in alphas), "no transparent pixel")
    need(sum(a > 200 for a in alphas) > w * h // 20, "almost nothing drawn")
    if colour is not None:
        for r in rows:
            for x in range(w):
                if r[x * 4 + 3] > 0:
                    need(tuple(r[x * 4:x * 4 + 3]) == colour, "a pixel not in %02X%02X%02X" % colour)
    return rows


def check_bmp(path, size):
    data = open(path, "rb").read()
    need(data[:2] == b"BM", "not a BMP")
    offset, = struct.unpack("<I", data[10:14])
    hsize, w, h, planes, bpp, comp = struct.unpack("<IiiHHI", data[14:34])
    need(hsize == 40, "header of %d bytes, want BITMAPINFOHEADER" % hsize)
    need((w, abs(h)) == size, "size %dx%d" % (w, h))
    need(planes == 1 and bpp == 24 and comp == 0, "want 24 bpp BI_RGB, got %d bpp compression %d" % (bpp, comp))
    need(len(data) >= offset + ((w * 3 + 3) & ~3) * abs(h), "pixel data cut short")


def check_jpeg(path, size):
    data = open(path, "rb").read()
    need(data[:2] == b"\xff\xd8" and data[-2:] == b"\xff\xd9", "not a complete JPEG")
    pos, sof = 2, None
    while pos < len(data):
        need(data[pos] == 0xFF, "broken marker chain")
        marker = data[pos + 1]
        if marker == 0xDA:
            break
        length, = struct.unpack(">H", data[pos + 2:pos + 4])
        if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            need(sof is None, "two frame headers")
            sof = (marker, data[pos + 4:pos + 2 + length])
        pos += 2 + length
    need(sof is not None, "no frame header")
    need(sof[0] == 0xC0, "not baseline (SOF%d)" % (sof[0] - 0xC0))
    precision, h, w, n = struct.unpack(">BHHB", sof[1][:6])
    need(precision == 8 and n == 3, "want 8-bit, 3 components; got %d-bit, %d" % (precision, n))
    need((w, h) == size, "size %dx%d" % (w, h))


def check_ico(path):
    data = open(path, "rb").read()
    need(struct.unpack("<HHH", data[:6]) == (0, 1, 1), "not a one-image icon")
    w, h, colours, _, planes, bpp, length, offset = struct.unpack("<BBBBHHII", data[6:22])
    need((w, h, bpp) == (32, 32, 8), "entry %dx%d %d bpp" % (w, h, bpp))
    need(length == 2216 and offset + length == len(data), "image of %d bytes" % length)
    hsize, bw, bh, bplanes, bbpp, comp = struct.unpack("<IiiHHI", data[offset:offset + 20])
    need(data[offset:offset + 8] != b"\x89PNG\r\n\x1a\n", "PNG-compressed image")
    need((hsize, bw, bh, bplanes, bbpp, comp) == (40, 32, 64, 1, 8, 0), "bitmap header %r" % ((hsize, bw, bh, bplanes, bbpp, comp),))
    mask = data[offset + 40 + 1024 + 1024:]
    need(len(mask) == 128, "mask of %d bytes" % len(mask))
    need(any(mask) and any(b != 0xFF for b in mask), "mask all one way")


def main():
    res = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    pics = os.path.join(res, "pictures")
    near_white = (0xFA, 0xFA, 0xFA)

    def mascot():
        rows = check_png(os.path.join(pics, "mascot.png"), (758, 516))
        for y, r in enumerate(rows):
            for x in range(632, 758):
                need(r[x * 4 + 3] == 0, "pixel %d,%d over the logo is not transparent" % (x, y))

    checks = [
        ("start.ico", lambda: check_ico(os.path.join(res, "start.ico"))),
        ("photo.jpg", lambda: check_jpeg(os.path.join(pics, "photo.jpg"), (849, 565))),
        ("logo.png", lambda: check_png(os.path.join(pics, "logo.png"), (370, 153))),
        ("mascot.png", mascot),
        ("flag_de.bmp", lambda: check_bmp(os.path.join(pics, "flag_de.bmp"), (116, 70))),
        ("flag_us.bmp", lambda: check_bmp(os.path.join(pics, "flag_us.bmp"), (134, 71))),
        ("android.png", lambda: check_png(os.path.join(pics, "android.png"), (98, 120), near_white)),
        ("windows.png", lambda: check_png(os.path.join(pics, "windows.png"), (118, 118), near_white)),
    ]
    failed = 0
    for name, check in checks:
        try:
            check()
            print("ok   " + name)
        except (Bad, OSError, struct.error, zlib.error) as e:
            print("FAIL %s: %s" % (name, e))
            failed += 1
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
