#!/usr/bin/env python3
"""An independent reading of how tessadox draws, checked against the binary.

The model plays the same chaos game in Python (whose floats are IEEE doubles,
each operation rounded by itself) with the C library's own rand(), decodes
the binary's PNG with zlib alone, and compares every pixel. Small pictures
keep it quick.

usage: reference_model.py TESSADOX_BINARY
"""
import ctypes
import math
import struct
import subprocess
import sys
import zlib

libc = ctypes.CDLL("libc.so.6")


def nibble(byte):
    if 0x30 <= byte <= 0x39:
        return byte - 0x30
    if 0x61 <= byte <= 0x66:
        return byte - 0x61 + 10
    if 0x41 <= byte <= 0x46:
        return byte - 0x41 + 10
    return 0


def maps_of(text, count):
    data = text.encode("latin1")
    maps = []
    for i in range(count):
        group = data[8 * i:8 * i + 8].ljust(8, b"\0")
        h = 0
        for byte in group:
            h = h * 16 + nibble(byte)
        d = [(h >> 26) & 63, (h >> 20) & 63, (h >> 14) & 63, (h >> 8) & 63, (h >> 4) & 15, h & 15]
        r = d[0] * 0.3 / 64 + 0.3
        s = d[1] * 0.3 / 64 + 0.3
        u, v = d[2] / 32 - 1, d[3] / 32 - 1
        e, f = d[4] / 32 - 0.25, d[5] / 32 - 0.25
        maps.append(((u * v + 1) * r, v * r, s * u, s, e, f))
    return maps


def step(m, x, y):
    a, b, c, d, e, f = m
    return (a * x + b * y) + e, (c * x + d * y) + f


def picture(text, seed, R=300, B=0, I=30, L=32, mode=1):
    """Rows of red, green, blue bytes, as the binary should draw them."""
    libc.srand(seed)
    rand = libc.rand
    count = L // 8
    maps = maps_of(text, count)

    x = y = lx = gx = ly = gy = 0.0
    for i in range(60 * R):
        x, y = step(maps[rand() % count], x, y)
        if i > 50 * R:
            lx, gx, ly, gy = min(lx, x), max(gx, x), min(ly, y), max(gy, y)
    side = max((gx - lx) * 1.05, (gy - ly) * 1.05)
    scale = 1.0 / side if side != 0 else math.inf
    cx, cy = (gx + lx) * 0.5, (ly + gy) * 0.5

    image = [[B & 255] * (3 * R) for _ in range(R)]
    ink = 255 - B
    x, y, color = 1.0, 2.0, 0
    i = 0
    while i < 50 * R or i < I * R * R:
        k = rand() % count
        if mode == 2 or (mode == 1 and rand() % 2 == 0):
            color = k + 1
        x, y = step(maps[k], x, y)
        if i > 50 * R:
            with_nan = [((x - cx) * scale + 0.5) * R, ((y - cy) * scale + 0.5) * R]
            if all(math.isfinite(t) and 0 <= math.trunc(t) < R for t in with_nan):
                row, column = (math.trunc(t) for t in with_nan)
                pixel = image[row]
                for channel in range(3):
                    at = 3 * column + channel
                    if mode == 0:
                        pixel[at] = ink & 255
                    elif (color >> channel) & 1 and pixel[at] != ink:
                        pixel[at] = (pixel[at] + (-1 if B == 255 else 1)) & 255
        i += 1
    return image


def decode_png(data):
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "no PNG signature"
    at, compressed, width, height = 8, b"", 0, 0
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        at += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert (depth, colour, interlace) == (8, 2, 0)
        elif kind == b"IDAT":
            compressed += body
    raw = zlib.decompress(compressed)
    stride = 3 * width
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - 3] if i >= 3 else 0
            up = previous[i]
            corner = previous[i - 3] if i >= 3 else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + ((left + up) >> 1)) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                predicted = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + predicted) & 255
        rows.append(list(line))
        previous = line
    return rows


MD5_EMPTY = "d41d8cd98f00b204e9800998ecf8427e  -\n"
MD5_FOX = "9e107d9d372bb6826bd81d3542a419d6  -\n"
SHA1_EMPTY = "da39a3ee5e6b4b0d3255bfef95601890afd80709  some-file.bin\n"
SHA256_EMPTY = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855  -\n"
SHA512_EMPTY = ("cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce"
                "47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e  -\n")

# arguments, standard input, second of the run, the model's settings
CASES = [
    (["-r", "40"], MD5_EMPTY, 1700000000, dict(R=40)),
    (["-r", "48", "-a"], MD5_FOX, 42, dict(R=48, mode=2)),
    (["-r", "36", "-g", "-b", "255"], MD5_FOX, 7, dict(R=36, mode=0, B=255)),
    (["-r", "30", "-l", "128", "-b", "200", "-i", "60"], SHA512_EMPTY, 99,
     dict(R=30, L=128, B=200, I=60)),
    (["-r", "25", "-l", "40", "-b", "-1"], SHA1_EMPTY, 5, dict(R=25, L=40, B=-1)),
    (["-r", "33", "-b", "100", "-a", "-l", "64"], SHA256_EMPTY, 123456,
     dict(R=33, L=64, B=100, mode=2)),
    (["-r", "1", "-i", "400"], MD5_FOX, 3, dict(R=1, I=400)),
]


def main():
    binary = sys.argv[1]
    failures = 0
    for args, text, second, settings in CASES:
        run = subprocess.run([binary] + args, input=text.encode("latin1"), capture_output=True,
                             env={"SOURCE_DATE_EPOCH": str(second)})
        same = run.returncode == 0 and decode_png(run.stdout) == picture(text, second, **settings)
        failures += not same
        print(("ok   " if same else "FAIL ") + " ".join(args))
    print(f"{len(CASES) - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
