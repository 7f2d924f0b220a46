#!/usr/bin/env python3
"""Writes the seed inputs of the incident world's fuzz targets into corpus/incident_*."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

PARAMS = """Fire simulation,,,,
Growth,Band 1,0.5,,
,Band 2,1.25,,
,Band 3,2.5,,
,,,,
Thresholds,Band 1,5,,
,Band 2,30,,
,Band 3,60,,
,,,,
Spread,Band 1,10,,
,Band 2,20,,
,Band 3,40,,
,,,,
,Wind factor,1.5,,
Burn out,,20,,
Fire batch,,50,,
,,,,
Reaction,Band 1,5,,
,Band 2,10,,
,Band 3,15,,
Chemicals,,,,
Decay 1,,2,,
Decay 2,,3,,
Flow threshold,,10,,
Flow amount,,50,,
Flow base,,2.5,,
,,,,
Spill,Size 0,100,,
,Size 1,200,,
,Size 2,400,,
,,,,
Obstruction,0.75,,
Flash,10,,
Lifetime,300,,
,,,,
Terrain,Use,Resistance,Flow
Grass,G,20,5
Water,W,100,0
,,,
"""


def entry(kind, *fields):
    """One 28-byte entry: the kind, then (format, value) pairs at increasing offsets."""
    body = struct.pack("<i", kind)
    for fmt, value in fields:
        body += struct.pack("<" + fmt, value)
    return body.ljust(28, b"\0")


def batch(entries, start=0):
    return struct.pack("<HH", len(entries), start) + b"".join(entries)


def record(selector, payload):
    return struct.pack("<BH", selector, len(payload)) + payload


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    write("incident_params", "full.csv", PARAMS.encode())
    write("incident_params", "short.csv", PARAMS[: PARAMS.index("Spill")].encode())

    ignite = batch([entry(1, ("f", 40.0), ("i", 64), ("i", 64)), entry(3, ("f", 30.0), ("i", 96), ("i", 32), ("B", 1)),
                    entry(4, ("f", 1.0), ("i", 128), ("i", 0), ("i", 10), ("i", 0), ("B", 0)),
                    entry(5, ("i", 0), ("i", 160), ("i", 3), ("i", 1)), entry(5, ("i", 32), ("i", 160), ("i", 3), ("i", 1)),
                    entry(5, ("i", 0), ("i", 160), ("i", 192), ("i", 3)), entry(6, ("i", 0x400000), ("i", 128), ("i", 0)),
                    entry(7, ("i", 2), ("i", 0x3F)), entry(8, ("i", 5))])
    report = batch([entry(0, ("f", 70.0)), entry(0, ("f", 0.0)), entry(0, ("f", 12.0))], start=0)
    spill = batch([entry(2, ("f", 0.5), ("B", 0x18)), entry(2, ("f", 40.0))])
    remove = batch([entry(4, ("f", 0.0), ("i", 8), ("i", 8), ("i", -1))])
    step = record(3, b"")
    write("incident_batch", "placements", record(0, ignite) + step * 12 + record(0, report))
    write("incident_batch", "reports", record(0, spill) + record(4, b"") + record(0, remove) + step * 3)
    write("incident_batch", "messages", record(1, struct.pack("<ihhi", 0, 0, 0, 7)) +
          record(6, struct.pack("<iii", 0, 50, 60)) + record(4, b"") * 4)

    block = b""
    block += struct.pack("<iii", 1, 1, 1) + struct.pack("<fBhii", 45.0, 2, 0, 64, 64)
    block += struct.pack("<iii", 1, 1, 1) + struct.pack("<fBiii", 30.0, 1, 96, 96, 0x80)
    block += struct.pack("<i", 1) + struct.pack("<fBiiiih", 1.0, 0, 128, 64, 0x400000, 128, 20)
    block += struct.pack("<iii", 4, 1, 1) + struct.pack("<h", 2)
    block += struct.pack("<iiiii", 3, 0, 160, 0, 132) + struct.pack("<iiiii", 3, 32, 160, 0, 132)
    block += struct.pack("<i", 1) + struct.pack("<ii", 192, 945)
    block += struct.pack("<i", 1) + struct.pack("<fi", 100.0, 50)
    write("incident_save", "block", block)
    # Values no game writes: a fire off the grid, a spill that is not a number.
    damaged = block.replace(struct.pack("<fBhii", 45.0, 2, 0, 64, 64), struct.pack("<fBhii", 45.0, 2, 0, 99999, 64))
    damaged = damaged.replace(struct.pack("<f", 30.0), struct.pack("<I", 0x7FC00000), 1)
    write("incident_save", "impossible", damaged)
    write("incident_save", "empty", struct.pack("<" + "i" * 11, *([0] * 11)))


if __name__ == "__main__":
    main()
