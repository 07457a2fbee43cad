"""The Linux program, end to end: python3 test_gtk.py PATH_TO_VORNHASKEL"""

import os
import sys
import unittest

from harness import ProgramCases, gamefolder, wait_for


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

    def test_window_is_gone_before_the_first_rename(self):
        """Each rename slowed to 0.2 s, as on a slow drive: the window must not stay up, frozen."""
        normal = gamefolder.normal_music()
        gamefolder.write(self.folder, normal)
        slowed = ["strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=renameat2",
                  "-e", "inject=renameat2:delay_enter=200000", *self.command]
        window = self.start(command=slowed)
        self.click_button(window, self.RENAME_CENTRE)
        first = self.folder / "streammusic" / "mus_area_ahto.original.wav"
        wait_for(first.exists, "the first rename", timeout=30, interval=0.01)
        self.assertIsNone(self.process.poll(), "27 slowed renames still to go")
        self.assertEqual(self.x.visible_windows(self.title), [])
        self.assertFalse(self.x.info(window)["mapped"])
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(gamefolder.read(self.folder), gamefolder.mod_active(normal))


if __name__ == "__main__":
    GtkProgram.command = [os.path.abspath(sys.argv.pop(1))]
    unittest.main(verbosity=2)
