#!/usr/bin/env python3
# Writes the small seed files of the image library's fuzz targets (BMP, GIF, icon, wireless bitmap and metafile
# variants)
# into tests/fuzz/corpus/.
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
    # Pictures their data cannot fill: 62 bytes claiming 1 bit x 65535 x 32767, 1,080 bytes of runs claiming
    # 30000 x 30000.
    'bomb_1bit': bmp(info(65535, 32767, 1), gray(2)),
    'bomb_rle8': bmp(info(30000, 30000, 8, 1), gray(256), pixels=bytes([0, 1])),
}

def plain_codes(px, min_size, clear_at_full=True):
    """Image data: every pixel its own code, widths as a decoder grows them, in sub-blocks."""
    out, acc, bits = bytearray(), 0, 0
    clear = 1 << min_size
    width, slot, first = min_size + 1, clear + 2, True

    def put(code):
        nonlocal acc, bits
        acc |= code << bits
        bits += width
        while bits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            bits -= 8

    put(clear)
    for p in px:
        put(p)
        if not first and slot < 4096:
            slot += 1
            if slot == (1 << width) and width < 12:
                width += 1
        first = False
        if clear_at_full and slot == 4096:
            put(clear)
            width, slot, first = min_size + 1, clear + 2, True
    put(clear + 1)
    if bits:
        out.append(acc & 0xFF)
    data = bytes([min_size])
    for i in range(0, len(out), 255):
        data += bytes([len(out[i:i + 255])]) + out[i:i + 255]
    return data + b'\0'


def table(n, salt=0):
    return b''.join(bytes([(i * 7 + salt) & 255, (255 - i) & 255, (i * 3) & 255]) for i in range(n))


def gif(w, h, gct=b'', blocks=b'', background=0):
    flags = 0
    if gct:
        flags = 0x80 | (len(gct) // 3).bit_length() - 2
    return b'GIF89a' + struct.pack('<HHBBB', w, h, flags, background, 0) + gct + blocks + b';'


def gce(flags, delay, trans):
    return bytes([0x21, 0xF9, 4, flags]) + struct.pack('<H', delay) + bytes([trans, 0])


def image(l, t, w, h, px, min_size, lct=b'', interlace=False, clear_at_full=True):
    pf = (0x80 | (len(lct) // 3).bit_length() - 2 if lct else 0) | (0x40 if interlace else 0)
    return b',' + struct.pack('<HHHHB', l, t, w, h, pf) + lct + plain_codes(px, min_size, clear_at_full)


def codes(min_size, pairs):
    """Image data of the given (code, width) pairs, broken or not."""
    out, acc, bits = bytearray(), 0, 0
    for code, width in pairs:
        acc |= code << (bits)
        bits += width
        while bits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            bits -= 8
    if bits:
        out.append(acc & 0xFF)
    return bytes([min_size, len(out)]) + out + b'\0'


def raw_image(l, t, w, h, data):
    return b',' + struct.pack('<HHHHB', l, t, w, h, 0) + data


def noise(n, colors, seed):
    out = []
    for _ in range(n):
        seed = (seed * 1103515245 + 12345) & 0xFFFFFFFF
        out.append((seed >> 16) % colors)
    return out


gif_seeds = {
    'gif_1bit': gif(9, 3, table(2), image(0, 0, 9, 3, [(x + y) & 1 for y in range(3) for x in range(9)], 2)),
    'gif_8bit': gif(5, 4, table(256), gce(1, 5, 3) + image(0, 0, 5, 4, list(range(20)), 8)),
    'gif_interlaced': gif(3, 9, table(16), image(0, 0, 3, 9, [i % 16 for i in range(27)], 4, interlace=True)),
    'gif_anim': gif(6, 4, table(4),
                    b'\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00' +
                    gce(0, 10, 0) + image(0, 0, 6, 4, [1] * 24, 2) +
                    gce(8, 10, 0) + image(1, 1, 2, 2, [2, 3, 3, 2], 2) +
                    gce(1, 10, 0) + image(3, 0, 3, 3, [0, 1, 2] * 3, 4, table(16, 9))),
    'gif_mosaic': gif(6, 2, b'', image(0, 0, 3, 2, [1, 2, 3, 4, 5, 6], 8, table(256, 1)) +
                      image(3, 0, 3, 2, [7, 8, 9, 1, 2, 3], 8, table(256, 2))),
    'gif_comment': gif(2, 2, table(2), b'\x21\xfe\x05hello\x03abc\x00' + image(0, 0, 2, 2, [0, 1, 1, 0], 2)),
    'gif_full_table': gif(80, 60, table(256), image(0, 0, 80, 60, [(i * 37) & 255 for i in range(4800)], 8,
                                                    clear_at_full=False)),
    # A later frame's own table over earlier pixels; a frame reaching past the screen; a background index.
    'gif_local_over_global': gif(8, 6, table(2),
                                 image(0, 0, 8, 6, [0] * 48, 2) + image(1, 1, 3, 3, [1] * 9, 2) +
                                 image(4, 2, 3, 3, [0, 1] * 4 + [0], 2, table(2, 40))),
    'gif_past_screen': gif(6, 4, table(4), image(3, 2, 6, 5, [i % 4 for i in range(30)], 2)),
    'gif_background': gif(6, 4, table(4), gce(0, 0, 255) + image(1, 1, 3, 2, [2] * 6, 2), background=3),
    # 35 bytes declaring a 65535 x 65535 screen: refused, never allocated.
    'gif_screen_bomb': gif(65535, 65535, table(2), image(0, 0, 1, 1, [1], 2)),
    # Disposal 0, 1, 3, 3, 2, 0: what a frame with 3 covered comes back.
    'gif_disposals': gif(4, 3, table(4),
                         gce(0, 0, 0) + image(0, 0, 4, 3, [1] * 12, 2) + gce(4, 0, 0) + image(0, 0, 2, 2, [2] * 4, 2) +
                         gce(12, 0, 0) + image(1, 1, 3, 2, [3] * 6, 2) + gce(12, 0, 0) + image(2, 0, 2, 2, [0] * 4, 2) +
                         gce(8, 0, 0) + image(3, 2, 1, 1, [2], 2) + image(0, 2, 1, 1, [3], 2)),
    # Disposal 3 while the picture goes to 24 bits with clear parts.
    'gif_restore_deep': gif(32, 16, table(256),
                            gce(1, 0, 255) + image(0, 0, 32, 16, noise(512, 256, 12), 8) +
                            gce(12, 0, 0) + image(4, 2, 16, 8, noise(128, 255, 13), 8, table(256, 77)) +
                            gce(13, 0, 5) + image(10, 6, 12, 8, noise(96, 256, 14), 8, table(256, 77)) +
                            image(0, 12, 8, 4, noise(32, 256, 15), 8)),
    # Frames beside and below the screen: frames that draw nothing.
    'gif_off_screen': gif(4, 2, table(4),
                          image(9, 0, 2, 2, [1] * 4, 2) + image(0, 0, 4, 2, noise(8, 4, 3), 2) +
                          gce(8, 0, 0) + image(1, 2, 2, 2, [3] * 4, 2) + image(1, 0, 2, 1, [3, 3], 2)),
    # Broken codes: past the table, a code size of 9, a string code before any clear.
    'gif_code_past_table': gif(3, 1, table(4), raw_image(0, 0, 3, 1, codes(2, [(4, 3), (1, 3), (7, 3), (5, 3)]))),
    'gif_code_size_9': gif(3, 1, table(4), raw_image(0, 0, 3, 1, codes(9, [(512, 10), (1, 10), (513, 10)]))),
    'gif_no_clear': gif(3, 1, table(4), raw_image(0, 0, 3, 1, codes(2, [(6, 3), (1, 3), (5, 3)]))),
}


def ico_image(w, h, bits, pal, xor, mask):
    header = info(w, h * 2, bits, 0, len(xor), len(pal) // 4)
    return header + pal + xor + mask


def ico(images, kind=1):
    out = struct.pack('<HHH', 0, kind, len(images))
    offset = 6 + 16 * len(images)
    for w, h, bits, data in images:
        out += struct.pack('<BBBBHHII', w, h, 0, 0, 0, bits, len(data), offset)
        offset += len(data)
    return out + b''.join(d for _, _, _, d in images)


mask8 = rows(8, 8, 1, lambda y: bytes([0x81 if y % 3 == 0 else 0]))
ico_seeds = {
    'ico_4bit': ico([(8, 8, 4, ico_image(8, 8, 4, gray(16), rows(8, 8, 4, lambda y: bytes([0x12, 0x34, y, 0x56])),
                                         mask8))]),
    'ico_32bit': ico([(5, 3, 32, ico_image(5, 3, 32, b'', bytes(range(60)), rows(5, 3, 1, lambda y: b'\x40')))]),
    'ico_24bit_black': ico([(4, 2, 24, ico_image(4, 2, 24, b'', b'\0\0\0' + b'\x50' * 9 + b'\x60' * 12,
                                                 rows(4, 2, 1, lambda y: bytes([0x80 if y == 0 else 0]))))]),
    'ico_three': ico([(2, 2, 1, ico_image(2, 2, 1, gray(2), rows(2, 2, 1, lambda y: b'\x80'), rows(2, 2, 1, lambda y: b'\0')))
                      for _ in range(3)]),
    'cur_full_mask': ico([(8, 2, 1, ico_image(8, 2, 1, gray(2), rows(8, 2, 1, lambda y: b'\x55'),
                                              rows(8, 2, 1, lambda y: b'\xff')))], 2),
}

wbmp_seeds = {
    'wbmp_small': bytes([0, 0, 9, 3]) + bytes([0xA5, 0x80, 0x5A, 0x00, 0xFF, 0x80]),
    'wbmp_wide': bytes([0, 0, 0x81, 0x48, 2]) + bytes(range(50)),
    # 8 bytes claiming 65535 x 65535.
    'wbmp_bomb': bytes([0, 0, 0x83, 0xFF, 0x7F, 0x83, 0xFF, 0x7F]),
}


def wmf_rec(fn, words):
    return struct.pack('<IH', 3 + len(words), fn) + b''.join(struct.pack('<H', w & 0xFFFF) for w in words)


def wmf_colour(c):
    return [c & 0xFFFF, c >> 16]


def wmf(body, objects=8):
    body += struct.pack('<IH', 3, 0)
    return struct.pack('<HHHIHIH', 1, 9, 0x300, (18 + len(body)) // 2, objects, 0, 0) + body


def placeable(meta, l, t, r, b, inch):
    head = struct.pack('<IHhhhhHI', 0x9AC6CDD7, 0, l, t, r, b, inch, 0)
    check = 0
    for i in range(0, 20, 2):
        check ^= struct.unpack('<H', head[i:i + 2])[0]
    return head + struct.pack('<H', check) + meta


def emf_rec(kind, fields):
    return struct.pack('<II', kind, 8 + 4 * len(fields)) + b''.join(struct.pack('<i', f) for f in fields)


def emf(body, l, t, r, b, handles=8):
    body += emf_rec(14, [0, 16, 20])
    head = struct.pack('<II4i4iIIIIHHIIIiiii', 1, 88, l, t, r, b, 0, 0, 0, 0, 0x464D4520, 0x10000, 88 + len(body),
                       2, handles, 0, 0, 0, 0, 960, 960, 254, 254)
    return head + body


wmf_shapes = (wmf_rec(0x020B, [0, 0]) + wmf_rec(0x020C, [1000, 1000]) +
              wmf_rec(0x02FA, [0, 1, 0] + wmf_colour(0x0000FF)) + wmf_rec(0x012D, [0]) +
              wmf_rec(0x02FC, [0] + wmf_colour(0x00FF00) + [0]) + wmf_rec(0x012D, [1]) +
              wmf_rec(0x041B, [500, 500, 100, 100]) + wmf_rec(0x0418, [900, 900, 500, 500]) +
              wmf_rec(0x061C, [50, 50, 950, 950, 600, 100]) +
              wmf_rec(0x0324, [3, 100, 900, 400, 900, 250, 600]) +
              wmf_rec(0x0538, [2, 3, 3, 0, 0, 90, 0, 0, 90, 10, 10, 50, 10, 10, 50]) +
              wmf_rec(0x0325, [2, 0, 0, 1000, 1000]) + wmf_rec(0x0214, [0, 1000]) + wmf_rec(0x0213, [1000, 0]) +
              wmf_rec(0x001E, []) + wmf_rec(0x01F0, [1]) + wmf_rec(0x0127, [-1]) +
              wmf_rec(0x061D, [0x21, 0xF0, 100, 100, 0, 0]) + wmf_rec(0x041F, wmf_colour(0xFF0000) + [5, 5]))
wmf_text = (wmf_rec(0x0103, [8]) + wmf_rec(0x020B, [0, 0]) + wmf_rec(0x020C, [-200, 200]) +
            wmf_rec(0x02FB, [-40, 0, 0, 0, 700, 1, 0, 0, 0] + [ord('A') | ord('r') << 8, ord('i') | ord('a') << 8,
                                                             ord('l')]) + wmf_rec(0x012D, [0]) +
            wmf_rec(0x0209, wmf_colour(0x123456)) + wmf_rec(0x0102, [1]) + wmf_rec(0x012E, [24]) +
            wmf_rec(0x0521, [5, ord('H') | ord('e') << 8, ord('l') | ord('l') << 8, ord('o'), -100, 20]) +
            wmf_rec(0x0A32, [-150, 10, 3, 2, 0, -200, 100, -120, ord('a') | ord('b') << 8, ord('c')]))
emf_shapes = (emf_rec(39, [1, 0, 0x0000FF, 0]) + emf_rec(37, [1]) + emf_rec(38, [2, 0, 1, 0, 0xFF0000]) +
              emf_rec(37, [2]) + emf_rec(43, [10, 10, 50, 30]) + emf_rec(42, [60, 10, 100, 50]) +
              emf_rec(44, [10, 60, 50, 100, 10, 10]) + emf_rec(37, [-2147483648 + 5]) +
              emf_rec(86, [0, 0, 0, 0, 3, 60 | 60 << 16, 100 | 60 << 16, 80 | 100 << 16]) +
              emf_rec(8, [0, 0, 0, 0, 2, 6, 3, 3, 0, 0, 9, 0, 0, 9, 2, 2, 5, 2, 2, 5]) +
              emf_rec(27, [0, 0]) + emf_rec(54, [100, 100]) + emf_rec(89, [0, 0, 0, 0, 2, 5 | 90 << 16, 90 | 5 << 16]) +
              emf_rec(33, []) + emf_rec(40, [1]) + emf_rec(34, [-1]) + emf_rec(15, [3, 3, 0x00FF00]))
emf_text = (emf_rec(17, [8]) + emf_rec(9, [1000, 1000]) + emf_rec(11, [100, 100]) + emf_rec(10, [0, 0]) +
            struct.pack('<II', 82, 104) + struct.pack('<iiiiiiBBBBBBBB', 1, -200, 0, 0, 0, 400, 0, 1, 0, 0, 0, 0, 0, 0) +
            'Arial'.encode('utf-16-le').ljust(64, b'\0') + emf_rec(37, [1]) + emf_rec(22, [6 | 24]) +
            emf_rec(24, [0x0000FF]) + emf_rec(25, [0x00FFFF]) +
            struct.pack('<II', 84, 8 + 68 + 8) + b'\0' * 16 + struct.pack('<Iff', 1, 0, 0) +
            struct.pack('<iiIIIiiiiI', 500, 600, 3, 76, 2, 100, 400, 900, 700, 0) + 'Hi\u20ac'.encode('utf-16-le') + b'\0\0')
# Arcs, pies, chords, a star filled by winding, regions filled and painted.
star = [50, 5, 76, 85, 8, 35, 92, 35, 24, 85]
wmf_curves = (wmf_rec(0x02FA, [0, 1, 0] + wmf_colour(0x0000FF)) + wmf_rec(0x012D, [0]) +
              wmf_rec(0x02FC, [0] + wmf_colour(0x00FF00) + [0]) + wmf_rec(0x012D, [1]) +
              wmf_rec(0x081A, [5, 50, 50, 95, 45, 45, 5, 5]) + wmf_rec(0x0830, [55, 5, 5, 55, 45, 95, 5, 55]) +
              wmf_rec(0x0817, [95, 50, 95, 50, 95, 45, 55, 5]) + wmf_rec(0x0106, [2]) +
              wmf_rec(0x0324, [5] + [v // 2 + 50 for v in star]) +
              wmf_rec(0x06FF, [0, 6, 0, 0, 50, 2, 4, 60, 0, 100, 20, 4, 60, 70, 60, 70, 80, 90, 4, 2, 70, 80, 60, 70, 2]) +
              wmf_rec(0x0228, [2, 1]) + wmf_rec(0x012B, [2]))
emf_curves = (emf_rec(39, [1, 0, 0x00FF00, 0]) + emf_rec(37, [1]) + emf_rec(38, [2, 0, 1, 0, 0x0000FF]) +
              emf_rec(37, [2]) + emf_rec(47, [0, 0, 40, 40, 45, 20, 20, -5]) + emf_rec(57, [2]) +
              emf_rec(46, [50, 0, 90, 40, 95, 20, 70, -5]) + emf_rec(57, [1]) +
              emf_rec(45, [0, 50, 40, 90, 45, 70, 20, 45]) + emf_rec(27, [50, 95]) +
              emf_rec(55, [50, 50, 90, 90, 95, 70, 70, 45]) +
              emf_rec(41, [25, 25, 10, 0, struct.unpack('<i', struct.pack('<f', 270.0))[0]]) +
              emf_rec(19, [2]) + emf_rec(3, [0, 0, 0, 0, 5] + [v // 4 + 37 for v in star]) +
              emf_rec(2, [0, 0, 0, 0, 4, 5, 95, 5, 55, 45, 55, 45, 95]) +
              emf_rec(85, [0, 0, 0, 0, 4, 5 | 60 << 16, 20 | 50 << 16, 30 | 70 << 16, 45 | 60 << 16]) +
              emf_rec(27, [55, 5]) + emf_rec(5, [0, 0, 0, 0, 3, 60, 30, 90, 30, 95, 5]) +
              emf_rec(88, [0, 0, 0, 0, 3, 90 | 10 << 16, 60 | 10 << 16, 55 | 5 << 16]) +
              emf_rec(71, [0, 0, 0, 0, 48, 1, 32, 1, 1, 16, 0, 0, 0, 0, 40, 40, 60, 60]) +
              emf_rec(74, [0, 0, 0, 0, 48, 32, 1, 1, 16, 0, 0, 0, 0, 0, 96, 10, 100]))
wmf_seeds = {
    'wmf_shapes': placeable(wmf(wmf_shapes), 0, 0, 1000, 1000, 1000),
    'wmf_curves': placeable(wmf(wmf_curves), 0, 0, 100, 100, 96),
    'emf_curves': emf(emf_curves, 0, 0, 100, 100),
    'wmf_text': placeable(wmf(wmf_text), 0, 0, 200, 200, 300),
    'emf_shapes': emf(emf_shapes, 0, 0, 100, 100),
    'emf_text': emf(emf_text, 0, 0, 120, 80),
}


def write(target, name, data):
    folder = os.path.join(here, 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)


for name, data in gif_seeds.items():
    for target in ('imagelib_gif', 'imagelib_decode'):
        write(target, name + '.gif', data)
for name, data in ico_seeds.items():
    for target in ('imagelib_ico', 'imagelib_decode'):
        write(target, name + ('.cur' if name.startswith('cur') else '.ico'), data)
for name, data in wbmp_seeds.items():
    for target in ('imagelib_wbmp', 'imagelib_decode'):
        write(target, name + '.wbmp', data)
for name, data in wmf_seeds.items():
    for target in ('imagelib_wmf', 'imagelib_decode'):
        write(target, name + ('.emf' if name.startswith('emf') else '.wmf'), data)


for target in ('imagelib_decode', 'imagelib_bmp', 'imagelib_handle'):
    folder = os.path.join(here, 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        # Memory blocks hold the bitmap without the 14-byte file header.
        if target == 'imagelib_handle' and data[:2] == b'BM':
            data = data[14:]
        with open(os.path.join(folder, name + ('.dib' if target == 'imagelib_handle' else '.bmp')), 'wb') as f:
            f.write(data)
