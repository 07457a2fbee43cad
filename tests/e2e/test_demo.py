"""The demo's run without a display: it switches a fresh demo folder, saves a
picture of the window, and run again it switches back; hung up, it leaves no
process behind.

usage: python3 test_demo.py PATH_TO_VORNHASKEL"""

import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

SCRIPTS = Path(__file__).resolve().parents[2] / "scripts"
sys.path.insert(0, str(SCRIPTS))
import gamefolder  # noqa: E402

PROGRAM = None


def children(parent):
    """pid -> command name of each running child of `parent`."""
    found = {}
    for stat in Path("/proc").glob("[0-9]*/stat"):
        try:
            name, rest = stat.read_text().rsplit(")", 1)
        except OSError:
            continue
        state, ppid = rest.split()[:2]
        if int(ppid) == parent and state != "Z":
            found[int(stat.parent.name)] = name.split("(", 1)[1]
    return found


def display_number_sent(xvfb):
    """Whether Xvfb has written its display number: it closes the -displayfd descriptor once it has."""
    arguments = Path(f"/proc/{xvfb}/cmdline").read_bytes().split(b"\0")
    descriptor = arguments[arguments.index(b"-displayfd") + 1].decode()
    return not Path(f"/proc/{xvfb}/fd/{descriptor}").exists()


def alive(pid):
    try:
        return Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


class HeadlessDemo(unittest.TestCase):
    def test_switches_and_switches_back_saving_a_picture(self):
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        with tempfile.TemporaryDirectory() as scratch:
            folder, picture = Path(scratch, "demo-game"), Path(scratch, "window.png")
            gamefolder.write(folder, gamefolder.normal_music())
            for expected in ("mod active", "normal music"):
                subprocess.run([sys.executable, str(SCRIPTS / "demo_headless.py"), PROGRAM, str(folder), str(picture)],
                               env=env, check=True, timeout=120)
                self.assertEqual(gamefolder.describe(folder), expected)
                self.assertEqual(picture.read_bytes()[:8], b"\x89PNG\r\n\x1a\n")
                picture.unlink()

    def test_a_hang_up_to_its_group_ends_xvfb_and_the_program(self):
        """Hung up with the window up, and while the demo is still to read the display number that Xvfb has
        sent: the demo is held stopped over that moment, so the hang-up lands there every time."""
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        program = Path(PROGRAM).name[:15]
        for early in (False, True):
            with self.subTest("before the display is read" if early else "with the window up"), \
                    tempfile.TemporaryDirectory() as scratch:
                # No music folders: the click fails, and the program waits on its message.
                folder, picture = Path(scratch, "not-a-game"), Path(scratch, "window.png")
                folder.mkdir()
                demo = subprocess.Popen([sys.executable, str(SCRIPTS / "demo_headless.py"), PROGRAM, str(folder),
                                         str(picture)], env=env, start_new_session=True,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                left = {}
                try:
                    started = {"Xvfb"} if early else {"Xvfb", program}
                    deadline = time.monotonic() + 60
                    while demo.poll() is None and time.monotonic() < deadline:
                        left = children(demo.pid)
                        if started <= set(left.values()) and (early or picture.exists()):
                            break
                        time.sleep(0.005)
                    self.assertLessEqual(started, set(left.values()))
                    if early:
                        os.kill(demo.pid, signal.SIGSTOP)
                        while not display_number_sent(next(iter(left))) and time.monotonic() < deadline:
                            time.sleep(0.005)
                    os.killpg(demo.pid, signal.SIGHUP)
                    os.kill(demo.pid, signal.SIGCONT)
                    deadline = time.monotonic() + 5
                    while any(alive(pid) for pid in left) and time.monotonic() < deadline:
                        time.sleep(0.1)
                    self.assertEqual({pid: name for pid, name in left.items() if alive(pid)}, {})
                finally:
                    for pid in left:
                        if alive(pid):
                            os.kill(pid, signal.SIGKILL)
                    if demo.poll() is None:
                        demo.kill()
                    demo.wait()

if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
