#!/usr/bin/env python3
# Writes the seed files of the saved game's smaller blocks: scoring, IAP, station stock and the run trailer.
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))
corpus = os.path.join(here, 'corpus')


def put(target, name, data):
    folder = os.path.join(corpus, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as out:
        out.write(data)


def scoring(tick, current, start, cost, totals, stats):
    clock = struct.pack('<i16siif', tick, b'11 Dec 2024', current, start, cost)
    return clock + struct.pack('<38f', *totals) + struct.pack('<32i', *stats)


put('scoring_block', 'played.bin', scoring(1830, 1031, 930, 2150.5, [40.0 + i for i in range(38)], list(range(32))))
put('scoring_block', 'fresh.bin', scoring(0, 930, 930, 0.0, [0.0] * 38, [0] * 32))
put('scoring_block', 'limits.bin', scoring(17280000, 2359, 0, 1.0e9, [1.0e6] * 38, [1000000000] * 32))
put('scoring_block', 'tick_at_int_limit.bin', scoring(0x7FFFFFFF, 930, 930, 0.0, [0.0] * 38, [0] * 32))
put('scoring_block', 'short.bin', scoring(1830, 1031, 930, 1.0, [0.0] * 38, [0] * 32)[:200])

put('iap_block', 'none.bin', struct.pack('<i', 0))
put('iap_block', 'three_missed.bin', struct.pack('<i', 90))
put('iap_block', 'int_limit.bin', struct.pack('<i', 0x7FFFFFFF))

# Stock of the target's stations: lines 0, 1 and 5 of the first, all six of the third.
put('station_block', 'stock.bin', struct.pack('<9i', 0, 3, 900, 7, 7, 7, 7, 7, 0))
put('station_block', 'far_above.bin', struct.pack('<9i', 0, 3, 2001, 7, 7, 7, 7, 7, 0))
put('station_block', 'short.bin', struct.pack('<3i', 0, 3, 900))


def trailer(fire, chemical, objects, marker, cursor):
    return struct.pack('<I5i', 0x3152555A, fire, chemical, objects, marker, cursor)


put('run_trailer', 'none.bin', b'')
put('run_trailer', 'walking.bin', trailer(-4, 3, 12, 0, 1))
put('run_trailer', 'idle.bin', trailer(10, 10, 30, 32767, -1))
put('run_trailer', 'fire_timer_smallest_int.bin', trailer(-0x80000000, 0, 0, 0, -1))
put('run_trailer', 'cursor_past_fires.bin', trailer(0, 0, 0, 0, 40))
