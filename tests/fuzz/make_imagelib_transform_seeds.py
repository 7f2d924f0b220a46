#!/usr/bin/env python3
# Writes the seeds of the transform fuzz target into tests/fuzz/corpus/imagelib_transform/: a small picture of each
# depth, then one operation code after another with their arguments (see fuzz_imagelib_transform.cpp).
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))
out = os.path.join(here, 'corpus', 'imagelib_transform')


def picture(depth_code, w, h, flags, extra=b''):
    bits = [1, 4, 8, 24][depth_code]
    stride = ((w * bits + 31) // 32) * 4
    pixels = bytes((i * 37 + 11) & 0xFF for i in range(stride * h))
    return bytes([depth_code, w - 1, h - 1, flags]) + pixels + extra


def op(code, args=b'', to_dst=False):
    return bytes([1 if to_dst else 0, 10, 20, 30, 40, code]) + args


def i32(*v):
    return b''.join(struct.pack('<i', x) for x in v)


def f32(*v):
    return b''.join(struct.pack('<f', x) for x in v)


nan = float('nan')
inf = float('inf')
seeds = {
    'turns24': picture(3, 9, 5, 1) + op(0) + op(1, to_dst=True) + op(2) + op(3, f32(30.0)) +
    op(4, f32(45.0) + bytes([16, 5, 3])),
    'crop8': picture(2, 12, 7, 4, bytes([3, 9, 8, 7])) + op(5, i32(2, 1, 9, 6)) + op(6, i32(1, 2, 3, 4)) +
    op(7, i32(20, 20)) + op(8, i32(5, 3)),
    'skew4': picture(1, 10, 6, 2, bytes([1, 5, 8, 0])) + op(9, f32(0.5, -0.25) + i32(3, 2) + b'\x01') +
    op(10, b'\x02' + i32(0) + f32(4.0)) + op(10, b'\x03' + i32(5) + f32(1.0)),
    'resample24': picture(3, 16, 12, 1) + op(11, i32(5, 4) + b'\x00') + op(11, i32(30, 20) + b'\x02') +
    op(12, i32(7, 9) + bytes([15, 5, 0])) + op(13, i32(3, 2)),
    'lookups1': picture(0, 13, 4, 8) + op(15, f32(2.5, 1.25) + bytes([6, 4]) + f32(3.0, 2.0)) +
    op(15, f32(nan, inf) + bytes([2, 6]) + f32(1e9, -2.0)) + op(22, i32(-7, 99) + bytes([6, 4])) +
    op(14, i32(2, 1, 5, 2) + f32(0.3)),
    'depth24': picture(3, 8, 8, 0) + op(16, bytes([8, 1])) + op(17, b'\x18') + op(18, b'\x06') + op(19) +
    op(20) + op(21) + op(18, b'\x01'),
    'odd': picture(2, 3, 3, 0) + op(3, f32(nan)) + op(6, i32(-1, 5, 5, 5)) + op(7, i32(-2, 1)) +
    op(12, i32(-3, 0x7FFFFFFF) + bytes([1, 1, 1])),
}

os.makedirs(out, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(out, name), 'wb') as f:
        f.write(data)
