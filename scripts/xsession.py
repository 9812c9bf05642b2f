"""What the runs of the kestrin window on a virtual X server share: failing with the run's name,
waiting for a condition, finding the program and the tools, and a virtual X server of its own."""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

RUN = "window run"
CONFIG = None


def fail(message):
    print(RUN + " FAILED: " + message)
    sys.exit(1)


def wait_for(condition, seconds, what):
    deadline = time.time() + seconds
    while time.time() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.1)
    fail("timed out waiting for " + what)


def program_in(build, tools):
    """The kestrin program of BUILD; fails the run when it or one of TOOLS is missing."""
    program = os.path.join(os.path.abspath(build), "kestrin")
    if not os.access(program, os.X_OK):
        fail("no program at " + program)
    for tool in ("Xvfb", "xdotool") + tuple(tools):
        if not shutil.which(tool):
            fail(tool + " is not installed")
    return program


def start_display():
    """Starts Xvfb on a free-looking display, makes it this process's display, waits until it answers."""
    display = ":%d" % random.randint(150, 450)
    os.environ["DISPLAY"] = display
    # What the window remembers between runs goes to a folder of this run: each run starts from
    # the window's defaults and leaves the user's own configuration alone.
    global CONFIG
    CONFIG = tempfile.TemporaryDirectory(prefix="kestrin-config-")
    os.environ["XDG_CONFIG_HOME"] = CONFIG.name
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(lambda: subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True).returncode == 0,
             10, "the X server")
    return xvfb


def find_window():
    return subprocess.run(["xdotool", "search", "--sync", "--name", "KestrinChess"], capture_output=True,
                          text=True, timeout=20).stdout.split()[0]
