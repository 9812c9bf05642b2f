#!/usr/bin/env python3
"""End-to-end network game on a virtual X server: kestrin-server and two kestrin windows with
homes of their own; both connect through the Internet menu, take a seat, get ready in the
Netgame Setup dialog and play 1.f3 e5 2.g4 Qh4# by clicks; both windows announce the mate.
usage: scripts/network_e2e.py [BUILD_DIR]
Needs Xvfb, xdotool and xwd (Debian: xvfb xdotool x11-apps)."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
import xwdtopng  # noqa: E402
from xsession import fail, wait_for  # noqa: E402

xsession.RUN = "network test"

MARGIN = (68, 68, 68)
BOARD_MARGIN = 10


def xdotool(*args, check=True):
    return subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, text=True,
                          timeout=30, check=check).stdout.split()


def window_of(pid, name, seconds=30):
    return wait_for(lambda: xdotool("search", "--all", "--pid", pid, "--name", name, check=False), seconds,
                    "a window named %r" % name)[0]


class Player:
    def __init__(self, program, work, name, address):
        self.home = os.path.join(work, name)
        os.mkdir(self.home)
        with open(os.path.join(self.home, "Kchess.dft"), "w") as settings:
            settings.write("%s\n%s\n5\n5\n28\n0\n0\n1\n21\n1\n1\n1\n0\n" % (name, address))
        self.image = os.path.join(work, name + ".xwd")
        self.errors = open(os.path.join(work, name + ".err"), "w")
        # The virtual X server refuses connections for a moment after its last client left
        # (the display check's): a program that could not connect is started again.
        for _ in range(3):
            self.process = subprocess.Popen([program, "--home", self.home], stdin=subprocess.DEVNULL,
                                            stdout=subprocess.DEVNULL, stderr=self.errors)
            wait_for(lambda: self.process.poll() is not None or self.windows("KestrinChess"), 30, name + "'s window")
            if self.process.poll() is None:
                break
            time.sleep(1)
        else:
            fail(name + "'s window did not open: " + open(self.errors.name).read())
        self.window = self.windows("KestrinChess")[0]
        self.flipped = False

    def windows(self, name):
        return xdotool("search", "--all", "--pid", self.process.pid, "--name", name, check=False)

    def front(self, window):
        """Both windows lie at the same place on the screen: the one acted on comes to the top."""
        xdotool("windowraise", window, check=False)
        time.sleep(0.5)

    def keys(self, window, *keys):
        self.front(window)
        xdotool("windowfocus", "--sync", window, check=False)
        for key in keys:
            xdotool("key", "--clearmodifiers", key)
            time.sleep(0.3)

    def connect(self):
        self.keys(self.window, "alt+i", "Return")
        dialog = window_of(self.process.pid, "^Connect$")
        self.keys(dialog, "Return")
        self.window = window_of(self.process.pid, "NETGAME")

    def seat(self):
        self.keys(self.window, "alt+i", "n")

    def ready(self):
        self.keys(window_of(self.process.pid, "Netgame Setup"), "Return")

    def board(self):
        """The board's top-left corner and square size, measured on the window."""
        subprocess.run(["xwd", "-silent", "-id", self.window, "-out", self.image], check=True)
        width, height, pixel = xwdtopng.read_xwd(self.image)
        top = next((y for y in range(min(height, 200)) if pixel(3, y) == MARGIN), None)
        if top is None:
            return None
        y = top + BOARD_MARGIN + 1
        right = next((x for x in range(BOARD_MARGIN, width) if pixel(x, y) == MARGIN), None)
        return (BOARD_MARGIN, top + BOARD_MARGIN, (right - BOARD_MARGIN) // 8) if right else None

    def move(self, text):
        """Clicks a move given as e.g. "f2f3" on the board as this player sees it."""
        self.front(self.window)
        left, top, square = wait_for(self.board, 10, "the board")
        for at in (text[:2], text[2:]):
            column, row = ord(at[0]) - ord("a"), 8 - int(at[1])
            if self.flipped:
                column, row = 7 - column, 7 - row
            x, y = left + column * square + square // 2, top + row * square + square // 2
            xdotool("mousemove", "--window", self.window, x, y, "click", "1")
            time.sleep(0.3)
        time.sleep(0.7)

    def announced_mate(self):
        return self.windows("Game Over")


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    program = xsession.program_in(build, ["xwd"])
    server_program = os.path.join(build, "kestrin-server")
    if not os.access(server_program, os.X_OK):
        fail("no server program at " + server_program)
    work = tempfile.mkdtemp(prefix="kestrin-net-e2e-")
    log = open(os.path.join(work, "server.log"), "w+")
    server = subprocess.Popen([server_program, "--port", "0", "--bind", "127.0.0.1"], stderr=log)
    xvfb = xsession.start_display()
    players = []
    try:
        def port():
            log.seek(0)
            found = re.search(r"port (\d+)", log.read())
            return found and found.group(1)
        address = "127.0.0.1:" + wait_for(port, 10, "the server to listen")
        ann = Player(program, work, "Ann", address)
        players.append(ann)
        bob = Player(program, work, "Bob", address)
        players.append(bob)
        for player in players:
            player.connect()
        ann.seat()
        bob.seat()
        ann.ready()
        bob.ready()
        bob.flipped = True
        for player, move in ((ann, "f2f3"), (bob, "e7e5"), (ann, "g2g4"), (bob, "d8h4")):
            player.move(move)
        wait_for(lambda: ann.announced_mate() and bob.announced_mate(), 15, "both windows to announce the mate")
        print("network test passed: two windows played a game through kestrin-server by clicks")
    finally:
        for player in players:
            player.process.kill()
            player.process.wait()
        server.terminate()
        server.wait(10)
        xvfb.terminate()
        xvfb.wait()
        if os.environ.get("KESTRIN_E2E_LOG"):
            log.seek(0)
            print(log.read())
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
