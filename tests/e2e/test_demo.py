"""The demo's run without a display: it switches a fresh demo folder, saves a
picture of the window, and run again it switches back.

usage: python3 test_demo.py PATH_TO_VORNHASKEL"""

import os
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

SCRIPTS = Path(__file__).resolve().parents[2] / "scripts"
sys.path.insert(0, str(SCRIPTS))
import gamefolder  # noqa: E402

PROGRAM = None


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


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
