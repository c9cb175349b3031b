#!/usr/bin/env python3
"""Writes a one-image 32x32 icon, 8 bits per pixel with palette and AND mask,
from raw RGBA bytes (as `convert in.png -depth 8 rgba:-` prints them)."""
import struct
import sys

SIZE = 32


def median_cut(colours, limit):
    """colours: dict rgb -> count. Returns a palette of at most `limit` colours."""
    boxes = [list(colours.items())]
    while len(boxes) < limit:
        best, best_range, best_ch = None, -1, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                vals = [c[0][ch] for c in box]
                r = max(vals) - min(vals)
                if r > best_range:
                    best, best_range, best_ch = i, r, ch
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda c: c[0][best_ch])
        total = sum(n for _, n in box)
        acc, cut = 0, 1
        for k, (_, n) in enumerate(box):
            acc += n
            if acc * 2 >= total:
                cut = max(1, min(k + 1, len(box) - 1))
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(round(sum(c[ch] * n for c, n in box) / total) for ch in range(3)))
    return palette


def nearest(palette, rgb):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][ch] - rgb[ch]) ** 2 for ch in range(3)))


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_ico.py in.rgba out.ico")
    data = open(sys.argv[1], "rb").read()
    if len(data) != SIZE * SIZE * 4:
        sys.exit("make_ico.py: expected %d bytes of RGBA, got %d" % (SIZE * SIZE * 4, len(data)))
    pixels = [tuple(data[i:i + 4]) for i in range(0, len(data), 4)]
    opaque = [p[3] >= 128 for p in pixels]
    counts = {}
    for p, o in zip(pixels, opaque):
        if o:
            counts[p[:3]] = counts.get(p[:3], 0) + 1
    # index 0 stays black for the transparent pixels
    palette = [(0, 0, 0)] + median_cut(counts, 255)
    index = {rgb: nearest(palette[1:], rgb) + 1 for rgb in counts}

    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0,
                         SIZE * SIZE + SIZE * SIZE // 8, 0, 0, 256, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    pal += b"\0" * (1024 - len(pal))
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):
        row = pixels[y * SIZE:(y + 1) * SIZE]
        xor += bytes(index[p[:3]] if opaque[y * SIZE + x] else 0 for x, p in enumerate(row))
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (0 if opaque[y * SIZE + x] else 1)
        mask += struct.pack(">I", bits)
    image = header + pal + bytes(xor) + bytes(mask)
    assert len(image) == 2216
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    with open(sys.argv[2], "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, 1) + entry + image)


if __name__ == "__main__":
    main()
