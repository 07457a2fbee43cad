"""End-to-end harness: a real X server (Xvfb), a real window manager (openbox)
and real input (xdotool) around the real program, run in a scratch game folder.
Shared by the GTK program and the Windows executable under Wine."""

import functools
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import warnings

from collections import namedtuple
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
import gamefolder  # noqa: E402
from xvfb import start_xvfb  # noqa: E402

sys.path.insert(0, str(Path(__file__).resolve().parent))
from catalogs import Catalog, fill, unmarked  # noqa: E402

ARTEFACTS = Path(os.environ.get("VORNHASKEL_ARTEFACTS", tempfile.gettempdir()))


class X11Session:
    """Xvfb with openbox on a display of its own; stopped with the test class."""

    def __init__(self, width=1024, height=768):
        self.xvfb, self.display = start_xvfb(width, height)
        self.env = dict(os.environ, DISPLAY=self.display)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.openbox_log = tempfile.TemporaryFile()
        self.accessibility = None  # an AccessibilityBus, started on first use
        self.start_openbox()
        restarts = 0

        def managed():
            nonlocal restarts
            if self.openbox.poll() is not None:
                # On a loaded machine openbox now and then fails to open a display
                # that Xvfb has just announced; a second start finds it.
                self.openbox_log.seek(0)
                log = self.openbox_log.read()
                if restarts == 5 or self.xvfb.poll() is not None:
                    raise AssertionError(f"openbox ended with {self.openbox.returncode}: {log!r}")
                restarts += 1
                time.sleep(0.2)
                self.start_openbox()
                return False
            return "window id" in self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False)

        wait_for(managed, "openbox to manage the display", timeout=60)

    def start_openbox(self):
        self.openbox = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                        stdout=self.openbox_log, stderr=subprocess.STDOUT)

    def run(self, *command, check=True, env=None):
        result = subprocess.run(command, env=env or self.env, capture_output=True, text=True, timeout=60)
        if check and result.returncode != 0:
            raise AssertionError(f"{command} failed: {result.stderr}")
        return result.stdout

    def accessible(self):
        """The session's accessibility bus."""
        if self.accessibility is None:
            self.accessibility = AccessibilityBus(self.env)
        return self.accessibility

    def close(self):
        self.openbox_log.close()
        if self.accessibility:
            self.accessibility.close()
        for process in (self.openbox, self.xvfb):
            process.terminate()
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()

    # -- windows -------------------------------------------------------------

    def visible_windows(self, title):
        out = self.run("xdotool", "search", "--onlyvisible", "--name", f"^{re.escape(title)}$", check=False)
        return [int(line) for line in out.split()]

    def wait_window(self, title, timeout=60):
        return wait_for(lambda: (self.visible_windows(title) or [None])[0], f"a window titled {title!r}", timeout)

    def info(self, window):
        """xwininfo's reading of a window: size, position and map state."""
        out = self.run("xwininfo", "-id", str(window))
        fields = dict(re.findall(r"^\s*([A-Za-z -]+):\s*(.+)$", out, re.M))
        return {"width": int(fields["Width"]), "height": int(fields["Height"]),
                "x": int(fields["Absolute upper-left X"]), "y": int(fields["Absolute upper-left Y"]),
                "mapped": fields["Map State"] == "IsViewable"}

    def frame(self, window):
        """The window with the frame the window manager gave it: [left, top, right, bottom]."""
        info = self.info(window)
        extents = self.run("xprop", "-id", str(window), "_NET_FRAME_EXTENTS")
        left, right, top, bottom = (int(n) for n in re.findall(r"\d+", extents.split("=")[-1])[:4]) \
            if "=" in extents else (0, 0, 0, 0)
        return [info["x"] - left, info["y"] - top, info["x"] + info["width"] + right,
                info["y"] + info["height"] + bottom]

    def work_area(self):
        """The desktop's work area as the window manager gives it: [left, top, right, bottom]."""
        x, y, width, height = (int(n) for n in re.findall(r"\d+", self.run("xprop", "-root", "_NET_WORKAREA"))[:4])
        return [x, y, x + width, y + height]

    def click(self, window, x, y):
        """A real pointer click at (x, y) inside the window's client area."""
        self.run("xdotool", "mousemove", "--window", str(window), str(x), str(y), "click", "1")

    def activate(self, window):
        self.run("xdotool", "windowactivate", "--sync", str(window))

    def close_window(self, window):
        """The window manager's close command (_NET_CLOSE_WINDOW), as the title-bar button sends."""
        self.run("wmctrl", "-i", "-c", hex(window))

    def key(self, *keys):
        self.run("xdotool", "key", "--delay", "50", *keys)

    def screenshot(self, window, name):
        """Saves the window with the frame the window manager gave it."""
        ARTEFACTS.mkdir(parents=True, exist_ok=True)
        path = ARTEFACTS / name
        self.run("import", "-frame", "-window", str(window), str(path))
        return path


class AccessibilityBus:
    """A session bus with the accessibility bus on it, as a desktop session starts them, and this process as
    a screen reader on it: an AT-SPI client with a listener for focus changes, which reads each newly
    focused object and its window, as Orca does.

    Programs started with `env` show their accessible trees here. libatspi connects once per process, to
    the bus named in the environment at its first use, so a test process has one of these at most."""

    def __init__(self, x_env):
        self.session = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                        env=x_env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.env = dict(x_env, DBUS_SESSION_BUS_ADDRESS=self.session.stdout.readline().strip())
        self.launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                         env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Asked without starting it: a call to org.a11y.Bus itself would have the session bus start a second.
        ask = ["dbus-send", "--session", "--dest=org.freedesktop.DBus", "--print-reply", "/org/freedesktop/DBus",
               "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"]
        wait_for(lambda: "true" in subprocess.run(ask, env=self.env, capture_output=True, text=True).stdout,
                 "the accessibility bus")
        os.environ.update(DISPLAY=self.env["DISPLAY"], DBUS_SESSION_BUS_ADDRESS=self.env["DBUS_SESSION_BUS_ADDRESS"])
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            import pyatspi  # Debian's python3-pyatspi
            from gi.repository import GLib
        warnings.filterwarnings("ignore", category=DeprecationWarning, module="pyatspi")
        self.pyatspi, self.GLib, self.context = pyatspi, GLib, GLib.MainContext.default()
        self.focus = []  # a Focus for each object that gained the focus, in that order
        pyatspi.Registry.registerEventListener(self.on_focus, "object:state-changed:focused")

    Focus = namedtuple("Focus", "role name showing window_role window")

    def on_focus(self, event):
        if not event.detail1:
            return
        try:
            window = event.source
            while window.parent is not None and window.parent.getRole() != self.pyatspi.ROLE_APPLICATION:
                window = window.parent
            self.focus.append(self.Focus(event.source.getRoleName(), event.source.name,
                                         event.source.getState().contains(self.pyatspi.STATE_SHOWING),
                                         window.getRoleName(), window.name))
        except self.GLib.GError:
            pass  # gone before it could be read, or a program that does not answer: what the case waits for fails

    def wait(self, probe, what, timeout=30):
        """wait_for, delivering the listener's events meanwhile."""
        def delivered():
            self.deliver()
            return probe()
        return wait_for(delivered, what, timeout)

    def deliver(self):
        """Hands the listener the events that have come in."""
        while self.context.iteration(False):
            pass

    def tab_stops(self, press):
        """Where the focus goes on each Tab, once round from where it is: `press` sends one Tab."""
        stops = []
        while True:
            self.deliver()
            self.focus.clear()
            press()
            stop = self.wait(lambda: self.focus and self.focus[-1], "the focus to move on Tab", timeout=10)
            if stop in stops or len(stops) == 10:
                return stops
            stops.append(stop)

    def window(self, name, button):
        """The top-level window named `name` that shows and holds a push button named `button`, once it is
        there. The focus heard until then is forgotten: it may come from programs that have ended since."""
        self.deliver()
        self.focus.clear()
        def find():
            for application in self.pyatspi.Registry.getDesktop(0):
                try:
                    for window in application or ():
                        if (window is not None and window.name == name
                                and window.getState().contains(self.pyatspi.STATE_SHOWING)
                                and self.find(window, self.pyatspi.ROLE_PUSH_BUTTON, button)):
                            return window
                except self.GLib.GError:  # a program that has just ended
                    pass
            return None
        return self.wait(find, f"an accessible window named {name!r} with a button {button!r}")

    def find(self, root, role, name=None):
        """The descendants of `root` with this role (and name), in tree order."""
        return self.pyatspi.findAllDescendants(
            root, lambda node: node.getRole() == role and (name is None or node.name == name))

    def close(self):
        for process in (self.launcher, self.session):
            process.terminate()
            process.wait(timeout=10)


def made_up_home(home):
    """The environment of a program that reads the player's home, with HOME and its XDG folders in `home`: the
    records of the game stores on the machine that runs the tests are never read."""
    home = Path(home)
    return {"HOME": str(home), "XDG_DATA_HOME": str(home / ".local/share"), "XDG_CONFIG_HOME": str(home / ".config"),
            "XDG_CACHE_HOME": str(home / ".cache"), "XDG_STATE_HOME": str(home / ".local/state")}


def write_steam_libraries(steam, libraries):
    """Steam installed in `steam`, its steamapps/libraryfolders.vdf in the format Steam has written since 2021
    naming `libraries` (paths as Steam writes them: backslashes doubled)."""
    entries = "".join(f'\t"{i}"\n\t{{\n\t\t"path"\t\t"{str(path).replace(chr(92), chr(92) * 2)}"\n\t}}\n'
                      for i, path in enumerate(libraries))
    (Path(steam) / "steamapps" / "common").mkdir(parents=True, exist_ok=True)
    (Path(steam) / "steamapps" / "libraryfolders.vdf").write_text(f'"libraryfolders"\n{{\n{entries}}}\n')


def removable_steam_libraries(media="/run/media"):
    """The Steam libraries on this machine's removable drives, where the Linux tools look whatever the home."""
    return [str(found) for pattern in ("*/steamapps", "*/*/steamapps", "*/SteamLibrary/steamapps",
                                       "*/*/SteamLibrary/steamapps") for found in Path(media).glob(pattern)]


def looks_in_the_stores(case):
    """A case whose tool, given no folder, looks where the stores installed the game. Where the tool also looks at
    the removable drives whatever the home, a machine whose drives hold a Steam library skips it: the case would
    see that machine's games."""
    @functools.wraps(case)
    def guarded(self):
        if self.reads_removable_drives and removable_steam_libraries():
            self.skipTest(f"this machine's removable drives hold Steam libraries: {removable_steam_libraries()}")
        return case(self)
    return guarded


def wait_for(probe, what, timeout=30, interval=0.05):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = probe()
        if value:
            return value
        time.sleep(interval)
    raise AssertionError(f"timed out waiting for {what}")


class ProgramCases:
    """Runs the program under test in scratch game folders on one X session.

    Mixed into a unittest.TestCase. Subclasses set `command` (the argv that starts the program) and may set
    `extra_env` (Wine's settings, for example)."""

    command = None
    extra_env = {}
    title = "Form1"
    dialog_title = "vornhaskel"
    artefact_prefix = "program"
    catalog = Catalog()  # the companions' language: English, but in the case that runs them in others
    scratch = None  # the folder for the scratch game folders; the system's temporary folder if None
    reads_removable_drives = False  # the tools look for Steam libraries on removable drives

    @classmethod
    def setUpClass(cls):
        cls.x = X11Session()

    @classmethod
    def tearDownClass(cls):
        cls.x.close()

    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="vornhaskel-e2e-", dir=self.scratch))
        self.addCleanup(shutil.rmtree, self.folder, ignore_errors=True)
        self.started = []  # every program the case started

    def start(self, folder=None, command=None, env=None, title=None):
        env = dict(self.x.env, **self.extra_env, **(env or {}))
        self.process = subprocess.Popen(command or self.command, cwd=folder or self.folder, env=env,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.dialog_expected = False
        self.started.append(self.process)
        self.addCleanup(self.stop, self.process)  # each one started, though a case starts several

        def shown():
            if self.process.poll() is not None:
                raise AssertionError(f"the program ended with {self.process.returncode} before showing its window")
            return (self.x.visible_windows(title or self.title) or [None])[0]
        return wait_for(shown, f"a window titled {title or self.title!r}", timeout=60)

    def stop(self, process=None):
        process = process or self.process
        if process.poll() is None:
            process.kill()
            process.wait()

    def exit_status(self, timeout=60):
        """Waits for the end; a failure dialog that the case did not expect fails it at once."""
        def ended():
            if not self.dialog_expected and self.x.visible_windows(self.dialog_title):
                raise AssertionError("an unexpected failure dialog is up")
            return self.process.poll() is not None
        wait_for(ended, "the program to end", timeout, interval=0.1)
        return self.process.returncode

    def wait_dialog(self):
        """Waits for the failure dialog; checks it is the only one and that the main window stays hidden."""
        self.dialog_expected = True
        dialog = self.x.wait_window(self.dialog_title)
        time.sleep(0.3)
        self.assertEqual(len(self.x.visible_windows(self.dialog_title)), 1, "exactly one dialog")
        self.assertEqual(self.x.visible_windows(self.title), [], "main window stays hidden")
        return dialog

    def dismiss(self, dialog):
        self.x.activate(dialog)
        self.x.key("Return")

    # -- the cases every build of the program must pass ---------------------

    dpi = 96  # the layout's pixels per inch
    RENAME_BOX = (1080, 240, 2055, 855)  # twips: left, top, width, height
    UNRENAME_BOX = (1080, 1680, 2055, 855)

    def px(self, twips):
        """MulDiv(twips, dpi, 1440), rounded half away from zero, as both programs convert."""
        return (twips * self.dpi + 720) // 1440

    def box(self, twips):
        return [self.px(value) for value in twips]

    def centre(self, twips):
        left, top, width, height = self.box(twips)
        return left + width // 2, top + height // 2

    @property
    def RENAME_CENTRE(self):
        return self.centre(self.RENAME_BOX)

    @property
    def UNRENAME_CENTRE(self):
        return self.centre(self.UNRENAME_BOX)

    def click_button(self, window, centre):
        self.x.click(window, *centre)

    def test_click_rename_then_unrename_switches_both_ways(self):
        normal = gamefolder.normal_music()
        gamefolder.write(self.folder, normal)
        self.click_button(self.start(), self.RENAME_CENTRE)
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(gamefolder.read(self.folder), gamefolder.mod_active(normal))

        self.click_button(self.start(), self.UNRENAME_CENTRE)
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(gamefolder.read(self.folder), normal)

    def test_clicks_just_outside_either_button_do_nothing(self):
        self.check_button_edges()

    def check_button_edges(self, env=None):
        """Clicks one pixel outside each edge of each button change nothing; the far corner of rename is
        still rename. A button grown by its caption, or placed or sized wrongly, fails this."""
        normal = gamefolder.normal_music()
        gamefolder.write(self.folder, normal)
        window = self.start(env=env)
        for twips in (self.RENAME_BOX, self.UNRENAME_BOX):
            left, top, width, height = self.box(twips)
            for x, y in ((left - 1, top + height // 2), (left + width, top + height // 2),
                         (left + width // 2, top - 1), (left + width // 2, top + height)):
                self.x.click(window, x, y)
        self.assert_waiting(0.5)
        self.assertEqual(gamefolder.read(self.folder), normal)
        left, top, width, height = self.box(self.RENAME_BOX)
        self.x.click(window, left + width - 1, top + height - 1)  # the far corner is still the button
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(gamefolder.read(self.folder), gamefolder.mod_active(normal))

    def test_enter_right_after_start_runs_rename(self):
        normal = gamefolder.normal_music()
        gamefolder.write(self.folder, normal)
        window = self.start()
        self.x.activate(window)
        self.x.key("Return")
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(gamefolder.read(self.folder), gamefolder.mod_active(normal))

    def hold(self, key):
        """Holds `key` down until the test ends, or until release() is called."""
        self.x.run("xdotool", "keydown", key)
        self.addCleanup(self.release, key)

    def release(self, key):
        self.x.run("xdotool", "keyup", key)

    def assert_waiting(self, seconds):
        """The program is still running after `seconds`, its window shown."""
        time.sleep(seconds)
        self.assertIsNone(self.process.poll(), "the program ended")

    def test_enter_held_from_the_launch_acts_only_once_pressed_afresh(self):
        normal = gamefolder.normal_music()
        gamefolder.write(self.folder, normal)
        self.hold("Return")
        window = self.start()
        self.x.activate(window)
        self.assert_waiting(1.5)  # well past the auto-repeat delay
        self.release("Return")
        self.assert_waiting(0.3)
        self.assertEqual(gamefolder.read(self.folder), normal)
        self.x.key("Return")
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(gamefolder.read(self.folder), gamefolder.mod_active(normal))

    def test_enter_held_through_a_failing_switch_leaves_the_message_up(self):
        active = gamefolder.mod_active(gamefolder.normal_music())
        gamefolder.write(self.folder, active)
        self.x.activate(self.start())
        self.hold("Return")
        self.assert_message_outlasts_held_return()
        self.assertEqual(gamefolder.read(self.folder), active)

    def assert_message_outlasts_held_return(self):
        """With Return held down, the failure message stays up until Return is pressed afresh; then exit 1."""
        dialog = self.wait_dialog()
        self.assert_waiting(1.5)  # well past the auto-repeat delay
        self.release("Return")
        self.assert_waiting(0.3)
        self.assertEqual(len(self.x.visible_windows(self.dialog_title)), 1, "the message is still up")
        self.dismiss(dialog)
        self.assertEqual(self.exit_status(), 1)

    def test_tab_moves_focus_from_rename_to_unrename(self):
        normal = gamefolder.normal_music()
        active = gamefolder.mod_active(normal)
        gamefolder.write(self.folder, active)
        window = self.start()
        self.x.activate(window)
        self.x.key("Tab", "space")
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(gamefolder.read(self.folder), normal)

    def test_closing_the_window_touches_no_file(self):
        normal = gamefolder.normal_music()
        gamefolder.write(self.folder, normal)
        self.x.close_window(self.start())
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(gamefolder.read(self.folder), normal)

    def test_rename_when_mod_is_active_shows_one_dialog_and_changes_nothing(self):
        active = gamefolder.mod_active(gamefolder.normal_music())
        gamefolder.write(self.folder, active)
        self.click_button(self.start(), self.RENAME_CENTRE)
        dialog = self.wait_dialog()
        self.x.screenshot(dialog, f"{self.artefact_prefix}-failure.png")
        self.assertEqual(gamefolder.read(self.folder), active)
        self.dismiss(dialog)
        self.assertEqual(self.exit_status(), 1)
        self.assertEqual(gamefolder.read(self.folder), active)

    def test_stock_files_only_stop_at_the_first_mod_file(self):
        stock = gamefolder.normal_music(with_mod=False)
        gamefolder.write(self.folder, stock)
        self.click_button(self.start(), self.RENAME_CENTRE)
        self.dismiss(self.wait_dialog())
        self.assertEqual(self.exit_status(), 1)
        self.assertEqual(gamefolder.read(self.folder), gamefolder.parked(stock))

    # -- the repair tool, started in the game folder -------------------------

    repair_command = None  # the argv that starts the repair tool
    repair_title = "vornhaskel repair"  # its window, and the message after a repair
    repair_buttons = ("Normal music", "Mod music", "Choose the game folder\u2026", "Close")
    chooser = "Choose the game folder"

    def shown_path(self, path):
        """`path` as the platform's dialogs spell it in a sentence: on Linux set left to right and isolated."""
        return f"\u200e\u2066{path}\u2069"

    def shown(self, relative):
        """A path below the game folder, written with "/", as the platform's dialogs spell it in a sentence."""
        return f"\u200e\u2066{relative}\u2069"

    def type_into_chooser(self, folder):
        """Types `folder` into the platform's folder chooser, which is up or coming, and accepts it."""
        raise NotImplementedError

    def wait_repair_message(self, dialog):
        """The message that follows the repair dialog: a window of the same title, but another."""
        return wait_for(lambda: [w for w in self.x.visible_windows(self.repair_title) if w != dialog],
                        "the message after the repair")[0]

    def start_repair(self, env=None):
        window = self.start(command=self.repair_command, title=self.repair_title, env=env)
        self.x.activate(window)
        return window

    def read_repair_dialog(self, window, reasons_open=True):
        """What the dialog shows, with its reasons opened or folded:
        {"texts": [...], "enabled": [button captions, without access keys], "default": [the same], "frame":
        [left, top, right, bottom], "work": [the monitor's work area, the same]}."""
        raise NotImplementedError

    def why_greyed_out(self, window, button):
        """What tells a screen reader why `button` is greyed out."""
        raise NotImplementedError

    def rename_lines(self, window, heading):
        """Every line of the dialog's list of renames under `heading`, as a player can read them all there."""
        raise NotImplementedError

    def read_message(self, window):
        """The text of a message box."""
        raise NotImplementedError

    def assert_repair_dialog(self, window, texts, enabled, reasons_open=True):
        shown = self.read_repair_dialog(window, reasons_open)
        for text in texts:
            self.assertTrue(any(text in line for line in shown["texts"]), f"{text!r} not in {shown['texts']}")
        self.assertEqual(sorted(shown["enabled"]), sorted(enabled + ["Close"]))
        self.assertEqual(shown["default"], ["Close"], "Enter alone renames nothing")
        (left, top, right, bottom), (work_left, work_top, work_right, work_bottom) = shown["frame"], shown["work"]
        self.assertTrue(work_left <= left and work_top <= top and right <= work_right and bottom <= work_bottom,
                        f"{shown['frame']} is not within the work area {shown['work']}")

    def hear_repair_dialog(self):
        """Checks the repair dialog now up as a screen reader finds it, where the platform exposes enough."""

    def test_repair_brings_back_the_music_that_a_rename_without_mod_files_parked(self):
        stock = gamefolder.normal_music(with_mod=False)
        parked = gamefolder.parked(stock)
        gamefolder.write(self.folder, parked)
        self.start_repair()
        self.x.key("Return")  # Close is the default and has the focus: Enter alone renames nothing
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(gamefolder.read(self.folder), parked)

        window = self.start_repair()
        self.x.screenshot(window, f"{self.artefact_prefix}-repair.png")
        self.hear_repair_dialog()
        self.assert_repair_dialog(window, [
            "The folder is mixed: 14 tracks set for the mod's music, 7 tracks half-way between the two.",
            "Mod music is not available: the mod's 7 files are not in place.",
            self.shown("streammusic/mus_area_ahto.mod.wav") + " is missing"], enabled=["Normal music"])
        # The mod's first file arrives while the dialog is open: the choice is asked for again, afresh.
        ahto_mod = gamefolder.mod("streammusic", "mus_area_ahto")
        (self.folder / ahto_mod).write_bytes(gamefolder.wav(999))
        self.x.key("alt+n")
        window = self.wait_repair_message(window)
        self.assertEqual(gamefolder.read(self.folder), dict(parked, **{ahto_mod: gamefolder.wav(999)}))
        self.assert_repair_dialog(window, ["The folder changed while this window was open, so it has been read again.",
                                           "6 of the mod's 7 files are not in place"], enabled=["Normal music"])
        self.x.activate(window)
        self.x.key("alt+n")
        message = self.wait_repair_message(window)
        self.assertEqual(gamefolder.read(self.folder), dict(stock, **{ahto_mod: gamefolder.wav(999)}),
                         "every file under its own name, contents intact")
        self.assertEqual(self.read_message(message), "The names are now set for the normal music.")
        self.x.activate(message)
        self.x.key("Return")
        self.assertEqual(self.exit_status(), 0)

    @looks_in_the_stores
    def test_repair_started_elsewhere_repairs_the_folder_typed_into_its_chooser(self):
        game = self.folder / "The Game"
        stock = gamefolder.normal_music(with_mod=False)
        gamefolder.write(game, gamefolder.parked(stock))
        (self.folder / "Downloads").mkdir()
        window = self.start(self.folder / "Downloads", command=self.repair_command, title=self.repair_title)
        self.x.screenshot(window, f"{self.artefact_prefix}-repair-choose.png")
        self.assert_repair_dialog(window, [f"Folder: {self.shown_path(self.folder / 'Downloads')}\nNo folder up to "
                                           "2 levels below it"], enabled=["Choose the game folder\u2026"])
        self.x.activate(window)
        self.x.key("alt+c")
        self.type_into_chooser(game)
        window = wait_for(lambda: self.x.visible_windows(self.repair_title), "the repair dialog for the folder")[0]
        self.assert_repair_dialog(window, [f"Game folder: {self.shown_path(game)}"], enabled=["Normal music"])
        self.choose_normal_music(window, game, stock)

    def choose_normal_music(self, window, folder, expected):
        """Alt+N in the repair dialog: `folder` then holds `expected`, and Return on the message ends the tool."""
        self.x.activate(window)
        self.x.key("alt+n")
        self.x.activate(self.wait_repair_message(window))
        self.assertEqual(gamefolder.read(folder), expected)
        self.x.key("Return")
        self.assertEqual(self.exit_status(), 0)

    def test_repair_of_empty_music_folders_keeps_its_dialog_on_the_screen(self):
        """Every track without a file: 21 reasons against the mod's music, none against the normal music,
        which has nothing to do."""
        gamefolder.write(self.folder, {})
        window = self.start_repair()
        self.x.screenshot(window, f"{self.artefact_prefix}-repair-21-reasons.png")
        self.assert_repair_dialog(window, ["21 tracks missing", "Mod music is not available: 21 tracks of the game "
                                           "have no file at all."], enabled=[])
        self.x.key("Escape")
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(gamefolder.read(self.folder), {})

    def test_repair_handed_the_folder_above_repairs_the_game_folder_in_it(self):
        game = self.folder / "The Game"
        stock = gamefolder.normal_music(with_mod=False)
        gamefolder.write(game, gamefolder.parked(stock))
        (self.folder / "Downloads").mkdir()
        window = self.start(self.folder / "Downloads", command=[*self.repair_command, str(self.folder)],
                            title=self.repair_title)
        self.assert_repair_dialog(window, [f"Game folder: {self.shown_path(game)}"], enabled=["Normal music"])
        self.x.activate(window)
        self.x.key("alt+n")
        message = self.wait_repair_message(window)
        self.assertEqual(gamefolder.read(game), stock)
        self.x.activate(message)
        self.x.key("Return")
        self.assertEqual(self.exit_status(), 0)

    def test_repair_offers_nothing_for_a_track_with_both_names_and_changes_nothing(self):
        broken = gamefolder.normal_music()
        broken[gamefolder.backup("streammusic", "mus_area_cant1")] = gamefolder.wav(100)
        gamefolder.write(self.folder, broken)
        window = self.start_repair()
        self.x.key("alt+n", "alt+m")
        self.assert_waiting(0.5)
        self.assertEqual(self.x.visible_windows(self.repair_title), [window], "still asking; nothing ran")
        self.assertEqual(gamefolder.read(self.folder), broken)
        self.x.key("Escape")
        self.assertEqual(self.exit_status(), 0)
        self.assertEqual(gamefolder.read(self.folder), broken)

    def test_repair_finds_the_mod_unpacked_into_a_folder_of_its_own(self):
        """The mod's zip unpacked into MyMusicMod: Alt+M moves its 7 files to their names, then switches."""
        stock = gamefolder.normal_music(with_mod=False)
        gamefolder.write(self.folder, stock)
        unpacked = {name: contents for name, contents in gamefolder.normal_music().items() if name not in stock}
        for name, contents in unpacked.items():
            (self.folder / "MyMusicMod" / name).parent.mkdir(parents=True, exist_ok=True)
            (self.folder / "MyMusicMod" / name).write_bytes(contents)
        window = self.start_repair()
        self.x.screenshot(window, f"{self.artefact_prefix}-repair-found.png")
        self.assert_repair_dialog(window, [
            f"The mod's 7 files were found in {self.shown('MyMusicMod/streammusic')} and "
            f"{self.shown('MyMusicMod/streamsounds')}.",
            f"{self.shown('MyMusicMod/streamsounds/mus_sbat_acad.mod.wav')} will become "
            f"{self.shown('streamsounds/mus_sbat_acad.mod.wav')}"],
            enabled=["Mod music"])
        self.assertEqual(self.why_greyed_out(window, "Normal music"),
                         "Normal music is greyed out: the names are set for the normal music already.")
        self.x.activate(window)
        self.x.key("alt+m")
        message = self.wait_repair_message(window)
        self.assertEqual(gamefolder.read(self.folder), gamefolder.mod_active(gamefolder.normal_music()))
        self.assertEqual([p for p in (self.folder / "MyMusicMod").rglob("*") if p.is_file()], [])
        self.assertEqual(self.read_message(message), "The names are now set for the mod's music.")
        self.x.activate(message)
        self.x.key("Return")
        self.assertEqual(self.exit_status(), 0)

    repair_text_sizes = ({},)  # the environments the repair tool's dialog is measured in

    def test_repair_dialog_with_long_lists_fits_the_work_area_folded_and_opened(self):
        """21 stock backups named X.original.wav.wav and the mod unpacked in MyMusicMod: the 21 renames that
        both buttons make first in one list, the mod's 7 in another, and the buttons in sight; unpacked twice,
        the 21 under Normal music alone, and reasons against the mod's music. The lists show what fits, and
        every line can be read there."""
        stock = gamefolder.normal_music(with_mod=False)
        doubled = {name + ".wav": contents for name, contents in gamefolder.parked(stock).items()}
        unpacked = {name: contents for name, contents in gamefolder.normal_music().items() if name not in stock}
        renames = {f"{self.shown(name + '.wav')} will become {self.shown(name)}".replace("\\", "/")
                   for name in gamefolder.parked(stock)}
        for env in self.repair_text_sizes:
            # The 21 renames that both buttons make come once, under a heading of their own.
            for copies, enabled, heading in (
                    (["MyMusicMod"], ["Normal music", "Mod music"], "Normal music and Mod music first rename:"),
                    (["MyMusicMod", "MyMusicMod v2"], ["Normal music"], "Normal music first renames:")):
                with self.subTest(env=env, copies=copies):
                    if hasattr(self, "process"):  # a dialog left by a failed check would be taken for the next
                        self.stop()
                    shutil.rmtree(self.folder)
                    gamefolder.write(self.folder, doubled)
                    for copy in copies:
                        for name, contents in unpacked.items():
                            (self.folder / copy / name).parent.mkdir(parents=True, exist_ok=True)
                            (self.folder / copy / name).write_bytes(contents)
                    window = self.start_repair(env)
                    for reasons_open in (False, True):
                        self.assert_repair_dialog(window, [heading], enabled, reasons_open)
                    self.x.screenshot(window, f"{self.artefact_prefix}-repair-long-{len(copies)}"
                                              f"{'-large' if env else ''}.png")
                    self.assertEqual({line.replace("\\", "/") for line in self.rename_lines(window, heading)}, renames)
                    self.x.activate(window)
                    self.x.key("Escape")
                    self.assertEqual(self.exit_status(), 0)
                    self.assertEqual(gamefolder.read(self.folder), doubled)

    def test_repair_given_a_folder_it_cannot_open_says_why_then_repairs_the_one_chosen(self):
        game = self.folder / "The Game"
        stock = gamefolder.normal_music(with_mod=False)
        gamefolder.write(game, gamefolder.parked(stock))
        missing = self.folder / "no such folder"
        self.start(self.folder, command=[*self.repair_command, str(missing)], title=self.repair_title)
        self.dialog_expected = True
        message = self.x.wait_window(self.repair_title)
        self.assertTrue(self.read_message(message).startswith(f"Cannot open the folder {self.shown_path(missing)}: "))
        self.x.activate(message)
        self.x.key("Return")
        self.type_into_chooser(game)
        window = wait_for(lambda: self.x.visible_windows(self.repair_title), "the repair dialog for the folder")[0]
        self.assert_repair_dialog(window, [f"Game folder: {self.shown_path(game)}"], enabled=["Normal music"])
        self.choose_normal_music(window, game, stock)

    def test_repair_leaves_a_stray_copy_of_a_stock_track_where_it_is(self):
        """The player's own copy of a stock track beside the normal music, the mod in MyMod: Mod music parks
        the stock track under its exact backup name and never takes the copy for it."""
        stock = gamefolder.normal_music(with_mod=False)
        stray = "streamsounds/mus_sbat_acad.original.wav.wav"
        gamefolder.write(self.folder, dict(stock, **{stray: gamefolder.wav(555)}))
        for name, contents in gamefolder.normal_music().items():
            if name not in stock:
                (self.folder / "MyMod" / name).parent.mkdir(parents=True, exist_ok=True)
                (self.folder / "MyMod" / name).write_bytes(contents)
        window = self.start_repair()
        self.assert_repair_dialog(window, ["The names are set for the normal music.",
                                           f"The mod's 7 files were found in {self.shown('MyMod/streammusic')} "
                                           f"and {self.shown('MyMod/streamsounds')}."],
                                  enabled=["Mod music"])
        self.x.key("alt+m")
        message = self.wait_repair_message(window)
        self.assertEqual(gamefolder.read(self.folder),
                         dict(gamefolder.mod_active(gamefolder.normal_music()), **{stray: gamefolder.wav(555)}))
        self.assertEqual(self.read_message(message), "The names are now set for the mod's music.")
        self.x.activate(message)
        self.x.key("Return")
        self.assertEqual(self.exit_status(), 0)

    # -- the companions in a player's language -------------------------------

    languages = ()  # the catalogs' languages the companions are read in here; None for English, for comparison
    language_text_sizes = ({},)  # the environments of text size each is read at
    access_mark = "_"  # what marks an access key in the companions' captions here
    system_captions = ()  # (context, msgid) of the buttons that the system draws and words here

    def in_language(self, language):
        """The environment that has the companions speak `language`."""
        raise NotImplementedError

    def read_window(self, title, button=None):
        """The window `title` now up that holds a button named `button` (any, for None), as the player finds it:
        {"texts": [...], "buttons": [{"name": without its access key's mark, "key": that key, lower-case, or
        None, "enabled", "default", "whole": its whole caption in sight, "expander": the switch that shows
        the reasons, "description": what a screen reader says of it, None where the platform says nothing}],
        "frame": [left, top, right, bottom] with the window manager's frame, "work": the work area, the same,
        "window": its X window}."""
        raise NotImplementedError

    def press(self, title, button):
        """Presses the button named `button` in the window `title`, as a screen reader does."""
        raise NotImplementedError

    def start_launcher(self, folder, env, title):
        """Starts the launcher, given `folder` (None: none), and waits for a window titled `title`."""
        raise NotImplementedError

    def record_steam_libraries(self, libraries):
        """Steam's records, where the tools read them, naming the Steam libraries `libraries`."""
        raise NotImplementedError

    def install_caption(self, folder):
        """The caption of the button for an install in `folder`, in the choice among installs."""
        raise NotImplementedError

    def program_words(self):
        """The title of vornhaskel's window now up and its buttons' captions, in tab order."""
        raise NotImplementedError

    def start_refused_repair(self, env):
        """Starts the repair tool in the case's folder, which holds the game's tracks parked, with the rename
        of streammusic/mus_area_sewers.original.wav refused, and returns its dialog."""
        raise NotImplementedError

    def caption(self, context, msgid):
        """A companion's caption in the case's language, as a screen reader names it, where the companion
        words it; None where the system does. `msgid` is written with "_" before its access key."""
        if (context, msgid) in self.system_captions:
            return None
        return unmarked(self.catalog.c_(context, msgid.replace("_", self.access_mark)))

    def assert_speaks_and_fits(self, shown, texts, buttons, default=None):
        """The window read holds each of `texts` and the buttons `buttons` (None: one the system words), in
        that order, besides the reasons' switch; no English and no raw placeholder; the window inside the work
        area, every caption whole, and no access key taken twice."""
        for text in texts:
            self.assertTrue(any(text in line for line in shown["texts"]), f"{text!r} not in {shown['texts']}")
        own = [button for button in shown["buttons"] if not button["expander"]]
        names = [button["name"] for button in own]
        self.assertEqual(len(names), len(buttons), names)
        for name, expected in zip(names, buttons):
            if expected is not None:
                self.assertEqual(name, expected, names)
        self.catalog.assert_speaks(self, shown["texts"] + [button["name"] for button in shown["buttons"]])
        (left, top, right, bottom), (work_left, work_top, work_right, work_bottom) = shown["frame"], shown["work"]
        self.assertTrue(work_left <= left and work_top <= top and right <= work_right and bottom <= work_bottom,
                        f"{shown['frame']} is not within the work area {shown['work']}")
        for button in shown["buttons"]:
            self.assertTrue(button["whole"], f"the caption of {button} is not whole")
        keys = [button["key"] for button in shown["buttons"] if button["key"]]
        self.assertEqual(len(keys), len(set(keys)), f"an access key taken twice: {keys}")
        if default is not None:
            self.assertEqual([button["name"] for button in own if button["default"]], [default])
        self.measured.append(f"{self.catalog.language or 'en'} {shown['frame'][2] - shown['frame'][0]}x"
                             f"{shown['frame'][3] - shown['frame'][1]}: {shown['texts'][0][:40]!r}")

    def press_by_key(self, shown, name):
        """Presses the button `name` of the window read by its access key, as a player does, where the keyboard
        here types it; else as a screen reader does."""
        button, = [button for button in shown["buttons"] if button["name"] == name]
        if button["key"] and re.fullmatch("[a-z0-9]", button["key"]):
            self.x.activate(shown["window"])
            self.x.key(f"alt+{button['key']}")
        else:
            self.press(self.x.run("xdotool", "getwindowname", str(shown["window"])).strip(), name)

    @looks_in_the_stores
    def test_companions_speak_the_players_language_and_fit_the_screen(self):
        """For each language and text size: the repair tool's dialog with long lists, folded and opened; the
        launcher's choice among two installs, its window that holds a click back, the folder chooser, and
        the repair tool it opens; the message after a repair that stopped. Each in the catalog's words with no
        English left, inside the work area, its captions whole and its access keys unique; the keys work.
        vornhaskel's own window, started by the launcher, keeps its words."""
        self.measured = []
        for language in self.languages:
            catalog = Catalog(language)
            for size in self.language_text_sizes:
                with self.subTest(language=language, size=size):
                    self.close_windows_left()
                    self.catalog = catalog
                    self.dialog_title, self.repair_title = catalog._("vornhaskel"), catalog._("vornhaskel repair")
                    self.chooser = catalog._("Choose the game folder")
                    env = dict(self.in_language(language), **size)
                    picture = f"{self.artefact_prefix}-{language or 'en'}-%s{'-large' if size else ''}.png"
                    self.check_repair_dialog_with_long_lists_in(env, picture)
                    self.check_launcher_in(env, picture)
                    self.check_refused_repair_in(env, picture)
        print("\n  " + "\n  ".join(self.measured), file=sys.stderr)

    def close_windows_left(self):
        """Ends what a failed check left up, which would be taken for the next window of its title."""
        for process in self.started:
            self.stop(process)
        titles = {self.title, self.dialog_title, self.repair_title, self.chooser}

        def closed():
            shown = [window for title in titles for window in self.x.visible_windows(title)]
            for window in shown:  # a chooser closed may bring back the window that opened it
                self.x.close_window(window)
            return not shown
        wait_for(closed, "the windows left up to close", interval=0.5)

    def check_repair_dialog_with_long_lists_in(self, env, picture):
        """The folder of test_repair_dialog_with_long_lists_fits_the_work_area_folded_and_opened."""
        c = self.catalog
        stock = gamefolder.normal_music(with_mod=False)
        doubled = {name + ".wav": contents for name, contents in gamefolder.parked(stock).items()}
        unpacked = {name: contents for name, contents in gamefolder.normal_music().items() if name not in stock}
        renames = {fill(c._("%1$s will become %2$s"), self.shown(name + ".wav"), self.shown(name)).replace("\\", "/")
                   for name in gamefolder.parked(stock)}
        mixed = fill(c._("The folder is mixed: %s."), fill(
            c._("%1$s, %2$s"),
            fill(c.n_("%zu track set for the mod's music", "%zu tracks set for the mod's music", 14), 14),
            fill(c.n_("%zu track half-way between the two", "%zu tracks half-way between the two", 7), 7)))
        ahto = self.shown("streammusic/mus_area_ahto.mod.wav")
        for copies, heading, enabled in (
                (["MyMusicMod"], c._("Normal music and Mod music first rename:"), 2),
                (["MyMusicMod", "MyMusicMod v2"], c._("Normal music first renames:"), 1)):
            shutil.rmtree(self.folder)
            gamefolder.write(self.folder, doubled)
            for copy in copies:
                for file, contents in unpacked.items():
                    (self.folder / copy / file).parent.mkdir(parents=True, exist_ok=True)
                    (self.folder / copy / file).write_bytes(contents)
            texts = [mixed, heading, fill(c._("Game folder: %s"), self.shown_path(self.folder))]
            if len(copies) == 1:
                texts.append(fill(c._("The mod's 7 files were found in %s."), fill(
                    c._("%1$s and %2$s"), self.shown("MyMusicMod/streammusic"), self.shown("MyMusicMod/streamsounds"))))
            window = self.start_repair(env)
            for reasons_open in (False, True):
                if reasons_open and len(copies) == 2:
                    found = fill(c._("%1$s, %2$s"), self.shown("MyMusicMod/streammusic/mus_area_ahto.mod.wav"),
                                 self.shown("MyMusicMod v2/streammusic/mus_area_ahto.mod.wav"))
                    texts.append(fill(c.n_(
                        "%1$s is missing, and %2$zu could be it: %3$s. Keep the right one and move the others out of "
                        "the game folder",
                        "%1$s is missing, and %2$zu could be it: %3$s. Keep the right one and move the others out of "
                        "the game folder", 2), ahto, 2, found))
                shown = self.read_repair_dialog(window, reasons_open)
                self.assert_speaks_and_fits(shown, texts, [
                    self.caption("repair dialog", "_Normal music"), self.caption("repair dialog", "_Mod music"),
                    self.caption("repair dialog", "_Close")], default=self.caption("repair dialog", "_Close"))
                self.assertEqual(sum(button["enabled"] for button in shown["buttons"] if not button["expander"]),
                                 enabled + 1)
            self.x.screenshot(window, picture % f"repair-long-{len(copies)}")
            self.assertEqual({line.replace("\\", "/") for line in self.rename_lines(window, heading)}, renames)
            self.x.activate(window)
            self.x.key("Escape")
            self.assertEqual(self.exit_status(), 0)
            self.assertEqual(gamefolder.read(self.folder), doubled)

    def check_launcher_in(self, env, picture):
        """The game installed in two Steam libraries: in one without the mod's files, where the launcher holds
        the click back, and in one where a click is harmless, where it starts vornhaskel."""
        c = self.catalog
        libraries = [self.folder / "Library", self.folder / "Card" / "SteamLibrary"]
        self.record_steam_libraries(libraries)
        held, harmless = (library / "steamapps" / "common" / "The Game" for library in libraries)
        stock, normal = gamefolder.normal_music(with_mod=False), gamefolder.normal_music()
        gamefolder.write(held, stock)
        gamefolder.write(harmless, normal)
        lead = fill(c.n_("The game is installed in %zu folder. Choose the one to use:",
                         "The game is installed in %zu folders. Choose the one to use:", 2), 2)
        where = [f"\u2022 {fill(c._('%1$s (%2$s)'), self.shown_path(folder), c._('Steam library'))}"
                 for folder in (held, harmless)]
        choice_buttons = [self.install_caption(held), self.install_caption(harmless),
                          self.caption("choice among installs", "Choose _another folder\u2026"),
                          self.caption("choice among installs", "_Cancel")]
        for picked in (held, harmless):
            self.dialog_expected = True
            self.start_launcher(None, env, self.dialog_title)
            shown = self.read_window(self.dialog_title, self.install_caption(held))
            self.assert_speaks_and_fits(shown, [lead, "\n".join(where)], choice_buttons)
            for button in shown["buttons"][:2]:
                if button["description"] is not None:
                    self.assertEqual(button["description"], c._("Steam library"))
            self.x.screenshot(shown["window"], picture % "choice")
            self.press(self.dialog_title, self.install_caption(picked))
            if picked == harmless:
                window = self.x.wait_window(self.title)
                self.assertEqual(self.program_words(), (
                    "Form1", ["Rename (Enable-Mod)", "Un-rename (Normal Music)"]), "vornhaskel keeps its own words")
                self.x.close_window(window)
                wait_for(lambda: not self.x.visible_windows(self.title), "vornhaskel to end")
                self.assertEqual(gamefolder.read(harmless), normal)
                continue
            self.check_held_back_in(held, stock, picture)

    def check_held_back_in(self, held, stock, picture):
        c = self.catalog
        repair = self.caption("held-back window", "_Open the repair tool")
        another = self.caption("held-back window", "Choose _another folder\u2026")
        why = c._("The mod's 7 files are not in place: Rename (Enable-Mod) would put away the game's 21 tracks and "
                  "stop, leaving the game without music.")
        self.assertIn("Rename (Enable-Mod)", why, "vornhaskel's button keeps its name in a sentence")
        folder_line = fill(c._("Game folder: %s"), self.shown_path(held))
        shown = self.read_window(self.dialog_title, repair)
        self.assert_speaks_and_fits(shown, [why, folder_line], [
            repair, another, self.caption("held-back window", "_Cancel")], default=repair)
        self.x.screenshot(shown["window"], picture % "held-back")
        self.press_by_key(shown, another)
        chooser = self.read_window(self.chooser, self.caption("folder chooser", "_Select Folder"))
        (left, top, right, bottom), (work_left, work_top, work_right, work_bottom) = chooser["frame"], chooser["work"]
        self.assertTrue(work_left <= left and work_top <= top and right <= work_right and bottom <= work_bottom,
                        f"the chooser's {chooser['frame']} is not within the work area {chooser['work']}")
        chooser = chooser["window"]
        self.x.screenshot(chooser, picture % "chooser")
        self.x.activate(chooser)
        self.x.key("Escape")
        shown = self.read_window(self.dialog_title, repair)  # held back again
        self.press_by_key(shown, repair)
        close = self.caption("repair dialog", "_Close")
        shown = self.read_window(self.repair_title, close)
        self.assert_speaks_and_fits(shown, [
            c._("The names are set for the normal music."),
            fill(c._("Mod music is not available: %s."), c._("the mod's 7 files are not in place")),
            folder_line], [self.caption("repair dialog", "_Normal music"), self.caption("repair dialog", "_Mod music"),
                           close], default=close)
        self.x.screenshot(shown["window"], picture % "repair-held")
        self.press_by_key(shown, [button for button in shown["buttons"] if not button["expander"]][-1]["name"])
        wait_for(lambda: not self.x.visible_windows(self.repair_title), "the repair tool to end")
        self.assertEqual(gamefolder.read(held), stock)

    def check_refused_repair_in(self, env, picture):
        c = self.catalog
        parked = gamefolder.parked(gamefolder.normal_music(with_mod=False))
        shutil.rmtree(self.folder)
        gamefolder.write(self.folder, parked)
        window = self.start_refused_repair(env)
        normal = self.caption("repair dialog", "_Normal music")
        self.press_by_key(self.read_window(self.repair_title, normal), normal)
        self.dialog_expected = True
        message = self.wait_repair_message(window)
        shown = self.read_window(self.repair_title)
        text = "\n".join(shown["texts"])
        self.assertTrue(text.startswith(c._("A rename failed, so the repair stopped: %s").split("%s")[0]), text)
        self.assert_speaks_and_fits(shown, [c._("No file was lost or replaced."),
                                            c._("Start the repair tool again to finish.")], [None])
        self.x.screenshot(message, picture % "repair-stopped")
        self.x.activate(message)
        self.x.key("Return")
        self.assertEqual(self.exit_status(), 1)
        self.assertEqual(sorted(gamefolder.read(self.folder).values()), sorted(parked.values()))
