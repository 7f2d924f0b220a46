#!/usr/bin/env python3
"""Network play between processes: a zr-netplay host and three clients on loopback join, receive the host's
files, take roles (one leaves and another takes its place), start, play with an order, a pause, an IAP round
and chat; a late join is refused and announced to no one; the end reaches every de-briefing; everyone exits 0."""

import argparse
import filecmp
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

LIMIT = 240  # seconds for the whole run; every wait below is bounded by it

SCRIPTS = {
    "host": """briefing
wait-players 4
wait-log Cid has left the game
wait-players 4
ready
wait-mode play
wait-log Ann in play
wait-log Bob in play
wait-log Dee in play
order
wait-signal
wait-log Engine 3 east
post 36
wait-log Ann paused
wait-log Bob paused
wait-log Dee paused
post 37
post 59
wait-clear 0x20000000
wait-log Ann done
wait-log Bob done
wait-log Dee done
post 50
wait-mode debrief
serve
""",
    "ann": """briefing
wait-players 4
take 0
wait-log Cid has left the game
wait-players 4
ready
wait-mode play
note-squad
chat Ann in play
wait-moved
chat Engine 3 east
wait-bit 0x2
chat Ann paused
wait-clear 0x2
wait-bit 0x20000000
wait-log Bob saw the plan
wait-log Dee saw the plan
post 60
wait-clear 0x20000000
chat Ann done
wait-mode debrief
quit
""",
    "bob": """briefing
wait-players 4
wait-log Cid has left the game
wait-players 4
ready
wait-mode play
note-squad
chat Bob in play
wait-moved
wait-log Engine 3 east
wait-bit 0x2
chat Bob paused
wait-clear 0x2
wait-bit 0x20000000
chat Bob saw the plan
wait-clear 0x20000000
chat Bob done
wait-mode debrief
quit
""",
    "cid": """briefing
wait-players 4
leave
""",
    "dee": """briefing
wait-players 4
ready
wait-mode play
note-squad
chat Dee in play
wait-moved
wait-log Engine 3 east
wait-bit 0x2
chat Dee paused
wait-clear 0x2
wait-bit 0x20000000
chat Dee saw the plan
wait-clear 0x20000000
chat Dee done
wait-mode debrief
quit
""",
    "late": """expect-refused
""",
}

FILES = ["Millbrook.zri", "Millbrook.zra", "Millbrook.csv", os.path.join("Maps", "Millbrook_Area.bmp")]


class Player:
    """One zr-netplay process and the lines it printed."""

    def __init__(self, name, argv):
        self.name = name
        self.lines = []
        self.cond = threading.Condition()
        self.proc = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                     errors="replace")
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.proc.stdout:
            with self.cond:
                self.lines.append(line.rstrip("\n"))
                self.cond.notify_all()
        with self.cond:
            self.cond.notify_all()

    def wait_line(self, prefix, deadline):
        with self.cond:
            while True:
                for line in self.lines:
                    if line.startswith(prefix):
                        return line
                left = deadline - time.monotonic()
                if left <= 0 or (self.proc.poll() is not None and not self.reader.is_alive()):
                    return None
                self.cond.wait(min(left, 1.0))

    def wait_exit(self, deadline):
        try:
            return self.proc.wait(timeout=max(0.1, deadline - time.monotonic()))
        except subprocess.TimeoutExpired:
            return None

    def count(self, text):
        with self.cond:
            return sum(1 for line in self.lines if line.startswith("log ") and text in line)


def fail(players, why):
    for p in players:
        if p.proc.poll() is None:
            p.proc.kill()
    for p in players:
        p.reader.join(timeout=5)
        print(f"---- {p.name} (exit {p.proc.returncode})")
        print("\n".join(p.lines[-60:]))
    print(f"FAILED: {why}")
    sys.exit(1)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--netplay", required=True)
    parser.add_argument("--make-data", required=True)
    parser.add_argument("--source", required=True)
    args = parser.parse_args()
    deadline = time.monotonic() + LIMIT
    root = tempfile.mkdtemp(prefix="zr-netplay-")
    players = []
    try:
        master = os.path.join(root, "master")
        subprocess.run([args.make_data, args.source, master], check=True, stdout=subprocess.DEVNULL)
        folders = {}
        for name, script in SCRIPTS.items():
            folders[name] = os.path.join(root, name)
            shutil.copytree(master, folders[name])
            with open(os.path.join(root, name + ".txt"), "w") as f:
                f.write(script)

        def start(name, role):
            argv = [args.netplay, "--data", folders[name], "--bind", "127.0.0.1", "--name", name.capitalize(),
                    "--script", os.path.join(root, name + ".txt")] + role
            player = Player(name, argv)
            players.append(player)
            return player

        host = start("host", ["--host", "--port", "0", "--udp-port", "0"])
        listening = host.wait_line("listening tcp ", deadline)
        if not listening:
            fail(players, "the host did not listen")
        port = listening.split()[2]
        join = ["--join", "127.0.0.1", "--port", port]
        clients = {name: start(name, join) for name in ("ann", "bob", "cid")}
        for name, client in clients.items():
            if not client.wait_line("joined as ", deadline):
                fail(players, f"{name} did not join")
        # Cid leaves at the role screen; Dee joins in its place.
        if clients["cid"].wait_exit(deadline) != 0:
            fail(players, "cid did not leave cleanly")
        clients["dee"] = start("dee", join)
        if not host.wait_line("done order", deadline):
            fail(players, "the host gave no order")
        late = start("late", join)
        if late.wait_exit(deadline) != 0 or not late.wait_line("refused: Unable to join - The scenario has already "
                                                                 "started", deadline):
            fail(players, "the late join was not refused")
        host.proc.send_signal(signal.SIGUSR1)  # the host goes on
        for name in ("ann", "bob", "dee"):
            if clients[name].wait_exit(deadline) != 0:
                fail(players, f"{name} did not finish")
        if not host.wait_line("mode debrief", deadline):
            fail(players, "the host did not reach its de-briefing")
        host.proc.send_signal(signal.SIGTERM)
        if host.wait_exit(deadline) != 0:
            fail(players, "the host did not stop cleanly")

        # Every player reached the de-briefing, read Ann's line once, and holds the host's files.
        for p in (host, clients["ann"], clients["bob"], clients["dee"]):
            if not p.wait_line("mode debrief", deadline):
                fail(players, f"{p.name} did not reach its de-briefing")
            if p.count("Engine 3 east") != 1:
                fail(players, f"{p.name} read Ann's line {p.count('Engine 3 east')} times")
            # The refused late joiner was never let in: nobody hears it came or went.
            if p.count("Late has"):
                fail(players, f"{p.name} was told of the refused late joiner")
        for name in ("ann", "bob", "cid", "dee"):
            for f in FILES:
                got = os.path.join(folders[name], "ScenarioFromHost", f)
                if not filecmp.cmp(got, os.path.join(folders["host"], f), shallow=False):
                    fail(players, f"{name}'s {f} differs from the host's")
        print("network play between processes: passed")
    finally:
        for p in players:
            if p.proc.poll() is None:
                p.proc.kill()
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
