#!/usr/bin/env python3
# Writes the seed files of the rules' fuzz targets: score tables, score rules and engine blocks.
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))
corpus = os.path.join(here, 'corpus')


def put(target, name, data):
    folder = os.path.join(corpus, target)
    os.makedirs(folder, exist_ok=True)
    mode = 'wb' if isinstance(data, bytes) else 'w'
    with open(os.path.join(folder, name), mode) as out:
        out.write(data)


with open(os.path.join(here, '..', 'game', 'rules', 'data', 'Demo Scores.csv')) as table:
    put('score_table', 'demo.csv', table.read())
put('score_table', 'short.csv', 'h\nh\nh\n,Command,Command,10,,0,5\n,,,,,,\nx\n,Facilities,Base,10,,5,5\n,,,,,,\n')

put('score_rules', 'rules.csv', 'Rule,Name,Unit,,Value\nBase,cost,per hour,,120\n' +
    ''.join(',,r%d,,%d\n' % (i, i * 30) for i in range(1, 11)))
put('score_rules', 'odd.csv', 'h\r\n,,,,nan\r\n,,,,1e39\r\n,,,,-5\r\n')


def block(events, triggers):
    data = struct.pack('<i', len(events))
    for event_id, executed, pending, trigger_id, due in events:
        data += struct.pack('<iBBii', event_id, executed, pending, trigger_id, due)
    data += struct.pack('<i', len(triggers))
    for trigger_id, state in triggers:
        data += struct.pack('<iB', trigger_id, state)
    return data


put('engine_block', 'empty.bin', block([], []))
put('engine_block', 'played.bin', block([(10, 1, 0, -1, 0), (11, 0, 1, 100, 2410), (12, 0, 0, -1, 0)],
                                        [(1, 1), (2, 1), (3, 0), (100, 0)]))
put('engine_block', 'unknown.bin', block([(99, 1, 1, 5, 930)], [(77, 1)]))
put('engine_block', 'not_flags.bin', block([(10, 5, 1, -7, -40), (11, 0, 2, 100, 2410)], [(1, 9)]))
