"""The Linux program and its launcher, end to end.

usage: python3 test_gtk.py PATH_TO_VORNHASKEL PATH_TO_REPAIR PATH_TO_LAUNCHER DESKTOP_ENTRY"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

from harness import ProgramCases, gamefolder, looks_in_the_stores, made_up_home, wait_for, write_steam_libraries


LAUNCHER = DESKTOP_ENTRY = None
DESKTOP_ID = "org.vornhaskel.vornhaskel"

class GtkProgram(ProgramCases, unittest.TestCase):
    artefact_prefix = "gtk"
    repair_text_sizes = ({}, {"GDK_DPI_SCALE": "1.5"})
    reads_removable_drives = True
    languages = (None, "de", "ru")
    language_text_sizes = repair_text_sizes

    def setUp(self):
        super().setUp()
        # Every program runs in a home of its own, empty but for what a case puts there.
        self.home = Path(tempfile.mkdtemp(prefix="vornhaskel-home-"))
        self.addCleanup(shutil.rmtree, self.home, ignore_errors=True)

    def from_desktop(self, folder=None):
        """The desktop entry's command, with %f filled in as a desktop does: the folder, or nothing."""
        exec_line = next(line[5:] for line in Path(DESKTOP_ENTRY).read_text().splitlines() if line.startswith("Exec="))
        self.assertEqual(exec_line.split(), ["vornhaskel-launch", "%f"])
        return [LAUNCHER] + ([str(folder)] if folder else [])

    def start_elsewhere(self, command, title=None):
        """Starts `command` from a folder that is not the game folder, as the desktop does."""
        return self.start_elsewhere_in(command, None, title)

    def start_elsewhere_in(self, command, env, title=None):
        return self.start(folder=tempfile.gettempdir(), command=command, env=env, title=title)

    def assert_rename_click_switches(self, window, normal, folder=None):
        self.click_button(window, self.RENAME_CENTRE)
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(gamefolder.read(folder or self.folder), gamefolder.mod_active(normal))

    def type_into_chooser(self, folder):
        chooser = self.x.wait_window(self.chooser)
        access = self.x.accessible()
        access.window(self.chooser, "Select Folder")  # says what it does, where GTK's own says "Open"
        self.x.activate(chooser)
        self.x.key("ctrl+l")
        self.x.run("xdotool", "type", "--delay", "20", str(folder))
        time.sleep(0.5)
        self.x.key("Delete", "Return")  # Delete drops the "/" that GTK's inline completion adds
        return chooser

    def start(self, folder=None, command=None, env=None, title=None):
        """Every program runs on the accessibility bus, as on a desktop, in the case's made-up home."""
        return super().start(folder, command, dict(self.x.accessible().env, **made_up_home(self.home), **(env or {})),
                             title)

    def read_repair_dialog(self, window, reasons_open=True):
        access = self.x.accessible()
        dialog = access.window(self.repair_title, self.caption("repair dialog", "_Close"))
        for expander in access.find(dialog, access.pyatspi.ROLE_TOGGLE_BUTTON):
            if expander.getState().contains(access.pyatspi.STATE_EXPANDED) != reasons_open:
                frame = self.x.frame(window)
                self.assertTrue(expander.queryAction().doAction(0))
                wait_for(lambda: self.x.frame(window) != frame, "the dialog to take its new size")
                time.sleep(0.3)  # and to be centred again
        shown = self.reading(dialog, window)
        buttons = [button for button in shown["buttons"] if not button["expander"]]
        return dict(shown, enabled=[button["name"] for button in buttons if button["enabled"]],
                    default=[button["name"] for button in buttons if button["default"]])

    def read_window(self, title, button=None):
        return self.reading(self.x.accessible().window(title, button), self.x.wait_window(title))

    def reading(self, dialog, window):
        """A window as a screen reader finds it. A caption is whole where its button shows inside the window:
        GTK never gives a button less than its caption asks, and grows the window instead."""
        access = self.x.accessible()
        pyatspi = access.pyatspi
        left, top, width, height = dialog.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        buttons = []
        for role, expander in ((pyatspi.ROLE_PUSH_BUTTON, False), (pyatspi.ROLE_TOGGLE_BUTTON, True)):
            for button in access.find(dialog, role):
                state = button.getState()
                x, y, w, h = button.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                action = button.queryAction()
                binding = action.getKeyBinding(0) if action.nActions else ""
                buttons.append({
                    "name": button.name, "key": binding.split(">")[-1].lower() or None,
                    "enabled": state.contains(pyatspi.STATE_SENSITIVE), "default": state.contains(pyatspi.STATE_IS_DEFAULT),
                    "whole": state.contains(pyatspi.STATE_SHOWING) and w > 0 and h > 0 and left <= x and top <= y
                    and x + w <= left + width and y + h <= top + height,
                    "expander": expander, "description": button.description})
        return {"texts": self.texts(dialog), "buttons": buttons, "frame": self.x.frame(window),
                "work": self.x.work_area(), "window": window}

    def press(self, title, button):
        access = self.x.accessible()
        pressed, = access.find(access.window(title, button), access.pyatspi.ROLE_PUSH_BUTTON, button)
        self.assertTrue(pressed.queryAction().doAction(0))

    def in_language(self, language):
        return {"LANGUAGE": language} if language else {}

    def start_launcher(self, folder, env, title):
        return self.start_elsewhere_in([LAUNCHER] + ([str(folder)] if folder else []), env, title)

    def record_steam_libraries(self, libraries):
        steam = self.home / ".local" / "share" / "Steam"
        write_steam_libraries(steam, [steam, *libraries])

    def install_caption(self, folder):
        return str(folder)

    def program_words(self):
        access = self.x.accessible()
        window = access.window(self.title, "Rename (Enable-Mod)")
        return window.name, [button.name for button in access.find(window, access.pyatspi.ROLE_PUSH_BUTTON)]

    def start_refused_repair(self, env):
        refused = ["strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=renameat2",
                   "-e", "inject=renameat2:error=EACCES:when=4", *self.repair_command]
        window = self.start(command=refused, title=self.repair_title, env=env)
        self.x.activate(window)
        return window

    def why_greyed_out(self, window, button):
        """The button's own description."""
        access = self.x.accessible()
        greyed, = access.find(access.window(self.repair_title, "Close"), access.pyatspi.ROLE_PUSH_BUTTON, button)
        return greyed.description

    def rename_lines(self, window, heading):
        access = self.x.accessible()
        dialog = access.window(self.repair_title, self.caption("repair dialog", "_Close"))
        renames, = access.find(dialog, access.pyatspi.ROLE_LIST_BOX, heading)
        return [row.name for row in renames]

    def read_message(self, window):
        return self.read_message_titled(self.repair_title)

    def read_message_titled(self, title):
        text = "\n".join(self.texts(self.x.accessible().window(title, "OK")))
        self.assertTrue(text, "a message with no words")
        return text

    def texts(self, window):
        """The words of every label in `window`, as a screen reader reads them."""
        access = self.x.accessible()
        return [label.name for label in access.find(window, access.pyatspi.ROLE_LABEL) if label.name]

    def hear_repair_dialog(self):
        """Named by its title; Tab stops only at what shows, and at the problem list once the expander is
        open. The list is a list box with a row for each problem, named by its text: Tab reaches its first row,
        selecting nothing, and Down the next. The greyed-out button says why in its description."""
        access = self.x.accessible()
        dialog = access.window(self.repair_title, "Close")
        self.assertEqual(dialog.getRoleName(), "alert")
        # A focused button is the default while it has the focus; away from the buttons, the dialog's own
        # default shows. It must be Close, so that Enter on the problem list renames nothing.
        access.tab_stops(lambda: self.x.key("Tab"))  # round once, and so on to the expander
        self.assertEqual(self.read_repair_dialog(self.x.wait_window(self.repair_title), False)["default"], ["Close"])
        expander, = access.find(dialog, access.pyatspi.ROLE_TOGGLE_BUTTON, "Why a button is greyed out")
        panes = access.find(dialog, access.pyatspi.ROLE_SCROLL_PANE)
        problems, = access.find(dialog, access.pyatspi.ROLE_LIST_BOX, "Why a button is greyed out")
        rows = [problems.getChildAtIndex(i) for i in range(problems.childCount)]
        self.assertEqual(len(rows), 7, "a row for each of the mod's files")
        self.assertTrue(all(row.getRole() == access.pyatspi.ROLE_LIST_ITEM for row in rows))
        self.assertTrue(rows[0].name.startswith(self.shown("streammusic/mus_area_ahto.mod.wav") + " is missing"),
                        rows[0].name)
        mod_music, = access.find(dialog, access.pyatspi.ROLE_PUSH_BUTTON, "Mod music")
        self.assertEqual(mod_music.description, f"Mod music is greyed out: {rows[0].name}. 6 more reasons are "
                                                "listed in this window.")
        for expanded in (False, True):
            with self.subTest(expanded=expanded):
                if expanded:
                    self.assertTrue(expander.queryAction().doAction(0))
                stops = access.tab_stops(lambda: self.x.key("Tab"))
                self.assertTrue(all(stop.showing for stop in stops), stops)
                self.assertEqual({stop.name for stop in stops}, {expander.name, "Normal music", "Close"}
                                 | ({rows[0].name} if expanded else set()))
                self.assertEqual([pane.getState().contains(access.pyatspi.STATE_VISIBLE) for pane in panes],
                                 [expanded])
        for _ in range(4):  # from where the round ended, on to the list
            if access.focus and access.focus[-1].name == rows[0].name:
                break
            access.focus.clear()
            self.x.key("Tab")
            access.wait(lambda: access.focus, "the focus to move on Tab")
        self.assertEqual(access.focus[-1][:2], ("list item", rows[0].name))
        self.assertFalse(any(row.getState().contains(access.pyatspi.STATE_SELECTED) for row in rows))
        access.focus.clear()
        self.x.key("Down")
        access.wait(lambda: access.focus and access.focus[-1].name == rows[1].name, "Down to the next row")

    def test_launcher_given_a_folder_starts_the_program_in_it(self):
        normal = gamefolder.normal_music()
        gamefolder.write(self.folder, normal)
        window = self.start_elsewhere(self.from_desktop(self.folder))
        self.assertIn(f'"{DESKTOP_ID}", "{DESKTOP_ID}"', self.x.run("xprop", "-id", str(window), "WM_CLASS"))
        self.assert_rename_click_switches(window, normal)

    def test_repair_action_of_the_desktop_entry_repairs_the_folder_it_is_given(self):
        entry = Path(DESKTOP_ENTRY).read_text().split("[Desktop Action repair]")[1]
        exec_line = next(line[5:] for line in entry.splitlines() if line.startswith("Exec="))
        self.assertEqual(exec_line.split(), ["vornhaskel-launch", "--repair", "%f"])
        normal = gamefolder.normal_music()
        gamefolder.write(self.folder, normal)
        window = self.start_elsewhere([LAUNCHER, "--repair", str(self.folder)], title=self.repair_title)
        self.x.activate(window)
        self.x.key("alt+m")
        self.wait_repair_message(window)
        self.assertEqual(gamefolder.read(self.folder), gamefolder.mod_active(normal))
        self.x.key("Return")
        self.assertEqual(self.exit_status(), 0)

    def install(self, library, name):
        """A game folder with the normal music that Steam installed in `library` as `name`, and its files."""
        game = Path(library) / "steamapps" / "common" / name
        normal = gamefolder.normal_music()
        gamefolder.write(game, normal)
        return game, normal

    @looks_in_the_stores
    def test_launcher_from_the_menu_starts_the_program_in_the_one_game_folder_steam_installed(self):
        """Beside it, a game of the same engine, whose music folders hold none of the managed names, and
        another game: neither is offered."""
        steam = self.home / ".local" / "share" / "Steam"
        write_steam_libraries(steam, [steam])
        game, normal = self.install(steam, "The Game")
        gamefolder.write(steam / "steamapps" / "common" / "Sister Game", {"streammusic/mus_theme.wav": b"x"})
        (steam / "steamapps" / "common" / "Another Game" / "data").mkdir(parents=True)
        window = self.start_elsewhere(self.from_desktop())
        self.assert_rename_click_switches(window, normal, game)

    @looks_in_the_stores
    def test_launcher_and_repair_from_the_menu_offer_each_game_folder_found_and_take_the_one_picked(self):
        """Steam in the home, and a second library elsewhere that its record names: the choice says where each
        was found, with a button for each; the launcher starts the program in the second, and the repair tool,
        started in Downloads, looks at the first."""
        steam = self.home / ".local" / "share" / "Steam"
        card = self.folder / "card" / "SteamLibrary"
        write_steam_libraries(steam, [steam, card])
        first, first_files = self.install(steam, "The Game")
        second, normal = self.install(card, "The Game")
        self.start_elsewhere(self.from_desktop(), title=self.dialog_title)
        access = self.x.accessible()
        dialog = access.window(self.dialog_title, str(second))
        self.x.screenshot(self.x.wait_window(self.dialog_title), f"{self.artefact_prefix}-launcher-choice.png")
        self.assertEqual(self.texts(dialog), ["The game is installed in 2 folders. Choose the one to use:",
                                              f"\u2022 {self.shown_path(first)} (Steam library)\n"
                                              f"\u2022 {self.shown_path(second)} (Steam library)"])
        self.assertEqual([button.name for button in access.find(dialog, access.pyatspi.ROLE_PUSH_BUTTON)],
                         [str(first), str(second), "Choose another folder\u2026", "Cancel"])
        self.x.activate(self.x.wait_window(self.dialog_title))
        self.x.key("Tab", "Return")  # from the first folder's button, which has the focus, to the second's
        window = self.x.wait_window(self.title)
        self.assert_rename_click_switches(window, normal, second)
        self.assertEqual(gamefolder.read(first), first_files)

        (self.folder / "Downloads").mkdir()
        choice = self.start(self.folder / "Downloads", command=self.repair_command, title=self.repair_title)
        access.window(self.repair_title, str(first))
        self.x.activate(choice)
        self.x.key("Return")
        window = wait_for(lambda: [w for w in self.x.visible_windows(self.repair_title) if w != choice],
                          "the repair dialog")[0]
        self.assert_repair_dialog(window, [f"Game folder: {self.shown_path(first)} (Steam library)"], enabled=["Mod music"])
        self.x.key("Escape")
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(gamefolder.read(first), first_files, "nothing renamed before the player acts")

    @looks_in_the_stores
    def test_launcher_from_the_menu_switches_the_folder_typed_into_the_chooser(self):
        normal = gamefolder.normal_music()
        gamefolder.write(self.folder, normal)
        self.x.screenshot(self.start_elsewhere(self.from_desktop(), title=self.chooser), "gtk-chooser.png")
        self.type_into_chooser(self.folder)
        window = self.x.wait_window(self.title)
        self.assert_rename_click_switches(window, normal)

    def test_launcher_holds_back_a_click_that_would_stop_part_way_and_offers_the_repair_tool(self):
        """Each state of the folder: the program's window where a click can do no harm; elsewhere the
        launcher's window, named "vornhaskel", with the reason, whose default opens the repair tool on the
        folder, and whose Cancel ends with 0. No file changes before a click."""
        normal = gamefolder.normal_music()
        stock = gamefolder.normal_music(with_mod=False)
        half = dict(normal)
        for base in ("mus_area_ahto", "mus_area_cant1"):
            half[gamefolder.backup("streammusic", base)] = half.pop(gamefolder.live("streammusic", base))
        no_mod = ("The mod's 7 files are not in place: Rename (Enable-Mod) would put away the game's 21 tracks "
                  "and stop, leaving the game without music.")
        stopped = ("Neither button can change anything here: the first rename of each would fail, as after a "
                   "switch that stopped part way.")
        for name, files, reason, key in (("mod music", gamefolder.mod_active(normal), None, None),
                                         ("the mod's files not in place", stock, no_mod, "Return"),
                                         ("half switched", half, stopped, "Escape")):
            with self.subTest(name):
                game = self.folder / name
                gamefolder.write(game, files)
                if reason is None:
                    window = self.start_elsewhere(self.from_desktop(game))
                    self.x.close_window(window)
                    self.assertEqual(self.exit_status(), 0)
                    continue
                window = self.start_elsewhere(self.from_desktop(game), title=self.dialog_title)
                self.dialog_expected = True
                access = self.x.accessible()
                held = access.window(self.dialog_title, "Open the repair tool")
                self.assertEqual(self.texts(held), [reason, f"Game folder: {self.shown_path(game)}"])
                buttons = access.find(held, access.pyatspi.ROLE_PUSH_BUTTON)
                self.assertEqual([b.name for b in buttons], ["Open the repair tool", "Choose another folder…", "Cancel"])
                self.assertEqual(gamefolder.read(game), files)
                self.x.activate(window)
                self.x.key(key)
                if key == "Return":
                    self.x.wait_window(self.repair_title)
                    self.assertIn(f"Game folder: {self.shown_path(game)}", self.read_repair_dialog(
                        self.x.wait_window(self.repair_title))["texts"])
                    self.x.key("Escape")
                self.assertEqual(self.exit_status(), 0)
                self.assertEqual(gamefolder.read(game), files)

    @looks_in_the_stores
    def test_launcher_takes_a_literal_field_code_for_no_folder(self):
        """Steam may pass the desktop entry's %f as it stands: the launcher then looks for the game itself."""
        self.x.activate(self.start_elsewhere([LAUNCHER, "%f"], title=self.chooser))
        self.x.key("Escape")
        self.assertEqual(self.exit_status(), 0)

    def test_launcher_given_the_folder_above_starts_the_program_in_the_game_folder(self):
        game = self.folder / "Library" / "The Game"
        normal = gamefolder.normal_music()
        gamefolder.write(game, normal)
        window = self.start_elsewhere(self.from_desktop(self.folder))
        self.assert_rename_click_switches(window, normal, game)

    def test_launcher_given_a_folder_without_the_game_says_so_then_asks_with_the_chooser(self):
        (self.folder / "streammusic").mkdir()
        self.start_elsewhere(self.from_desktop(self.folder), title=self.dialog_title)
        self.dismiss(self.wait_dialog())
        self.x.activate(self.x.wait_window(self.chooser))
        self.x.key("Escape")
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(self.x.visible_windows(self.title), [])

    @looks_in_the_stores
    def test_escape_in_the_chooser_starts_nothing(self):
        normal = gamefolder.normal_music()
        gamefolder.write(self.folder, normal)
        self.x.activate(self.start_elsewhere(self.from_desktop(), title=self.chooser))
        self.x.key("Escape")
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(self.x.visible_windows(self.title), [])
        self.assertEqual(gamefolder.read(self.folder), normal)

    def test_launcher_given_a_folder_it_cannot_enter_says_so_even_with_return_held_then_asks(self):
        """The message stays up until Return is pressed afresh; then the chooser asks for another folder, and
        Cancel there ends with 1: the folder given was never opened."""
        self.hold("Return")
        self.start_elsewhere(self.from_desktop(self.folder / "no such folder"), title=self.dialog_title)
        dialog = self.wait_dialog()
        self.assertEqual(self.read_message_titled(self.dialog_title),
                         f"Cannot open the folder {self.shown_path(self.folder / 'no such folder')}: "
                         "No such file or directory")
        self.assert_waiting(1.5)  # well past the auto-repeat delay
        self.release("Return")
        self.assert_waiting(0.3)
        self.dismiss(dialog)
        self.x.activate(self.x.wait_window(self.chooser))
        self.x.key("Escape")
        self.assertEqual(self.exit_status(), 1)
        self.assertEqual(self.x.visible_windows(self.title), [])

    def test_launcher_without_proc_runs_no_program_planted_in_the_game_folder(self):
        """Without /proc the launcher cannot tell where it lies; it must not fall back to a bare name,
        which would run a file of that name from the folder it has just entered."""
        # A chroot, or a container with default settings, refuses user namespaces.
        namespace = ["unshare", "--mount", "--map-root-user"]
        probe = subprocess.run([*namespace, "true"], capture_output=True, text=True, timeout=60)
        if probe.returncode != 0:
            self.skipTest(f"this system gives no user and mount namespace: {probe.stderr.strip()}")
        gamefolder.write(self.folder, gamefolder.normal_music())
        planted = self.folder / "vornhaskel"
        planted.write_text(f"#!/bin/sh\ntouch '{self.folder}/planted-ran'\n")
        planted.chmod(0o755)
        hide_proc = f"mount -t tmpfs none /proc && exec '{LAUNCHER}' '{self.folder}'"
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        result = subprocess.run([*namespace, "sh", "-c", hide_proc], env=env,
                                capture_output=True, text=True, timeout=60)
        if "mount" in result.stderr and "vornhaskel-launch" not in result.stderr:
            self.skipTest(f"no mount namespace here: {result.stderr.strip()}")
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertIn("/proc/self/exe", result.stderr)
        self.assertFalse((self.folder / "planted-ran").exists())

    def test_enter_released_while_the_program_is_busy_is_not_a_fresh_press(self):
        """Return held elsewhere, then the window activated while the program cannot read events, and the
        key released before it can: the repeats queued meanwhile must not count as a fresh press."""
        normal = gamefolder.normal_music()
        gamefolder.write(self.folder, normal)
        window = self.start()
        other = subprocess.Popen(["xmessage", "-title", "elsewhere", "elsewhere"], env=self.x.env,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(other.wait)
        self.addCleanup(other.kill)
        self.x.activate(self.x.wait_window("elsewhere"))
        self.hold("Return")
        time.sleep(0.8)  # past the auto-repeat delay
        os.kill(self.process.pid, signal.SIGSTOP)
        try:
            self.x.run("xdotool", "windowactivate", str(window))
            time.sleep(0.8)  # repeats queue up for the stopped program
            self.release("Return")
        finally:
            os.kill(self.process.pid, signal.SIGCONT)
        self.assert_waiting(1.0)
        self.assertEqual(gamefolder.read(self.folder), normal)
        self.x.activate(window)
        self.x.key("Return")
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(gamefolder.read(self.folder), gamefolder.mod_active(normal))

    def test_window_is_form1_with_a_312_by_206_client_area(self):
        gamefolder.write(self.folder, gamefolder.normal_music())
        window = self.start()
        info = self.x.info(window)
        self.assertEqual((info["width"], info["height"]), (312, 206))
        self.x.screenshot(window, f"{self.artefact_prefix}-window.png")
        icon = self.x.run("xprop", "-id", str(window), "_NET_WM_ICON")
        for size in (16, 32, 48):
            self.assertIn(f"Icon ({size} x {size})", icon)

    def test_large_text_grows_the_layout_so_both_captions_fit(self):
        """Text scaled by 1.5, as GNOME's Large Text does: the whole layout converts at 144 dpi. A caption
        that asked for more height than its button has would stretch the button past its box."""
        self.dpi = 144
        large = {"GDK_DPI_SCALE": "1.5"}
        window = self.start(env=large)
        info = self.x.info(window)
        self.assertEqual((info["width"], info["height"]), (468, 309))
        self.x.screenshot(window, f"{self.artefact_prefix}-large-text-window.png")
        self.stop()
        self.check_button_edges(env=large)

    def test_repair_that_stops_part_way_ends_with_1_losing_nothing(self):
        """The fourth rename of the plan refused, as a held or protected file would be."""
        parked = gamefolder.parked(gamefolder.normal_music(with_mod=False))
        gamefolder.write(self.folder, parked)
        refused = ["strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=renameat2",
                   "-e", "inject=renameat2:error=EACCES:when=4", *self.repair_command]
        window = self.start(command=refused, title=self.repair_title)
        self.x.activate(window)
        self.x.key("alt+n")
        message = self.wait_repair_message(window)
        self.assertIn("A rename failed, so the repair stopped: streammusic\\mus_area_sewers.original.wav -> "
                      "streammusic\\mus_area_sewers.wav: Permission denied\n\nThe folder is now mixed: 3 tracks set "
                      "for the normal music", self.read_message(message))
        self.x.activate(message)
        self.x.key("Return")
        self.assertEqual(self.exit_status(), 1)
        after = gamefolder.read(self.folder)
        self.assertEqual(sorted(after.values()), sorted(parked.values()), "every file is still there, intact")
        self.assertIn("streammusic/mus_area_sewers.original.wav", after)

    def test_an_assistive_press_that_ends_in_a_message_leaves_return_to_end_the_program(self):
        """A button pressed through AT-SPI, as a screen reader or a switch device presses it, with a listener
        that reads each object the focus reaches: Return on the message that follows ends the program. A
        message shown from inside the press left the accessibility bridge waiting on itself."""
        access = self.x.accessible()
        parked = gamefolder.parked(gamefolder.normal_music(with_mod=False))
        for command, title, files, button, message, status in (
                (self.command, self.title, {}, "Un-rename (Normal Music)", self.dialog_title, 1),
                (self.repair_command, self.repair_title, parked, "Normal music", self.repair_title, 0)):
            with self.subTest(button):
                gamefolder.write(self.folder, files)
                self.start(command=command, title=title)
                pressed, = access.find(access.window(title, button), access.pyatspi.ROLE_PUSH_BUTTON, button)
                self.dialog_expected = True
                self.assertTrue(pressed.queryAction().doAction(0))
                access.wait(lambda: access.Focus("push button", "OK", True, "alert", message) in access.focus,
                            f"the focus on OK in a message named {message!r}")
                self.x.key("Return")
                self.assertEqual(self.exit_status(timeout=10), status)

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

    def test_repair_takes_the_music_folder_spelt_as_the_game_spells_it_beside_the_mods_twin(self):
        """The game's own streamsounds spelt "StreamSounds"; unzipping the mod made a second, lower-case
        streamsounds holding only its six files. The game's folder is the music folder: Mod music moves the
        six into it and switches there, and the twin is left empty."""
        normal = gamefolder.normal_music()
        game = {name.replace("streamsounds/", "StreamSounds/"): contents
                for name, contents in normal.items() if not (name.startswith("streamsounds/") and ".mod." in name)}
        gamefolder.write(self.folder, game, folders=("streammusic", "StreamSounds", "streamsounds"))
        for name, contents in normal.items():
            if name.startswith("streamsounds/") and ".mod." in name:
                (self.folder / name).write_bytes(contents)
        window = self.start_repair()
        self.assert_repair_dialog(window, ["The names are set for the normal music.",
                                           self.shown("streamsounds/mus_sbat_acad.mod.wav") + " will become " +
                                           self.shown("StreamSounds/mus_sbat_acad.mod.wav")], enabled=["Mod music"])
        self.x.key("alt+m")
        message = self.wait_repair_message(window)
        self.assertEqual(self.read_message(message), "The names are now set for the mod's music.")
        switched = {name.replace("streamsounds/", "StreamSounds/"): contents
                    for name, contents in gamefolder.mod_active(normal).items()}
        self.assertEqual({**gamefolder.read(self.folder), **{f"StreamSounds/{p.name}": gamefolder.Contents(
            p.read_bytes()) for p in (self.folder / "StreamSounds").iterdir()}}, switched)
        self.assertEqual(list((self.folder / "streamsounds").iterdir()), [], "the twin is left empty, and kept")
        self.x.activate(message)
        self.x.key("Return")
        self.assertEqual(self.exit_status(), 0)

    def test_repair_lays_a_rename_row_left_to_right_whatever_script_its_folder_is_in(self):
        """The mod unpacked into a folder with a Hebrew name: GTK would take the row's direction from its first
        letter and read the game's file as moving into the mod's folder; each path is set apart instead."""
        stock = gamefolder.normal_music(with_mod=False)
        gamefolder.write(self.folder, stock)
        hebrew = "\u05de\u05d5\u05d6\u05d9\u05e7\u05d4"
        for name, contents in gamefolder.normal_music().items():
            if name not in stock:
                (self.folder / hebrew / name).parent.mkdir(parents=True, exist_ok=True)
                (self.folder / hebrew / name).write_bytes(contents)
        window = self.start_repair()
        self.x.screenshot(window, "linux-repair-right-to-left-folder.png")
        access = self.x.accessible()
        renames, = access.find(access.window(self.repair_title, "Close"), access.pyatspi.ROLE_LIST_BOX,
                               "Mod music first renames:")
        row = [row for row in renames if "mus_sbat_acad" in row.name][0]
        first, second = self.shown(f"{hebrew}/streamsounds/mus_sbat_acad.mod.wav"), \
            self.shown("streamsounds/mus_sbat_acad.mod.wav")
        self.assertEqual(row.name, f"{first} will become {second}")
        label, = access.find(row, access.pyatspi.ROLE_LABEL)
        text = label.queryText()
        left = [text.getCharacterExtents(at, access.pyatspi.DESKTOP_COORDS)[0]
                for at in (row.name.index("streamsounds"), row.name.index("will"), row.name.rindex("streamsounds"))]
        self.assertEqual(left, sorted(left), "the row reads left to right: the found file, then what it becomes")
        self.x.activate(window)
        self.x.key("Return")  # Close
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(gamefolder.read(self.folder), stock)


if __name__ == "__main__":
    GtkProgram.command = [os.path.abspath(sys.argv.pop(1))]
    GtkProgram.repair_command = [os.path.abspath(sys.argv.pop(1))]
    LAUNCHER, DESKTOP_ENTRY = os.path.abspath(sys.argv.pop(1)), sys.argv.pop(1)
    unittest.main(verbosity=2)
