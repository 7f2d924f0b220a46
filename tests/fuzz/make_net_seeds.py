#!/usr/bin/env python3
# Writes the seed inputs of the network fuzz targets into corpus/net_frames, net_session_packets,
# net_file_chunks and net_user_list.
import os, struct, zlib

here = os.path.dirname(os.path.abspath(__file__))

def frame(kind, target, body, seq=0):
    return struct.pack('<iHHi', 12 + len(body), kind, seq, target) + body

def name(text, width=32):
    return text.encode()[:width].ljust(width, b'\0')

def text_line(sender, kind, mask, colour, text):
    return struct.pack('<HHiiiI', 10, 0, sender, kind, mask, colour) + text.encode() + b'\0\0\0'

def game(sender, kind, rest=b''):
    return struct.pack('<HHi', 14, kind, sender) + rest

def message(sender, mid, chunk, payload):
    return game(sender, 3, struct.pack('<HHH', mid, chunk, len(payload)) + payload)

def record(packet):
    return struct.pack('<H', len(packet)) + packet

def chunk(counter, data):
    return struct.pack('<iH', counter, len(data)) + data

def user(flags, user_name, password):
    return struct.pack('<I', flags) + name(user_name) + name(password) + struct.pack('<ii', 1, 2)

packed = zlib.compress(bytes(range(256)) * 8)
seeds = {
    'net_frames/handshake': frame(0x8003, 1, struct.pack('<i', 1)) + frame(0x8001, 1, struct.pack('<i', 0) + name('Host'))
    + frame(0x8007, 0, name('Ann') + name('zrplayer')) + frame(0x8008, 1, struct.pack('<i', 16)),
    'net_frames/appdata_half': frame(0x8006, -2, text_line(1, 0, -1, 0, 'hi')) + frame(0x8006, 0, b'\x0c\0' * 6)[:9],
    'net_frames/bad_length': struct.pack('<i', 645) + b'\0' * 20,
    'net_frames/discovery': name('127.0.0.1') + struct.pack('<iHBBI', 0, 0, 1, 24, 0x0100007F),
    'net_session_packets/client': b'\x00' + b''.join(record(p) for p in (
        game(0, 21, b'1.0'.ljust(12, b'\0')), text_line(0, 1, -1, 0xC85555, 'Hello'),
        struct.pack('<HHiHH', 12, 0, 2, 1, 0), message(0, 36, 0, b'\0' * 4),
        game(0, 7, struct.pack('<ii', 1, 64) + b'\0' * 64 + struct.pack('<i', 64) + name('Millbrook.zri', 64)),
        game(0, 9, struct.pack('<ii', 0, 3) + b'abc'.ljust(514, b'\0')),
        struct.pack('<HH8sI', 15, 0, b'', 2) + struct.pack('<iHH', 0, 0x400, 0) + struct.pack('<iHH', 2, 1, 0))),
    'net_session_packets/host': b'\x01' + b''.join(record(p) for p in (
        game(3, 24), game(3, 8), game(3, 10), struct.pack('<HHi', 13, 0, 3), message(3, 32, 0, struct.pack('<iI', 3, 1)),
        message(3, 43, 1, b'x' * 514), message(3, 43, 0, b'y' * 30), game(3, 2, struct.pack('<i', 3)))),
    'net_file_chunks/three': b'\x01' + chunk(1, packed[:514]) + chunk(1, packed[:514]) + chunk(2, packed[514:1028])
    + chunk(0, packed[1028:]),
    'net_file_chunks/single': b'\x05' + chunk(0, zlib.compress(b'Police,1\nFire,2\n')),
    'net_file_chunks/garbage': b'\x00' + chunk(0, b'not deflated'),
    'net_user_list/two': b'UNAD1.00' + struct.pack('<i', 2) + user(0, 'Ann', 'secret') + user(2, 'Bob', 'x'),
    'net_user_list/short': b'UNAD1.00' + struct.pack('<i', 5) + user(0, 'Ann', 'secret')[:40],
}
for path, content in seeds.items():
    os.makedirs(os.path.join(here, 'corpus', os.path.dirname(path)), exist_ok=True)
    with open(os.path.join(here, 'corpus', path), 'wb') as f:
        f.write(content)
