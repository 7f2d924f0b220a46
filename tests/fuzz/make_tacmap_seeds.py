#!/usr/bin/env python3
# Writes the small seed inputs of the scenario editor's fuzz targets into corpus/<name>/.
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def seed(name, file, data):
    folder = os.path.join(HERE, 'corpus', name)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, file), 'wb') as f:
        f.write(data)


def i8(v): return struct.pack('<B', v & 0xFF)
def i16(v): return struct.pack('<H', v & 0xFFFF)
def i32(v): return struct.pack('<I', v & 0xFFFFFFFF)
def string(s): return i32(len(s)) + s.encode()
def obj(ident, cls, version): return b'\x02' + i32(ident) + string(cls) + i16(version)
def null(): return b'\x00' + i32(0)


def grid(version, cells):
    """cells: ('w', cost, los) whole tiles or ('f', [16 costs]) fragmented ones."""
    entries = b''
    count = 0
    for cell in cells:
        if cell[0] == 'w':
            entries += i8(cell[1]) + i16(cell[2])
            count += 1
        else:
            for k, cost in enumerate(cell[1]):
                entries += i8(cost) + i16((k + 1) | 0x400)
            count += 16
    return obj(2, 'CPathData', version) + i32(count) + entries


mixed = [('w', 10, 4), ('f', list(range(16))), ('w', 255, 900)] + [('w', 10, 4)] * 9
seed('tacmap_grid', 'mixed', grid(2, mixed))
seed('tacmap_grid', 'version1', grid(1, [('w', 10, 4)] * 12))
seed('tacmap_grid', 'cut_block', grid(2, mixed)[:60])

# A 3 x 2 scenario: the map, two linked features and a squad, the grid, no description.
tile_map = obj(0, 'CMap2DLinked', 1) + i32(3) + i32(2) + b''.join(i32(t) for t in (0, 0, 1, 0, 1, 0))
sprites = obj(1, 'CSpriteManager', 4) + i32(3)
for agency, kind, template, x, y, service in ((0, 2, 1, 40, 40, 0), (0, 2, 3, 40, 40, 0), (0, 1, 0, 70, 20, 4)):
    sprites += b''.join(i32(v) for v in (agency, kind, template, x, y, service))
six = [('w', 10, 4), ('f', [20] * 16), ('w', 255, 900), ('w', 10, 4), ('w', 255, 900), ('w', 10, 4)]
seed('tacmap_zri', 'small', tile_map + sprites + grid(2, six) + null())
seed('tacmap_zri', 'grid_short', tile_map + sprites + grid(2, six[:3]) + null())
seed('tacmap_zri', 'no_map', null() + null() + null() + null())
