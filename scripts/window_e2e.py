#!/usr/bin/env python3
"""End-to-end run of the kestrin window on a virtual X server: 1.e4 by two clicks, the
computer's reply appears on the board and Ctrl+Z takes both back to the start position; with
the book cleared the computer takes White and
Game > Analyze interrupts its think, after which its move still appears; closing the window
writes Kchess.dft.
usage: scripts/window_e2e.py [BUILD_DIR] [--screenshot OUT.png]
Needs Xvfb, xdotool and xwd (Debian: xvfb xdotool x11-apps)."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
import xwdtopng  # noqa: E402
from xsession import fail, wait_for  # noqa: E402

xsession.RUN = "window test"

MARGIN = (68, 68, 68)
SQUARE, BOARD_MARGIN = 64, 10


def dump(window, path):
    subprocess.run(["xwd", "-silent", "-id", window, "-out", path], check=True)
    return xwdtopng.read_xwd(path)


def main():
    args = sys.argv[1:]
    shot = None
    if "--screenshot" in args:
        at = args.index("--screenshot")
        shot = args[at + 1]
        del args[at:at + 2]
    build = os.path.abspath(args[0] if args else "build")
    program = xsession.program_in(build, ["xwd"])
    work = tempfile.mkdtemp(prefix="kestrin-e2e-")
    home = os.path.join(work, "home")
    os.mkdir(home)
    for seed in ("KPK.kbb", "TestBook.kcb"):
        if os.path.exists(os.path.join(build, seed)):
            shutil.copy(os.path.join(build, seed), home)
    xvfb = xsession.start_display()
    app = None
    try:
        app = subprocess.Popen([program, "--home", home], stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        window = xsession.find_window()
        image = os.path.join(work, "window.xwd")

        def board_top():
            width, height, pixel = dump(window, image)
            for y in range(min(height, 200)):
                if pixel(3, y) == MARGIN:
                    return y + 1  # a found 0 would read as not found
            return None

        top = wait_for(board_top, 10, "the board to be drawn") - 1

        def centre(file, row):
            return BOARD_MARGIN + file * SQUARE + SQUARE // 2, top + BOARD_MARGIN + row * SQUARE + SQUARE // 2

        def squares(rows):
            _, _, pixel = dump(window, image)
            seen = {}
            for row in rows:
                for file in range(8):
                    x, y = centre(file, row)
                    seen[(file, row)] = tuple(pixel(x + dx, y + dy) for dx in (-12, 0, 12) for dy in (-12, 0, 12))
            return seen

        before = squares(range(8))

        def click(file, row):
            x, y = centre(file, row)
            subprocess.run(["xdotool", "mousemove", "--window", window, str(x), str(y), "click", "1"], check=True)
            time.sleep(0.3)

        click(4, 6)
        click(4, 4)
        moved = squares([4, 6])
        if moved[(4, 4)] == before[(4, 4)] or moved[(4, 6)] == before[(4, 6)]:
            fail("1.e4 did not appear on the board")
        black_half = range(0, 4)
        start = {k: v for k, v in before.items() if k[1] in black_half}
        wait_for(lambda: squares(black_half) != start, 30, "the computer's reply")
        print("window test: 1.e4 played by clicks, the computer replied")

        def keys(*names):
            subprocess.run(["xdotool", "windowfocus", "--sync", window], check=False)
            for name in names:
                subprocess.run(["xdotool", "key", "--window", window, name], check=True)
                time.sleep(0.4)

        # Take Back Move against the computer takes its reply back with the player's move.
        keys("ctrl+z")
        wait_for(lambda: squares(range(8)) == before, 10, "Ctrl+Z to bring back the start position")
        print("window test: Ctrl+Z took back the reply and 1.e4")

        # Book > Clear Opening Book, answered Yes: the computer's next move is thought, not looked up.
        keys("alt+b", "Down", "Down", "Return")
        time.sleep(0.5)
        subprocess.run(["xdotool", "key", "Return"], check=True)
        time.sleep(0.5)
        white_half = range(4, 8)
        # Computer Plays White: it is White's move. The board turns for the player, who now has
        # Black; Ctrl+F turns it back so that White's men stay at the bottom for the checks below.
        keys("alt+g", "w", "ctrl+f")
        thinking = squares(white_half)
        time.sleep(2)
        if squares(white_half) != thinking:
            fail("the computer moved before Analyze could interrupt its think")
        keys("alt+g", "a")  # Analyze while the computer thinks
        wait_for(lambda: squares(white_half) != thinking, 60, "the computer's move after Analyze")
        print("window test: Analyze during the computer's think, then its move appeared")
        if shot:
            # A few more moves for the picture: Black's knights come out by clicks (legal whatever
            # White played), the computer answers each, so the move list and graph have a game.
            for source, target in (((6, 0), (5, 2)), ((1, 0), (2, 2))):
                empty = squares([target[1]])[target]

                def knight_out():
                    # Clicks made while the engine still winds down are ignored: they are made again.
                    if squares([target[1]])[target] == empty:
                        click(*source)
                        click(*target)
                    return squares([target[1]])[target] != empty

                wait_for(knight_out, 20, "Black's knight move")
                # Taken after Black's move: the last-move marks have left White's half by then.
                thinking = squares(white_half)
                wait_for(lambda: squares(white_half) != thinking, 60, "the computer's next move")
            time.sleep(0.5)
            width, height, pixel = dump(window, image)
            xwdtopng.write_png(shot, width, height, ([pixel(x, y) for x in range(width)] for y in range(height)))
            print("screenshot written to " + shot)
        subprocess.run(["xdotool", "windowfocus", "--sync", window], check=False)
        subprocess.run(["xdotool", "key", "--window", window, "alt+f"], check=True)
        time.sleep(0.5)
        subprocess.run(["xdotool", "key", "x"], check=True)
        try:
            code = app.wait(15)
        except subprocess.TimeoutExpired:
            fail("the program did not end after E&xit")
        if code != 0:
            fail("exit code %d" % code)
        settings = os.path.join(home, "Kchess.dft")
        if not os.path.exists(settings) or len(open(settings).read().splitlines()) != 13:
            fail("Kchess.dft was not written whole")
        print("window test passed: closed with code 0, Kchess.dft written")
    finally:
        if app and app.poll() is None:
            app.kill()
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
