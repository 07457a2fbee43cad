"""vornhaskel.exe, vornhaskel-repair.exe and vornhaskel-launch.exe end to end under Wine, on Xvfb with openbox.

usage: python3 test_wine.py VORNHASKEL_EXE REPAIR_EXE LAUNCH_EXE INSPECT_EXE BUILD_FOLDER
The Wine prefixes are in BUILD_FOLDER, and so are the scratch game folders of the run."""

import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
from harness import ProgramCases, fill, gamefolder, wait_for, write_steam_libraries  # noqa: E402

EXE = REPAIR_EXE = LAUNCH_EXE = INSPECT = PREFIXES = None


def unmarked(caption):
    """A Win32 caption as it reads: without the "&" that marks its access key; "&&" is an "&"."""
    return re.sub("&(.)", r"\1", caption)


class WineProgram(ProgramCases):
    prefix = "wineprefix-e2e"
    languages = (None, "de", "ru")
    locales = {"de": "de_DE.UTF-8", "ru": "ru_RU.UTF-8"}  # the Unix locale whose language Wine gives the user
    access_mark = "&"
    # The task dialogs' own Close and Cancel, and the chooser's buttons, in Wine's words.
    system_captions = (("repair dialog", "_Close"), ("held-back window", "_Cancel"), ("choice among installs", "_Cancel"),
                       ("folder chooser", "_Select Folder"))

    @property
    def monitor_dpi(self):
        return self.dpi

    @classmethod
    def setUpClass(cls):
        cls.command = ["wine", EXE]
        cls.repair_command = ["wine", REPAIR_EXE]
        cls.scratch = Path(PREFIXES, "e2e-scratch")
        cls.extra_env = {"WINEPREFIX": str(Path(PREFIXES, cls.prefix)), "WINEDEBUG": "-all",
                         "WINEDLLOVERRIDES": "mscoree,mshtml="}
        super().setUpClass()

    @classmethod
    def tearDownClass(cls):
        # Wine's desktop process holds this display: end it with the display.
        subprocess.run(["wineserver", "-k"], env=dict(os.environ, **cls.extra_env), check=False)
        super().tearDownClass()

    def inspect(self, *arguments, cwd=None, env=None):
        out = subprocess.run(["wine", INSPECT, *arguments], env=dict(self.x.env, **self.extra_env, **(env or {})),
                             cwd=cwd, capture_output=True, text=True, timeout=60).stdout
        return json.loads(out)

    def shown_path(self, path):
        return "Z:" + str(path).replace("/", "\\")

    def shown(self, relative):
        return relative.replace("/", "\\")

    def type_into_chooser(self, folder):
        self.x.activate(self.x.wait_window(self.chooser))
        self.x.run("xdotool", "type", "--delay", "20", self.shown_path(folder))
        self.x.key("Return")
        wait_for(lambda: not self.x.visible_windows(self.chooser), "the chooser to close")

    def read_repair_dialog(self, window, reasons_open=True):
        # The reasons, below the buttons: the expander's caption says which way it turns.
        shown = self.inspect("dialog", self.repair_title,
                             self.catalog._("Show reasons") if reasons_open else self.catalog._("Hide reasons"))
        captions = [caption.replace("&", "") for caption in shown["enabled"]]
        # The frame as the window manager drew it: Wine reckons its own, from a title bar of another height.
        return dict(self.reading(shown, window), enabled=[c for c in captions if c in self.repair_buttons],
                    default=[shown["default"].replace("&", "")])

    def read_window(self, title, button=None):
        # Read until it reads the same twice: the dialogs lay out their buttons afresh once shown.
        readings = []

        def settled():
            shown = self.inspect("dialog", title)
            if not shown["count"] or (button is not None and button not in map(unmarked, shown["buttons"])):
                return None
            readings.append(shown)
            return len(readings) > 1 and readings[-2] == shown and shown
        shown = wait_for(settled, f"a window titled {title!r} with a button {button!r}, settled")

        def off_centre(window):  # from where Wine has the dialog
            frame = self.x.frame(window)
            return sum(abs(frame[i] + frame[i + 2] - shown["frame"][i] - shown["frame"][i + 2]) for i in (0, 1))
        return self.reading(shown, min(self.x.visible_windows(title), key=off_centre))

    def reading(self, shown, window):
        """inspect's reading of a dialog as read_window gives it. A push button's caption is whole where it fits on
        one line inside the button's edge, a command link's where it fits beside its arrow, and the button lies
        inside the dialog."""
        expanders = (self.catalog._("Show reasons"), self.catalog._("Hide reasons"))
        left, top, right, bottom = shown["frame"]
        buttons = []
        for control in shown["controls"]:
            caption = control["caption"]
            key = re.search(r"&([^&])", caption.replace("&&", ""))
            (text_width, text_height), (inner_width, inner_height) = control["text"], control["fit"]
            x0, y0, x1, y1 = control["rect"]
            buttons.append({"name": unmarked(caption), "key": key.group(1).lower() if key else None,
                            "enabled": caption in shown["enabled"], "default": caption == shown["default"],
                            "whole": text_width <= inner_width and text_height <= inner_height
                            and left <= x0 and top <= y0 and x1 <= right and y1 <= bottom,
                            "expander": unmarked(caption) in expanders, "description": None, "fit": control})
        return {"texts": shown["texts"], "buttons": buttons, "frame": self.x.frame(window), "work": self.x.work_area(),
                "window": window}

    def press(self, title, button):
        caption, = [caption for caption in self.inspect("dialog", title)["buttons"] if unmarked(caption) == button]
        self.inspect("dialog", title, caption)

    def in_language(self, language):
        """LC_ALL, which Wine takes for the user's language: it must reach the preferred UI languages. English is
        the environment of the other cases."""
        env = {"LC_ALL": self.locales[language]} if language else {}
        preferred = self.inspect("languages", env=env)
        self.assertEqual(preferred[0].split("-")[0], (language or "en").split("_")[0], preferred)
        return env

    def start_launcher(self, folder, env, title):
        # The launcher ends once it has started a program; the program's windows are closed when the case ends.
        for leftover in (self.title, self.repair_title):
            self.addCleanup(lambda t=leftover: [self.x.close_window(w) for w in self.x.visible_windows(t)])
        return self.start(Path(LAUNCH_EXE).parent, command=["wine", LAUNCH_EXE] + (
            [self.shown_path(folder)] if folder else []), env=env, title=title)

    def record_steam_libraries(self, libraries):
        steam = self.folder / "Steam"
        write_steam_libraries(steam, [self.shown_path(steam)] + [self.shown_path(library) for library in libraries])
        self.wine("reg", "add", "HKCU\\Software\\Valve\\Steam", "/v", "SteamPath", "/d", self.shown_path(steam), "/f")
        if not getattr(self, "steam_recorded", False):
            self.steam_recorded = True
            self.addCleanup(self.wine, "reg", "delete", "HKCU\\Software\\Valve\\Steam", "/f")

    def install_caption(self, folder):
        return self.shown_path(folder)

    def program_words(self):
        form = self.inspect("window")
        return form["title"], [button["caption"] for button in form["buttons"]]

    def start_refused_repair(self, env):
        self.hold_open("streammusic\\mus_area_sewers.original.wav")
        return self.start_repair(env)

    def why_greyed_out(self, window, button):
        """A sentence of the dialog's own text: a greyed task dialog button has no description of its own."""
        text = "\n".join(self.inspect("dialog", self.repair_title)["texts"])
        return re.search(rf"{button} is greyed out: [^\n]*?\.(?= |\n|$)", text).group(0)

    def rename_lines(self, window, heading):
        """The pages of the list under `heading`, turned with its link "Next renames"."""
        lines = []
        shown = self.inspect("dialog", self.repair_title)
        while True:
            text = next(text for text in shown["texts"] if heading in text)
            page = text.split(heading + "\n")[1].split("\n")
            shown_here = [line[2:] for line in page[:page.index(next(line for line in page
                                                                     if not line.startswith("\u2022 ")))]]
            pages = page[len(shown_here)]
            self.assertTrue(pages.startswith(fill(self.catalog._("Renames %1$zu to %2$zu of %3$zu."), len(lines) + 1,
                                                  len(lines) + len(shown_here), "").rstrip(".")), pages)
            lines += shown_here
            next_renames = self.catalog._("Next renames")
            if f"{next_renames}</a>" not in pages:
                return lines
            shown = self.inspect("dialog", self.repair_title, next_renames)

    def read_message(self, window):
        return self.inspect("dialog", self.repair_title)["text"]

    def hold_open(self, path):
        """Holds a file of the game folder open, as the running game would, until the case ends."""
        holder = subprocess.Popen(["wine", INSPECT, "hold", path, "60"], cwd=self.folder,
                                  env=dict(self.x.env, **self.extra_env), stdout=subprocess.PIPE, text=True)
        self.addCleanup(holder.stdout.close)
        self.addCleanup(holder.wait)
        self.addCleanup(holder.kill)
        self.assertEqual(holder.stdout.readline().strip(), "held")

    def wine(self, *command):
        subprocess.run(["wine", *command], env=dict(self.x.env, **self.extra_env), check=True, capture_output=True,
                       timeout=60)

    def check_window(self):
        gamefolder.write(self.folder, gamefolder.normal_music())
        window = self.start()
        form = self.inspect("window")
        self.assertEqual(form["dpi"], self.monitor_dpi)
        self.check_form(form)
        self.x.screenshot(window, f"{self.artefact_prefix}-window.png")
        # A change of text size lays the window out afresh, whatever size it was given since.
        self.x.run("xdotool", "windowsize", "--sync", str(window), "500", "400")
        self.assertNotEqual(self.inspect("window")["client"], [self.px(4680), self.px(3090)])
        self.check_form(self.inspect("setting-change"))
        return window

    def check_form(self, form):
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


class WineAt96Dpi(WineProgram, unittest.TestCase):
    artefact_prefix = "wine"

    def test_window_as_the_system_sees_it(self):
        window = self.check_window()
        icon = self.x.run("xprop", "-id", str(window), "_NET_WM_ICON")
        self.assertIn("Icon (16 x 16)", icon)
        self.assertIn("Icon (32 x 32)", icon)
        # Moved to a 144 dpi monitor: both buttons take its scale. (Wine keeps the frame
        # at 96 dpi, so the client area is a few pixels off what Windows would show.)
        form = self.inspect("dpi-changed", "144")
        self.dpi = 144
        self.assertEqual([button["rect"] for button in form["buttons"]], [self.box(self.RENAME_BOX),
                                                                          self.box(self.UNRENAME_BOX)])

    def test_file_held_open_by_another_program_fails_with_the_sharing_message(self):
        normal = gamefolder.normal_music()
        gamefolder.write(self.folder, normal)
        held = "streammusic\\mus_area_sewers.wav"
        self.hold_open(held)
        self.click_button(self.start(), self.RENAME_CENTRE)
        dialog = self.inspect("dialog")
        self.assertEqual(dialog["count"], 1)
        self.assertEqual(dialog["text"], "streammusic\\mus_area_sewers.wav -> "
                                         "streammusic\\mus_area_sewers.original.wav: Sharing violation.")
        self.assertEqual((dialog["buttons"], dialog["icon"]), (["OK"], True), "an error to acknowledge, not to cancel")
        self.dismiss(self.wait_dialog())
        self.assertEqual(self.exit_status(), 1)
        after = gamefolder.read(self.folder)
        self.assertEqual(sorted(after.values()), sorted(normal.values()), "every file is still there, intact")
        self.assertIn("streammusic/mus_area_sewers.wav", after)

    def test_repair_of_a_folder_given_as_its_argument_stops_at_a_held_file_and_says_so(self):
        parked = gamefolder.parked(gamefolder.normal_music(with_mod=False))
        gamefolder.write(self.folder, parked)
        held = "streammusic\\mus_area_sewers.original.wav"
        self.hold_open(held)
        elsewhere = self.folder.parent  # not a game folder: the argument names the folder
        window = self.start(elsewhere, command=[*self.repair_command, str(self.folder)], title=self.repair_title)
        self.x.activate(window)
        self.x.key("alt+n")
        wait_for(lambda: window not in self.x.visible_windows(self.repair_title), "the repair dialog to close")
        message = self.inspect("dialog", self.repair_title)
        self.assertEqual(message["text"], f"A rename failed, so the repair stopped: {held} -> "
                         "streammusic\\mus_area_sewers.wav: Sharing violation.\n\n"
                         "The folder is now mixed: 3 tracks set for the normal music, 11 tracks set for the mod's "
                         "music, 7 tracks half-way between the two. No file was lost or replaced. Start the repair "
                         "tool again to finish.")
        self.assertEqual((message["count"], message["buttons"], message["icon"]), (1, ["OK"], True))
        self.x.activate(self.x.wait_window(self.repair_title))
        self.x.key("Return")
        self.assertEqual(self.exit_status(), 1)
        after = gamefolder.read(self.folder)
        self.assertEqual(sorted(after.values()), sorted(parked.values()), "every file is still there, intact")
        self.assertIn(held.replace("\\", "/"), after)

    def test_repair_takes_a_quoted_folder_ending_in_a_backslash_from_a_batch_file(self):
        """cmd passes a batch file's line unchanged, and Windows reads the folder's final \\" as a quote."""
        folder = self.folder / "My Game"
        stock = gamefolder.normal_music(with_mod=False)
        gamefolder.write(folder, gamefolder.parked(stock))
        windows = "Z:" + str(folder).replace("/", "\\")
        exe = "Z:" + REPAIR_EXE.replace("/", "\\")
        (self.folder / "repair.bat").write_bytes(f'@"{exe}" "{windows}\\"\r\n'.encode())
        window = self.start(command=["wine", "cmd", "/c", "repair.bat"], title=self.repair_title)
        self.choose_normal_music(window, folder, stock)

    def add_drive(self, letter, folder):
        """`folder` as the drive `letter` of the case's prefix, until the case ends."""
        drive = Path(PREFIXES, self.prefix, "dosdevices", letter)
        self.assertFalse(os.path.lexists(drive), f"the prefix has a drive {letter} already")
        drive.symlink_to(folder)
        self.addCleanup(drive.unlink)

    def test_repair_from_an_empty_folder_takes_the_game_from_a_steam_library_on_another_drive(self):
        """Steam's own folder in the registry as Steam keeps it, in lower case with forward slashes; its record
        names a library on E:. From an empty folder the tool takes the game folder there and says which store led
        to it; with a second game folder, in Steam's own folder, it offers both as command links."""
        steam = self.folder / "Steam"
        drive = self.folder / "drive-e"
        write_steam_libraries(steam, [self.shown_path(steam), "E:\\SteamLibrary"])
        game = drive / "SteamLibrary" / "steamapps" / "common" / "The Game"
        stock = gamefolder.normal_music(with_mod=False)
        gamefolder.write(game, gamefolder.parked(stock))
        self.add_drive("e:", drive)
        self.wine("reg", "add", "HKCU\\Software\\Valve\\Steam", "/v", "SteamPath", "/d",
                  self.shown_path(steam).lower().replace("\\", "/"), "/f")
        self.addCleanup(self.wine, "reg", "delete", "HKCU\\Software\\Valve\\Steam", "/f")
        (self.folder / "Empty").mkdir()
        window = self.start(self.folder / "Empty", command=self.repair_command, title=self.repair_title)
        on_e = "E:\\SteamLibrary\\steamapps\\common\\The Game"
        self.assert_repair_dialog(window, [f"Game folder: {on_e} (Steam library)"], enabled=["Normal music"])
        self.choose_normal_music(window, game, stock)

        in_steam = steam / "steamapps" / "common" / "The Game"
        gamefolder.write(in_steam, gamefolder.normal_music())
        choice = self.start(self.folder / "Empty", command=self.repair_command, title=self.repair_title)
        shown = self.inspect("dialog", self.repair_title)
        self.assertEqual(shown["text"], "The game is installed in 2 folders. Choose the one to use:\n"
                                        f"\u2022 {self.shown_path(in_steam)} (Steam library)\n\u2022 {on_e} (Steam library)")
        self.assertEqual([caption.replace("&", "") for caption in shown["buttons"]],
                         [self.shown_path(in_steam), on_e, "Choose another folder\u2026", "Cancel"])
        self.inspect("dialog", self.repair_title, on_e)
        window = wait_for(lambda: [w for w in self.x.visible_windows(self.repair_title) if w != choice],
                          "the repair dialog")[0]
        self.assert_repair_dialog(window, [f"Game folder: {on_e} (Steam library)"], enabled=[])
        self.x.activate(window)
        self.x.key("Escape")
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(gamefolder.read(game), stock)

    def test_repair_takes_the_mod_from_a_folder_named_with_a_trailing_dot_not_through_the_link_beside_it(self):
        """The mod unpacked in "MyMod." beside "MyMod", a link to a folder of other files under the mod's names.
        Win32 reads "MyMod." as "MyMod": the tool lists, shows and renames the files of "MyMod." itself."""
        stock = gamefolder.normal_music(with_mod=False)
        gamefolder.write(self.folder, stock)
        unpacked = {name: contents for name, contents in gamefolder.normal_music().items() if name not in stock}
        for name, contents in unpacked.items():
            (self.folder / "MyMod." / name).parent.mkdir(parents=True, exist_ok=True)
            (self.folder / "MyMod." / name).write_bytes(contents)
        others = Path(self.folder.parent, self.folder.name + "-others")
        self.addCleanup(shutil.rmtree, others, ignore_errors=True)
        for n, name in enumerate(unpacked):
            (others / name).parent.mkdir(parents=True, exist_ok=True)
            (others / name).write_bytes(gamefolder.wav(3000 + 10 * n))
        before = {p: p.read_bytes() for p in others.rglob("*") if p.is_file()}
        (self.folder / "MyMod").symlink_to(others, target_is_directory=True)
        window = self.start_repair()
        self.assert_repair_dialog(window, [
            "The mod's 7 files were found in MyMod.\\streammusic and MyMod.\\streamsounds.",
            "MyMod.\\streamsounds\\mus_sbat_acad.mod.wav will become streamsounds\\mus_sbat_acad.mod.wav"],
            enabled=["Mod music"])
        self.x.activate(window)
        self.x.key("alt+m")
        self.x.activate(self.wait_repair_message(window))
        self.assertEqual(gamefolder.read(self.folder), gamefolder.mod_active(gamefolder.normal_music()))
        self.assertEqual([p for p in (self.folder / "MyMod.").rglob("*") if p.is_file()], [])
        self.assertEqual({p: p.read_bytes() for p in others.rglob("*") if p.is_file()}, before,
                         "the linked folder's files stay as they were")
        self.x.key("Return")
        self.assertEqual(self.exit_status(), 0)

    def test_repair_given_a_game_folder_named_with_a_trailing_dot_does_not_enter_the_folder_it_reads_as(self):
        """Win32 would make "Game." the working directory "Game": the tool says it cannot open "Game." and
        renames nothing in either."""
        parked = gamefolder.parked(gamefolder.normal_music(with_mod=False))
        gamefolder.write(self.folder / "Game.", parked)
        gamefolder.write(self.folder / "Game", parked)
        given = self.folder / "Game."
        self.start(self.folder, command=[*self.repair_command, str(given)], title=self.repair_title)
        self.dialog_expected = True
        message = self.x.wait_window(self.repair_title)
        self.assertTrue(self.read_message(message).startswith(f"Cannot open the folder {self.shown_path(given)}: "),
                        self.read_message(message))
        self.x.activate(message)
        self.x.key("Return")
        self.x.activate(self.x.wait_window(self.chooser))
        self.x.key("Escape")
        self.assertEqual(self.exit_status(), 1)
        self.assertEqual(gamefolder.read(self.folder / "Game."), parked)
        self.assertEqual(gamefolder.read(self.folder / "Game"), parked)

    def test_repair_ignores_enter_held_from_its_launch(self):
        parked = gamefolder.parked(gamefolder.normal_music(with_mod=False))
        gamefolder.write(self.folder, parked)
        self.hold("Return")
        window = self.start_repair()
        self.assert_waiting(1.5)  # well past the auto-repeat delay
        self.release("Return")
        self.assert_waiting(0.3)
        self.assertEqual(self.x.visible_windows(self.repair_title), [window], "still asking")
        self.x.key("Escape")
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(gamefolder.read(self.folder), parked)

    # -- the launcher, unpacked with the other two into Downloads -------------

    def unpacked(self):
        """The three exes in a Downloads folder of their own, as Extract All leaves them, and a game folder
        elsewhere."""
        downloads = self.folder / "Downloads" / "vornhaskel-1.00-windows"
        downloads.mkdir(parents=True)
        for exe in (EXE, REPAIR_EXE, LAUNCH_EXE):
            shutil.copy(exe, downloads)
        return downloads / Path(LAUNCH_EXE).name, self.folder / "Games" / "The Game"

    def launch(self, launcher, game, title):
        """Starts the launcher in its own folder, given the game folder or, for None, none, as a double-click
        does, and waits for the window `title`.
        Whatever it started is closed when the case ends."""
        for leftover in (self.title, self.repair_title):
            self.addCleanup(lambda t=leftover: [self.x.close_window(w) for w in self.x.visible_windows(t)])
        command = ["wine", str(launcher)] + ([self.shown_path(game)] if game else [])
        if title != self.title:
            return self.start(launcher.parent, command=command, title=title)
        # The launcher ends once it has started the program: the window is the program's.
        self.process = subprocess.Popen(command, cwd=launcher.parent, env=dict(self.x.env, **self.extra_env),
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.addCleanup(self.stop, self.process)
        self.dialog_expected = False
        self.assertEqual(self.exit_status(), 0)
        return self.x.wait_window(self.title)

    def test_launcher_in_downloads_starts_the_program_in_the_game_folder_where_a_click_is_harmless(self):
        """Normal music with the mod's 7 files in place, and the mod's music: vornhaskel.exe opens, started
        from beside the launcher, in the game folder (its click switches that folder), and nothing was copied
        into it."""
        launcher, game = self.unpacked()
        normal = gamefolder.normal_music()
        for music, before, button, after in (
                ("normal", normal, self.RENAME_CENTRE, gamefolder.mod_active(normal)),
                ("mod", gamefolder.mod_active(normal), self.UNRENAME_CENTRE, normal)):
            with self.subTest(music=music):
                gamefolder.write(game, before)
                window = self.launch(launcher, game, self.title)
                self.check_form(self.inspect("window"))
                self.click_button(window, button)
                wait_for(lambda: not self.x.visible_windows(self.title), "the program to end")
                self.assertEqual(gamefolder.read(game), after)
                self.assertEqual(sorted(os.listdir(game)), ["streammusic", "streamsounds"], "nothing copied")

    def test_launcher_double_clicked_in_downloads_starts_the_program_where_steam_installed_the_game(self):
        """No folder given: the launcher takes the one game folder that Steam's record leads to, as the repair
        tool does, and the program there switches it."""
        launcher, _ = self.unpacked()
        steam = self.folder / "Steam"
        write_steam_libraries(steam, [self.shown_path(steam)])
        game = steam / "steamapps" / "common" / "The Game"
        normal = gamefolder.normal_music()
        gamefolder.write(game, normal)
        self.wine("reg", "add", "HKCU\\Software\\Valve\\Steam", "/v", "SteamPath", "/d", self.shown_path(steam),
                  "/f")
        self.addCleanup(self.wine, "reg", "delete", "HKCU\\Software\\Valve\\Steam", "/f")
        window = self.launch(launcher, None, self.title)
        self.click_button(window, self.RENAME_CENTRE)
        wait_for(lambda: not self.x.visible_windows(self.title), "the program to end")
        self.assertEqual(gamefolder.read(game), gamefolder.mod_active(normal))

    def test_launcher_unpacked_alone_says_which_program_it_cannot_start_and_changes_nothing(self):
        launcher, game = self.unpacked()
        (launcher.parent / "vornhaskel.exe").unlink()
        normal = gamefolder.normal_music()
        gamefolder.write(game, normal)
        self.launch(launcher, game, self.dialog_title)
        message = self.inspect("dialog", self.dialog_title)
        self.assertEqual(message["text"], f"Cannot start {self.shown_path(launcher.parent / 'vornhaskel.exe')} in "
                                          f"{self.shown_path(game)}: File not found.")
        self.dismiss(self.wait_dialog())
        self.assertEqual(self.exit_status(), 1)
        self.assertEqual(gamefolder.read(game), normal)

    def assert_held_back(self, game, why):
        """The window that holds the click back, as inspect reads it; nothing renamed."""
        self.dialog_expected = True
        shown = self.inspect("dialog", self.dialog_title)
        self.assertEqual(shown["count"], 1)
        self.assertIn(f"{why}\n\nGame folder: {self.shown_path(game)}", shown["texts"])
        self.assertEqual(shown["buttons"], ["&Open the repair tool", "Choose &another folder\u2026", "Cancel"])
        self.assertEqual(shown["default"], "&Open the repair tool")
        self.assertEqual(self.x.visible_windows(self.title), [], "the program's window stays closed")

    def test_launcher_holds_a_harmful_click_back_and_offers_the_repair_tool(self):
        """Normal music without the mod's files: Enter opens the repair tool on the folder. A switch stopped
        part way (Rename stopped at the mod's first file): "Choose another folder" and Cancel in the chooser
        hold it back again; Escape ends. No file changes."""
        launcher, game = self.unpacked()
        stock = gamefolder.normal_music(with_mod=False)
        normal = gamefolder.normal_music()
        half = dict(gamefolder.parked(normal), **{name: data for name, data in normal.items() if ".mod." in name})
        cases = (
            (stock, "The mod's 7 files are not in place: Rename (Enable-Mod) would put away the game's 21 tracks "
                    "and stop, leaving the game without music."),
            (half, "Neither button can change anything here: the first rename of each would fail, as after a "
                   "switch that stopped part way."))
        for before, why in cases:
            with self.subTest(why=why):
                shutil.rmtree(game, ignore_errors=True)
                gamefolder.write(game, before)
                window = self.launch(launcher, game, self.dialog_title)
                self.assert_held_back(game, why)
                self.x.activate(window)
                if before is stock:
                    self.x.screenshot(window, f"{self.artefact_prefix}-launcher-held-back.png")
                    self.x.key("Return")
                    self.assertEqual(self.exit_status(), 0)
                    repair = self.x.wait_window(self.repair_title)
                    self.assert_repair_dialog(repair, [f"Game folder: {self.shown_path(game)}"], enabled=[])
                    self.x.activate(repair)
                    self.x.key("Escape")
                    wait_for(lambda: not self.x.visible_windows(self.repair_title), "the repair tool to end")
                else:
                    self.x.key("alt+a")
                    self.x.activate(self.x.wait_window(self.chooser))
                    self.x.key("Escape")
                    self.assert_held_back(game, why)
                    self.x.activate(self.x.wait_window(self.dialog_title))
                    self.x.key("Escape")
                    self.assertEqual(self.exit_status(), 0)
                self.assertEqual(self.x.visible_windows(self.title), [])
                self.assertEqual(gamefolder.read(game), before)

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
    suite = unittest.TestSuite(loader.loadTestsFromTestCase(WineAt96Dpi))
    suite.addTests(WineAt144Dpi(name) for name in loader.getTestCaseNames(WineAt144Dpi)
                   if not name.startswith("test_repair_")  # the repair tool at 96 dpi, but for its size
                   or name in ("test_repair_of_empty_music_folders_keeps_its_dialog_on_the_screen",
                               "test_repair_dialog_with_long_lists_fits_the_work_area_folded_and_opened"))
    suite.addTests(WineLargeText(name) for name in ("test_window_and_buttons_grow_so_both_captions_fit",
                                                    "test_clicks_just_outside_either_button_do_nothing",
                                                    "test_repair_dialog_with_long_lists_fits_the_work_area_folded_and_opened"))
    return suite


def interrupt(signum, frame):
    raise KeyboardInterrupt(f"signal {signum}")


if __name__ == "__main__":
    EXE, REPAIR_EXE, LAUNCH_EXE, INSPECT, PREFIXES = (os.path.abspath(arg) for arg in sys.argv[1:6])
    del sys.argv[1:6]
    # The scratch game folders of a run that was killed go with the next run;
    # a run that is ended by a signal removes its own.
    scratch = Path(PREFIXES, "e2e-scratch")
    shutil.rmtree(scratch, ignore_errors=True)
    scratch.mkdir()
    for signum in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(signum, interrupt)
    try:
        unittest.main(verbosity=2)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
