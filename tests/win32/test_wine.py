"""vornhaskel.exe end to end under Wine, on Xvfb with openbox.

usage: python3 test_wine.py VORNHASKEL_EXE INSPECT_EXE PREFIX_FOLDER"""

import json
import os
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
from harness import ProgramCases, gamefolder  # noqa: E402

EXE = INSPECT = PREFIXES = None


class WineProgram(ProgramCases):
    prefix = "wineprefix-e2e"

    @property
    def monitor_dpi(self):
        return self.dpi

    @classmethod
    def setUpClass(cls):
        cls.command = ["wine", EXE]
        cls.extra_env = {"WINEPREFIX": str(Path(PREFIXES, cls.prefix)), "WINEDEBUG": "-all",
                         "WINEDLLOVERRIDES": "mscoree,mshtml="}
        super().setUpClass()

    @classmethod
    def tearDownClass(cls):
        # Wine's desktop process holds this display: end it with the display.
        subprocess.run(["wineserver", "-k"], env=dict(os.environ, **cls.extra_env), check=False)
        super().tearDownClass()

    def inspect(self, *arguments, cwd=None):
        out = subprocess.run(["wine", INSPECT, *arguments], env=dict(self.x.env, **self.extra_env), cwd=cwd,
                             capture_output=True, text=True, timeout=60).stdout
        return json.loads(out)

    def check_window(self):
        gamefolder.write(self.folder, gamefolder.normal_music())
        window = self.start()
        form = self.inspect("window")
        self.assertEqual(form["dpi"], self.monitor_dpi)
        self.assertEqual(form["title"], "Form1")
        self.assertEqual(form["client"], [self.px(4680), self.px(3090)])
        self.assertEqual(form["style"] & 0x00CF0000, 0x00CF0000, "WS_OVERLAPPEDWINDOW")
        self.assertFalse(form["zoomed"] or form["iconic"])
        self.assertEqual(form["children"], 2)
        rename, unrename = form["buttons"]  # in tab order
        self.assertEqual(rename["caption"], "Rename (Enable-Mod)")
        self.assertEqual(unrename["caption"], "Un-rename (Normal Music)")
        self.assertEqual(rename["rect"], self.box(self.RENAME_BOX))
        self.assertEqual(unrename["rect"], self.box(self.UNRENAME_BOX))
        for button in (rename, unrename):
            inner_width, inner_height, text_width, text_height = button["caption_fit"]
            self.assertLessEqual(text_width, inner_width, button["caption"])
            self.assertLessEqual(text_height, inner_height, button["caption"])
            self.assertEqual(button["class"].lower(), "button")
            self.assertTrue(button["enabled"] and button["visible"] and button["tabstop"])
            self.assertFalse(button["default"])
        self.assertTrue(rename["focused"])
        self.assertFalse(unrename["focused"])
        self.x.screenshot(window, f"{self.artefact_prefix}-window.png")
        return window


class WineAt96Dpi(WineProgram, unittest.TestCase):
    artefact_prefix = "wine"

    def test_window_as_the_system_sees_it(self):
        window = self.check_window()
        icon = self.x.run("xprop", "-id", str(window), "_NET_WM_ICON")
        self.assertIn("Icon (16 x 16)", icon)
        self.assertIn("Icon (32 x 32)", icon)

    def test_file_held_open_by_another_program_fails_with_the_sharing_message(self):
        normal = gamefolder.normal_music()
        gamefolder.write(self.folder, normal)
        held = "streammusic\\mus_area_sewers.wav"
        holder = subprocess.Popen(["wine", INSPECT, "hold", held, "60"], cwd=self.folder,
                                  env=dict(self.x.env, **self.extra_env), stdout=subprocess.PIPE, text=True)
        self.addCleanup(holder.stdout.close)
        self.addCleanup(holder.kill)
        self.assertEqual(holder.stdout.readline().strip(), "held")
        self.click_button(self.start(), self.RENAME_CENTRE)
        dialog = self.inspect("dialog")
        self.assertEqual(dialog["count"], 1)
        self.assertEqual(dialog["text"], "streammusic\\mus_area_sewers.wav -> "
                                         "streammusic\\mus_area_sewers.original.wav: Sharing violation.")
        self.dismiss(self.wait_dialog())
        self.assertEqual(self.exit_status(), 1)
        after = gamefolder.read(self.folder)
        self.assertEqual(sorted(after.values()), sorted(normal.values()), "every file is still there, intact")
        self.assertIn("streammusic/mus_area_sewers.wav", after)

    def test_non_ascii_folder(self):
        folder = self.folder / "Spiele \u2122 \u30b2\u30fc\u30e0"
        normal = gamefolder.normal_music()
        gamefolder.write(folder, normal)
        self.click_button(self.start(folder), self.RENAME_CENTRE)
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(gamefolder.read(folder), gamefolder.mod_active(normal))

    def test_folder_deeper_than_260_characters_works_or_fails_once_losing_nothing(self):
        folder = self.folder
        while len(str(folder)) < 300:
            folder /= "a-long-folder-name"
        normal = gamefolder.normal_music()
        gamefolder.write(folder, normal)
        self.click_button(self.start(folder), self.RENAME_CENTRE)
        deadline = time.monotonic() + 60
        while self.process.poll() is None and not self.x.visible_windows(self.dialog_title):
            self.assertLess(time.monotonic(), deadline, "neither ended nor reported")
            time.sleep(0.05)
        if self.process.poll() is None:
            self.record_deep_outcome("failed with: " + self.inspect("dialog")["text"])
            self.dismiss(self.wait_dialog())
            self.assertEqual(self.exit_status(), 1)
            self.assertEqual(gamefolder.read(folder), normal)
        else:
            self.record_deep_outcome("worked")
            self.assertEqual(self.process.returncode, 0)
            self.assertEqual(gamefolder.read(folder), gamefolder.mod_active(normal))

    def record_deep_outcome(self, outcome):
        print(f"\n  deep folder: {outcome}", file=sys.stderr)


class WineAt144Dpi(WineProgram, unittest.TestCase):
    prefix = "wineprefix-144"
    dpi = 144
    artefact_prefix = "wine-144dpi"

    def test_window_scales_with_the_dpi(self):
        self.check_window()


class WineLargeText(WineProgram, unittest.TestCase):
    """A message font twice Windows' default at 96 dpi: the layout converts at 192 dpi."""
    prefix = "wineprefix-big"
    dpi = 192
    monitor_dpi = 96
    artefact_prefix = "wine-large-text"

    def test_window_and_buttons_grow_so_both_captions_fit(self):
        self.check_window()


def load_tests(loader, tests, pattern):
    suite = unittest.TestSuite(loader.loadTestsFromTestCase(case) for case in (WineAt96Dpi, WineAt144Dpi))
    suite.addTests(WineLargeText(name) for name in ("test_window_and_buttons_grow_so_both_captions_fit",
                                                    "test_clicks_just_outside_either_button_do_nothing"))
    return suite


if __name__ == "__main__":
    EXE, INSPECT, PREFIXES = (os.path.abspath(arg) for arg in sys.argv[1:4])
    del sys.argv[1:4]
    unittest.main(verbosity=2)
