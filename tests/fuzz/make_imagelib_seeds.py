#!/usr/bin/env python3
# Writes the small seed files of the image library's fuzz targets (BMP variants) into tests/fuzz/corpus/.
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def info(w, h, bits, comp=0, size_image=0, clr_used=0, size=40):
    return struct.pack('<IiiHHIIiiII', size, w, h, 1, bits, comp, size_image, 3780, 3780, clr_used, 0)


def bmp(header, palette=b'', extra=b'', pixels=b''):
    off = 14 + len(header) + len(extra) + len(palette)
    return struct.pack('<HIHHI', 0x4D42, off + len(pixels), 0, 0, off) + header + extra + palette + pixels


def gray(n, entry=4):
    return b''.join(bytes([i * 255 // max(1, n - 1)] * 3) + (b'\0' if entry == 4 else b'') for i in range(n))


def rows(w, h, bits, fn):
    stride = ((w * bits + 31) // 32) * 4
    out = b''
    for y in range(h):
        line = fn(y)
        out += line + b'\0' * (stride - len(line))
    return out


seeds = {
    '1bit': bmp(info(9, 3, 1), gray(2), pixels=rows(9, 3, 1, lambda y: bytes([0xA5 ^ y, 0x80]))),
    '4bit': bmp(info(5, 2, 4), gray(16), pixels=rows(5, 2, 4, lambda y: bytes([0x12, 0x34, 0x50 + y]))),
    '8bit': bmp(info(3, 3, 8), gray(256), pixels=rows(3, 3, 8, lambda y: bytes([y, 100, 200]))),
    '24bit': bmp(info(3, 2, 24), pixels=rows(3, 2, 24, lambda y: bytes(range(y, y + 9)))),
    'topdown': bmp(info(2, -2, 24), pixels=rows(2, 2, 24, lambda y: bytes([9 * y] * 6))),
    'rle8': bmp(info(6, 4, 8, 1, 0, 4), gray(4),
                pixels=bytes([3, 1, 0, 3, 2, 3, 1, 0, 0, 0, 2, 2, 1, 4, 2, 0, 0, 0, 1])),
    'rle4': bmp(info(7, 3, 4, 2, 0, 16), gray(16),
                pixels=bytes([5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 0, 2, 1, 1, 3, 0x9A, 0, 1])),
    '16bit565': bmp(info(2, 2, 16, 3), extra=struct.pack('<III', 0xF800, 0x07E0, 0x001F),
                    pixels=rows(2, 2, 16, lambda y: struct.pack('<HH', 0xF81F >> y, 0x07E0))),
    '32bit': bmp(info(2, 1, 32), pixels=bytes([1, 2, 3, 4, 5, 6, 7, 8])),
    'os2': struct.pack('<HIHHI', 0x4D42, 14 + 12 + 6 + 4, 0, 0, 14 + 12 + 6) +
           struct.pack('<IHHHH', 12, 3, 1, 1, 1) + bytes([10, 20, 30, 40, 50, 60, 0xA0, 0, 0, 0]),
    'v4': bmp(info(2, 1, 24, 0, 8, 0, 108) + b'\0' * 68, pixels=bytes([1, 2, 3, 4, 5, 6, 0, 0])),
    'bare': info(2, 2, 8, 0, 0, 2) + gray(2) + rows(2, 2, 8, lambda y: bytes([y, 1 - y])),
}

for target in ('imagelib_decode', 'imagelib_bmp', 'imagelib_handle'):
    folder = os.path.join(here, 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        # Memory blocks hold the bitmap without the 14-byte file header.
        if target == 'imagelib_handle' and data[:2] == b'BM':
            data = data[14:]
        with open(os.path.join(folder, name + ('.dib' if target == 'imagelib_handle' else '.bmp')), 'wb') as f:
            f.write(data)
