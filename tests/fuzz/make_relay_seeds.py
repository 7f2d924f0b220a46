#!/usr/bin/env python3
# Writes the seed inputs of the relay fuzz targets into corpus/relay_datagram and corpus/relay_ini.
import os, struct

here = os.path.dirname(os.path.abspath(__file__))

def datagram(length, x, y):
    d = bytearray((i * 7 + 3) & 0xFF for i in range(length))
    if length >= 536:
        d[528:536] = struct.pack('<ff', x, y)
    return bytes(d)

def record(payload):
    return struct.pack('<H', len(payload)) + payload

def frame_packets(n):
    data = bytes((i * 13 + n) & 0xFF for i in range(2048))
    return [data[:1024], struct.pack('<ii', 1032, n) + data[1024:]]

seeds = {
    'relay_datagram/whole': record(datagram(2048, 1.5, -2.25)),
    'relay_datagram/sizes': record(datagram(2047, 9, 9)) + record(datagram(2049, 9, 9)) + record(b''),
    'relay_datagram/frames': b''.join(record(p) for n in (1, 2, 4) for p in frame_packets(n)),
    'relay_ini/full': b'Address 239.255.42.99\nPort 30001\nV1 1.5\nV2 -2\nV3 0\nV4 7\n',
    'relay_ini/crlf_long': b'Address group ' + b'9' * 60 + b'\r\n\r\nPort 99999999999\r\nV1 1e300\r\n',
}
for name, content in seeds.items():
    with open(os.path.join(here, 'corpus', name), 'wb') as f:
        f.write(content)
