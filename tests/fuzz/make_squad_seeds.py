#!/usr/bin/env python3
"""Writes the seed inputs of the squad fuzz targets (squad_messages, squad_block).

The "far_position" inputs beside them are kept as found by the fuzzer (positions far outside the map)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def entry(message_id, payload=b""):
    return struct.pack("<BH", message_id, len(payload)) + payload


def steps(n, game=False):
    return b"".join(entry(1 if game else 0) for _ in range(n))


def record(number, kind, index, x, y, link=-1, target=-1, loaded=(-1, -1, -1, -1), flags=0, state=1):
    placement = struct.pack("<10i", 0, 0, index, kind, number % 1000, x, y, 0, 0, 0)
    rest = struct.pack("<iiiIfffii", -1, -1, link, flags, 100.0, 0.0, 0.0, x + 40, y, )
    rest += struct.pack("<ffffff", 0.0, 0.0, float(x), float(y), float(x), float(y))
    rest += struct.pack("<Biiii", state, 0, target, 0, 0)
    rest += struct.pack("<4i", *loaded) + struct.pack("<iii", -1, 0, 0)
    data = struct.pack("<i", number) + placement + rest
    assert len(data) == 149, len(data)
    return data


def movement(number, waypoints, velocity=(0.0, 0.0), heading=(0.0, 0.0), last=(-1, -1), requested=0):
    data = struct.pack("<5i", number, -1, -1, *last)
    data += struct.pack("<6f", *velocity, *heading, *heading)
    data += struct.pack("<Ii3Bi", 0, requested, 1, 1, 1, 0)
    data += struct.pack("<i", len(waypoints)) + b"".join(struct.pack("<iif", *w) for w in waypoints)
    return data


def movements(*records):
    return struct.pack("<i", len(records)) + b"".join(records)


def block(units, vehicles, unit_count, vehicle_count):
    data = struct.pack("<f", 0.9) + struct.pack("<ii", unit_count, len(units)) + b"".join(units)
    return data + struct.pack("<ii", vehicle_count, len(vehicles)) + b"".join(vehicles)


def main():
    order = struct.pack("<iiii", 0, 3, 1, -1)
    position = struct.pack("<ffffffii", 1.0, 0.5, 60.0, 30.0, 20.0, 20.0, 1, 0)
    write("squad_messages", "order_steps", b"\x01" + entry(31, order) + entry(55, position) + steps(30, True))
    dispatch = struct.pack("<iiii", 0, 1, 0, 5)
    write("squad_messages", "dispatch", b"\x01" + entry(46, dispatch) + steps(60) + steps(5, True))
    # Delays no game sends to the line that waits them out: a timer (delay x 30) that overflows, one below 0.
    for name, delay in (("dispatch_delay_overflow", 0x7FFFFFFF), ("dispatch_delay_negative", -1)):
        write("squad_messages", name, b"\x01" + entry(46, struct.pack("<iiii", 0, 1, 1, delay)) + steps(5, True))
    sync = struct.pack("<ii", 2, 1) + b"".join(struct.pack("<ffIiiiiiiiiii", 50.0, 10.0, 0x80, 33, 0, 0, 0, 0, 2, -1,
                                                           90, 40, 0) for _ in range(3))
    write("squad_messages", "sync_client", b"\x00" + entry(44, sync) + steps(3))
    bad = entry(44, struct.pack("<ii", 1000000, 1000000)) + entry(31, b"\x01\x02") + entry(49, b"\xff" * 32)
    write("squad_messages", "malformed", b"\x01" + bad + entry(47, struct.pack("<ii", 1, 1) + bytes(24)) + steps(4, True))
    units = [record(1, 1, 0, 20, 20, link=3, target=1001), record(3, 1, 2, 100, 30, link=1001)]
    vehicles = [record(1001, 4, 0, 200, 40, loaded=(3, -1, -1, -1))]
    write("squad_block", "forward_links", block(units, vehicles, 3, 1) + block([], [], 0, 0))
    write("squad_block", "empty", block([], [], 0, 0) + block([], [], 0, 0))
    moving = [record(2, 1, 1, 60, 30, flags=0x4, state=3)]
    # Values no game writes: a number twice, an unknown state, a unit numbered as a vehicle, a counter past them.
    odd = [record(2, 1, 1, 60, 30), record(2, 1, 1, 70, 30, state=200), record(1004, 1, 0, 20, 20)]
    write("squad_block", "impossible", block(odd, [record(7, 4, 0, -50, 40)], 5000, 1))
    blocks = block(moving, [], 2, 0) + block([], [record(1005, 4, 1, 30, 30, flags=0x8)], 0, 5)
    write("squad_block", "moving", blocks)
    # The same with the movement the blocks leave out: a path half walked, a route, a state change waiting.
    path = movement(2, [(100, 30, 1.0), (300, 60, 1.0), (100, 40, 1.0)], (1.0, 0.0), (100.0, 30.0), (100, 40))
    route = movement(1005, [(150, 50, 0.01), (150, 150, 0.01)], (0.01, 0.0), (150.0, 50.0), requested=29)
    write("squad_block", "moving_with_path", blocks + movements(path) + movements(route))
    # Values no game writes: a squad the blocks lack, a waypoint off the map, a count past the bytes.
    odd_moves = movements(movement(3, []), movement(2, [(100, 30, float("nan")), (-5, 99999, 1.0)]))
    write("squad_block", "impossible_movement", blocks + odd_moves + struct.pack("<i", 0x7FFFFFFF))


if __name__ == "__main__":
    main()
