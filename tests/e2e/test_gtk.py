"""The Linux program, end to end: python3 test_gtk.py PATH_TO_VORNHASKEL"""

import os
import sys
import unittest

from harness import ProgramCases, gamefolder


class GtkProgram(ProgramCases, unittest.TestCase):
    artefact_prefix = "gtk"

    def test_window_is_form1_with_a_312_by_206_client_area(self):
        gamefolder.write(self.folder, gamefolder.normal_music())
        window = self.start()
        info = self.x.info(window)
        self.assertEqual((info["width"], info["height"]), (312, 206))
        self.x.screenshot(window, f"{self.artefact_prefix}-window.png")
        icon = self.x.run("xprop", "-id", str(window), "_NET_WM_ICON")
        for size in (16, 32, 48):
            self.assertIn(f"Icon ({size} x {size})", icon)


if __name__ == "__main__":
    GtkProgram.command = [os.path.abspath(sys.argv.pop(1))]
    unittest.main(verbosity=2)
