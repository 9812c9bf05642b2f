#!/usr/bin/env python3
"""The clipboard of a real X server: text another program puts there (xclip) pastes into the
kestrin window as a transcript and as a position, and the window's copies are read back by xclip.
usage: scripts/clipboard_e2e.py [BUILD_DIR]
Needs Xvfb, xdotool and xclip (Debian: xvfb xdotool xclip)."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from xsession import fail, wait_for  # noqa: E402

xsession.RUN = "clipboard test"


def main():
    program = xsession.program_in(sys.argv[1] if len(sys.argv) > 1 else "build", ["xclip"])
    work = tempfile.mkdtemp(prefix="kestrin-clip-")
    xvfb = xsession.start_display()
    app = None
    owners = []
    try:
        app = subprocess.Popen([program, "--home", work], stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        window = xsession.find_window()
        time.sleep(1)
        # Two players: the computer answers nothing while the texts go back and forth.
        edit_menu(window, ["alt+g", "t"])

        def put(text):
            owner = subprocess.Popen(["xclip", "-selection", "clipboard", "-i"], stdin=subprocess.PIPE,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            owner.stdin.write(text.encode())
            owner.stdin.close()
            owners.append(owner)
            time.sleep(0.3)

        def read():
            return subprocess.run(["xclip", "-selection", "clipboard", "-o"], capture_output=True,
                                  text=True, timeout=5).stdout

        # The transcript is copied by the platform's Copy key; in the Edit menu, with no move to
        # take back or redo, Copy Position is the fifth item that can be chosen. The position is
        # pasted with clocks the reader does not take, so its copy (which starts them afresh) differs.
        put("1. e4 e5 2. Nf3 Nc6 1-0")
        edit_menu(window, ["alt+e", "t"])
        edit_menu(window, ["ctrl+c"])
        want = "1. e2-e4  e7-e5  \n2. Ng1-f3 Nb8-c6 \n"
        got = wait_for(lambda: read() if read() != "1. e4 e5 2. Nf3 Nc6 1-0" else None, 5, "the transcript copy")
        if got != want:
            fail("transcript read back as %r, not %r" % (got, want))
        print("clipboard test: a transcript from xclip pasted, the window's copy read back by xclip")

        fen = "4k3/8/8/3p4/4P3/8/8/4K3 b - -"
        put(fen + " 3 7")
        edit_menu(window, ["alt+e", "o"])
        edit_menu(window, ["alt+e"] + ["Down"] * 5 + ["Return"])
        got = wait_for(lambda: read() if read() != fen + " 3 7" else None, 5, "the position copy")
        if got != fen + " 0 1":
            fail("position read back as %r, not %r" % (got, fen + " 0 1"))
        print("clipboard test passed: a position from xclip pasted, the window's copy read back by xclip")
    finally:
        for owner in owners:
            if owner.poll() is None:
                owner.kill()
        if app and app.poll() is None:
            app.kill()
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)


def edit_menu(window, keys):
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=False)
    for key in keys:
        subprocess.run(["xdotool", "key", "--window", window, key] if key.startswith("alt+") else
                       ["xdotool", "key", key], check=True)
        time.sleep(0.3)


if __name__ == "__main__":
    main()
