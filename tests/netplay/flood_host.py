#!/usr/bin/env python3
"""A flooded host: eight clients on loopback join a zr-netplay host and send it 420-character text lines as fast
as they can; the host's memory stays within its bound, and it stops cleanly within a second of SIGTERM."""

import argparse
import os
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

FLOODERS = 8
FLOOD_SECONDS = 4.0  # each flooder stops by then at the latest
SIGTERM_AFTER = 2.0
STOP_LIMIT = 1.0  # seconds from SIGTERM to exit (a sanitizer build may allow more)
# Eight clients may hold 1 MiB each in the host's received queue and 8 MiB each in its send queues.
GROWTH_LIMIT = 8 * 10 * 1024 * 1024 + 64 * 1024 * 1024


def frame(kind, target, body):
    return struct.pack("<iHHi", 12 + len(body), kind, 0, target) + body


def text_line(sender, text):
    # Session packet 10: type, 0, sender, kind, role mask, colour, text with its end.
    return struct.pack("<HHiiiI", 10, 0, sender, 0, -1, 0) + text.encode() + b"\0"


def read_exact(sock, n):
    data = b""
    while len(data) < n:
        part = sock.recv(n - len(data))
        if not part:
            raise ConnectionError("closed")
        data += part
    return data


def flood(port, name, until, sent):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=5) as sock:
            head = read_exact(sock, 16)
            player = struct.unpack_from("<i", head, 12)[0]
            sock.sendall(frame(0x8007, 0, name.encode().ljust(32, b"\0") + b"zrplayer".ljust(32, b"\0")))
            batch = frame(0x8006, 0, text_line(player, name * (420 // len(name)))) * 64
            sock.settimeout(0.2)
            while time.monotonic() < until:
                try:
                    sock.sendall(batch)
                    sent[name] = sent.get(name, 0) + 64
                except socket.timeout:
                    pass
    except OSError:
        pass  # the host ended this flooder: allowed


def rss_bytes(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) * 1024
    except OSError:
        pass
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--netplay", required=True)
    parser.add_argument("--make-data", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--stop-limit", type=float, default=STOP_LIMIT)
    args = parser.parse_args()
    root = tempfile.mkdtemp(prefix="zr-flood-")
    host = None
    try:
        data = os.path.join(root, "host")
        subprocess.run([args.make_data, args.source, data], check=True, stdout=subprocess.DEVNULL)
        script = os.path.join(root, "host.txt")
        with open(script, "w") as f:
            f.write("serve\n")
        host = subprocess.Popen([args.netplay, "--data", data, "--bind", "127.0.0.1", "--name", "Host", "--host",
                                 "--port", "0", "--udp-port", "0", "--script", script],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace")
        port = None
        exit_line = []

        def read():
            nonlocal port
            for line in host.stdout:  # every line is read, so the host never waits on its output
                if port is None and line.startswith("listening tcp "):
                    port = int(line.split()[2])
                if line.startswith("exit "):
                    exit_line.append(line.strip())

        reader = threading.Thread(target=read, daemon=True)
        reader.start()
        deadline = time.monotonic() + 60
        while port is None and time.monotonic() < deadline and host.poll() is None:
            time.sleep(0.05)
        if port is None:
            print("FAILED: the host did not listen")
            return 1
        base = rss_bytes(host.pid)
        until = time.monotonic() + FLOOD_SECONDS
        sent = {}
        flooders = [threading.Thread(target=flood, args=(port, f"F{i}", until, sent), daemon=True)
                    for i in range(FLOODERS)]
        for t in flooders:
            t.start()
        peak = base
        stop_at = time.monotonic() + SIGTERM_AFTER
        while time.monotonic() < stop_at:
            peak = max(peak, rss_bytes(host.pid))
            time.sleep(0.05)
        signalled = time.monotonic()
        host.send_signal(signal.SIGTERM)
        try:
            code = host.wait(timeout=30)
        except subprocess.TimeoutExpired:
            host.kill()
            print("FAILED: the host did not stop within 30 s of SIGTERM")
            return 1
        took = time.monotonic() - signalled
        for t in flooders:
            t.join(timeout=10)
        reader.join(timeout=10)
        lines = sum(sent.values())
        print(f"flooders sent {lines} lines; host memory {base >> 20} MiB before, {peak >> 20} MiB at most; "
              f"stopped {took:.3f} s after SIGTERM with {code}")
        if lines == 0:
            print("FAILED: no flooder got a line out")
            return 1
        if code != 0:
            print(f"FAILED: the host exited with {code}")
            return 1
        if took > args.stop_limit:
            print(f"FAILED: the host took {took:.3f} s to stop")
            return 1
        if peak - base > GROWTH_LIMIT:
            print(f"FAILED: the host grew by {(peak - base) >> 20} MiB")
            return 1
        print("flooded host: passed")
        return 0
    finally:
        if host and host.poll() is None:
            host.kill()
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
