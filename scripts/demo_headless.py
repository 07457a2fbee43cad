"""The demo on a machine without a display: starts the program in the demo
folder on an Xvfb of its own, saves a picture of the window, and clicks the
button that switches the folder, as a player would: "Un-rename (Normal Music)"
when the mod is active, "Rename (Enable-Mod)" otherwise.

usage: demo_headless.py PROGRAM FOLDER PICTURE   (exits with the program's status)"""

import os
import signal
import subprocess
import sys

import gamefolder
from xvfb import start_xvfb

# Centres of the two buttons in the window at 96 dpi, in pixels.
RENAME = (72 + 137 // 2, 16 + 57 // 2)
UNRENAME = (72 + 137 // 2, 112 + 57 // 2)


def leave(signum, frame):
    raise SystemExit(128 + signum)


def main(program, folder, picture):
    # A closed terminal or a dropped SSH session hangs up the whole group, and Xvfb
    # survives a hang-up (it resets), so the two signals must reach `finally` below.
    signal.signal(signal.SIGTERM, leave)
    signal.signal(signal.SIGHUP, leave)
    xvfb = process = None
    try:
        xvfb, display = start_xvfb(800, 600)
        env = dict(os.environ, DISPLAY=display)
        env.pop("WAYLAND_DISPLAY", None)
        process = subprocess.Popen([os.path.abspath(program)], cwd=folder, env=env)
        found = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^Form1$"], env=env,
                               capture_output=True, text=True, timeout=30)
        window = found.stdout.split()[0]
        subprocess.run(["import", "-window", window, picture], env=env, check=True)
        x, y = UNRENAME if gamefolder.describe(folder) == "mod active" else RENAME
        subprocess.run(["xdotool", "mousemove", "--window", window, str(x), str(y), "click", "1"], env=env, check=True)
        try:
            return process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            print("the program showed an error message; see the folder's state below", file=sys.stderr)
            process.kill()
            return process.wait()
    finally:
        signal.signal(signal.SIGTERM, signal.SIG_IGN)  # a second signal must not cut the clean-up short
        signal.signal(signal.SIGHUP, signal.SIG_IGN)
        if process is not None and process.poll() is None:
            process.kill()
            process.wait()
        if xvfb is not None:
            xvfb.terminate()
            xvfb.wait()


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
