#!/usr/bin/env python3
# Writes the small seed inputs of the world model's fuzz targets into corpus/<name>/.
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def seed(name, file, data):
    folder = os.path.join(HERE, 'corpus', name)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, file), 'wb') as f:
        f.write(data if isinstance(data, bytes) else data.encode())


def i8(v): return struct.pack('<b', v) if v < 128 else struct.pack('<B', v)
def i16(v): return struct.pack('<H', v & 0xFFFF)
def i32(v): return struct.pack('<I', v & 0xFFFFFFFF)
def string(s): return i32(len(s)) + s.encode()
def obj(ident, cls, version): return b'\x02' + i32(ident) + string(cls) + i16(version)


def tile_row(index, name, cost, los):
    return f"{index},{name},{cost}" + ",0" * 16 + f",{los}" + ",-1" * 16 + ",x\n"


seed('tiletypes', 'small.csv', "Index,Name\n" + tile_row(0, "Grass", 20, 2) + tile_row(162, "Water", 255, 1) + "3,,\n")
seed('tiletypes', 'odd.csv', "h\n" + tile_row(-4, "Neg", 1, 1) + tile_row(999, "x" * 90, 1, 1) + "7,Short,1,2\n")

seed('tilemap_archive', 'two_by_two', obj(0, 'CMap2DLinked', 1) + i32(2) + i32(2) + b''.join(i32(t) for t in (1, 2, 14, 15)))
seed('tilemap_archive', 'oversized', obj(0, 'CMap2DLinked', 1) + i32(5000) + i32(5000) + i32(1))
seed('tilemap_archive', 'short', obj(0, 'CMap2DLinked', 1) + i32(3) + i32(3) + i32(1))


def whole(cost, los): return i8(cost) + i16(los)


def subdivided(costs):
    return b''.join(i8(c) + i16((3 if k else 9) | 0x400) for k, c in enumerate(costs))


cells = []
for r in range(3):
    for c in range(4):
        if (r, c) in ((0, 1), (2, 2)):
            cells.append(subdivided([10, 39, 40, 255] * 4))
        else:
            cells.append(whole((r * 4 + c) * 20 % 256, 1 + c))
grid = obj(0, 'CPathData', 1) + i32(42) + b''.join(cells)
seed('pathgrid_archive', 'mixed', grid)
seed('pathgrid_archive', 'whole', obj(0, 'CPathData', 1) + i32(12) + b''.join(whole(10, 1) for _ in range(12)))
seed('pathgrid_archive', 'short', grid[:40])

# Reference lists: the first byte picks the reader (0 agency, 1 unit, 2 vehicle, 3 feature, 4 station, 5 modifiers).
data_dir = os.path.join(HERE, '..', 'data', 'world')
for pick, name in enumerate(['Agency.csv', 'ZR_Unit-Task_List.csv', 'ZR_Vehicle-Task_List.csv',
                             'Terrain_Features_List.csv', 'Area_Map_Stations_List.csv', 'SpriteModifiers.txt']):
    with open(os.path.join(data_dir, name), 'rb') as f:
        seed('reference_lists', f'list{pick}', bytes([pick]) + f.read())
seed('reference_lists', 'long_fields', bytes([3]) + b'h\nh\nh\n' + b'x' * 600 + b',' + b'N' * 500 + b',b,1,2,3,4%,5\n')


def station(ident, version=2):
    body = obj(ident, 'CStationData', version) + string('Station') + i32(0)
    if version >= 2:
        body += i32(1)
    body += i32(30) + i32(2) + i32(0) + i32(0) + i32(30) + i32(40) + i32(1)
    body += obj(ident + 1, 'CStationResource', 2) + i32(0) + i32(0) + string('Officer') + i32(2) + i32(0)
    return body


def manager(ident, version, rows):
    out = obj(ident, 'CSpriteManager', version) + i32(len(rows))
    next_id = ident + 1
    for agency, kind, template, x, y, service in rows:
        if version >= 4:
            out += i32(agency)
        out += i32(kind) + i32(template) + i32(x) + i32(y)
        if version >= 3:
            out += i32(service)
        if kind == 3 and version >= 2:
            out += station(next_id)
            next_id += 2
    return out


rows = [(0, 1, 0, 100, 100, 7), (1, 2, 1, 50, 60, 0), (0, 3, 0, 200, 200, 0), (0, 4, 0, 10, 10, 2), (0, 3, 9, 0, 0, 0)]
seed('spritemanager_archive', 'v4', manager(0, 4, rows))
seed('spritemanager_archive', 'v2', manager(0, 2, rows[:3]))
seed('spritemanager_archive', 'short', manager(0, 4, rows)[:60])

area = obj(0, 'CAreaMapData', 1) + string('AreaMap.bmp') + i32(20000) + i32(9) + b''.join(i32(i) for i in range(9))
seed('areamap_archive', 'with_stations', area + manager(1, 4, rows[:3]))
seed('areamap_archive', 'empty', area + b'\x00' * 5)
seed('areamap_archive', 'many_counters', obj(0, 'CAreaMapData', 1) + string('x') + i32(1) + i32(40) + i32(1) * 40 + b'\x00' * 5)

# Forward records (tags 5 and 6) where a member owns its object: the station data of a sprite, the sprite manager.
def fwd(tag, ident): return bytes([tag]) + i32(ident)


forward_station = obj(1, 'CSpriteManager', 4) + i32(1) + i32(0) + i32(3) + i32(0) + i32(200) + i32(200) + i32(0)
seed('areamap_archive', 'forward_station', area + forward_station + fwd(5, 9) + station(9))
seed('areamap_archive', 'forward_manager', area + fwd(6, 1) + manager(1, 4, rows[:3]))
