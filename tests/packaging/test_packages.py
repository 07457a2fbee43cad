"""The release packages, made with CPack and opened as a user would get them.

usage: python3 test_packages.py deb BUILD_FOLDER
       python3 test_packages.py zip BUILD_FOLDER BUILT_EXE BUILT_REPAIR_EXE BUILT_LAUNCH_EXE"""

import fnmatch
import gettext
import os
import re
import shutil
import struct
import tarfile
import subprocess
import sys
import tempfile
import unittest
import zipfile
import xml.etree.ElementTree as ElementTree
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts"))
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "po"))
from hardening import check_elf  # noqa: E402
from gamefolder import TRACKS, mod  # noqa: E402
from catalog_file import read_catalog, read_languages  # noqa: E402

BUILD = EXE = REPAIR_EXE = LAUNCH_EXE = None
DESKTOP_ID = "org.vornhaskel.vornhaskel"
# The newest symbol versions a binary in the tarball may need: glibc 2.34 and GCC 12's libstdc++.
FLOOR = {"GLIBC": (2, 34), "GLIBCXX": (3, 4, 30), "CXXABI": (1, 3, 13)}
PO = Path(__file__).resolve().parents[2] / "po"
LANGUAGES = read_languages(PO)
CATALOGS = sorted(f"share/locale/{lang}/LC_MESSAGES/vornhaskel.mo" for lang in LANGUAGES)


# The desktop entry's keys that carry words; Icon=vornhaskel is a file's name, though the title's words match it.
TRANSLATED_KEYS = {"Name", "GenericName", "Comment", "Keywords"}


def translations(lang):
    """{English: translation} of the messages that po/LANG.po translates."""
    return {entry.msgid: entry.translations[0] for entry in read_catalog(PO / f"{lang}.po").values()
            if entry.msgid and entry.plural is None and entry.translated}


def check_languages(case, share):
    """The programs find each language's catalog at share/locale, where they look from bin/, and the
    desktop entry and metainfo carry every translation that po/ holds for them."""
    for lang in LANGUAGES:
        with case.subTest(lang):
            catalog = gettext.translation("vornhaskel", localedir=share / "locale", languages=[lang])
            case.assertEqual(catalog.info().get("language"), lang)
            words = translations(lang)
            sections = (share / f"applications/{DESKTOP_ID}.desktop").read_text().split("\n[")
            for section in sections:
                lines = section.splitlines()
                for key, _, english in (line.partition("=") for line in lines if "=" in line and "[" not in line):
                    if key in TRANSLATED_KEYS and english in words:
                        case.assertIn(f"{key}[{lang}]={words[english]}", lines)
            metainfo = ElementTree.parse(share / f"metainfo/{DESKTOP_ID}.metainfo.xml")
            localized = {" ".join("".join(element.itertext()).split()) for element in metainfo.iter()
                         if element.get("{http://www.w3.org/XML/1998/namespace}lang") == lang}
            english = {" ".join("".join(element.itertext()).split()) for element in metainfo.iter()}
            for source, translation in words.items():
                if source in english and translation != source:  # a name kept as it is needs no xml:lang twin
                    case.assertIn(" ".join(translation.split()), localized)


def check_read_me(case, text, separator, repair_tool):
    """A player who has only this read-me learns which mod files must be in place and where the repair tool is,
    and, to finish by hand, every track of the game with the mod's own marked: a rule for "the mod's tracks"
    applied to the others would move the game's own files."""
    for folder, base, replaced in TRACKS:
        if replaced:
            case.assertIn(mod(folder, base).replace("/", separator), text)
    case.assertIn(repair_tool, text)
    case.assertIn("Form1", text)
    by_hand = text.split("Finishing by hand\n-----------------\n", 1)[1]
    names = by_hand[by_hand.index("\n    streammusic" + separator):].split("\n\n", 1)[0]
    listed = re.findall(r"\b(mus_\w+?)(\*?)(?=\s|$)", names)
    case.assertEqual(listed, [(base, "*" if replaced else "") for _, base, replaced in TRACKS])


def newest_versions(path):
    """The newest GLIBC_, GLIBCXX_ and CXXABI_ version that an ELF file asks for, per library."""
    symbols = subprocess.run(["objdump", "-T", str(path)], check=True, capture_output=True, text=True).stdout
    newest = {}
    for name, version in re.findall(r"\b(GLIBC|GLIBCXX|CXXABI)_(\d+(?:\.\d+)*)\b", symbols):
        newest[name] = max(newest.get(name, ()), tuple(map(int, version.split("."))))
    return newest


def make_package(generator, into):
    subprocess.run(["cpack", "-G", generator, "--config", str(Path(BUILD, "CPackConfig.cmake")), "-B", str(into)],
                   check=True, capture_output=True)
    return next(Path(into).glob({"DEB": "*.deb", "ZIP": "*.zip", "TGZ": "*.tar.gz"}[generator]))


class DebianPackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory()
        cls.deb = make_package("DEB", Path(cls.scratch.name, "out"))
        cls.root = Path(cls.scratch.name, "root")
        subprocess.run(["dpkg-deb", "-x", str(cls.deb), str(cls.root)], check=True)

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def field(self, name):
        return subprocess.run(["dpkg-deb", "-f", str(self.deb), name], check=True, capture_output=True,
                              text=True).stdout.strip()

    def test_holds_the_programs_metadata_icons_and_catalogs(self):
        files = sorted(str(p.relative_to(self.root)) for p in self.root.rglob("*") if p.is_file())
        self.assertEqual(files, ["usr/bin/vornhaskel", "usr/bin/vornhaskel-launch", "usr/bin/vornhaskel-repair",
                                 f"usr/share/applications/{DESKTOP_ID}.desktop",
                                 "usr/share/doc/vornhaskel/README.txt", "usr/share/doc/vornhaskel/copyright",
                                 "usr/share/icons/hicolor/16x16/apps/vornhaskel.png",
                                 "usr/share/icons/hicolor/32x32/apps/vornhaskel.png",
                                 "usr/share/icons/hicolor/48x48/apps/vornhaskel.png",
                                 *(f"usr/{catalog}" for catalog in CATALOGS),
                                 f"usr/share/metainfo/{DESKTOP_ID}.metainfo.xml"])
        check_languages(self, self.root / "usr/share")

    def test_depends_on_gtk_3_as_worked_out_from_the_binary(self):
        self.assertEqual(self.field("Package"), "vornhaskel")
        depends = self.field("Depends")
        for library in ("libc6", "libgtk-3-0", "libstdc++6"):
            self.assertIn(library, depends)

    def test_carries_the_licence_and_an_extended_description(self):
        copyright_file = (self.root / "usr/share/doc/vornhaskel/copyright").read_text()
        self.assertIn("License: MIT", copyright_file)
        self.assertIn(" THE SOFTWARE IS PROVIDED \"AS IS\"", copyright_file)
        summary, *extended = self.field("Description").splitlines()
        self.assertEqual(summary, "Switches a game folder between its normal music and a music mod")
        self.assertGreater(len(extended), 2)

    def test_read_me_tells_what_to_do_before_and_after_a_switch_that_stops(self):
        check_read_me(self, (self.root / "usr/share/doc/vornhaskel/README.txt").read_text(), "/", "vornhaskel-repair")

    def test_metadata_passes_the_validators(self):
        entry = self.root / f"usr/share/applications/{DESKTOP_ID}.desktop"
        subprocess.run(["desktop-file-validate", str(entry)], check=True)
        text = entry.read_text()
        lines = text.splitlines()
        self.assertIn("Exec=vornhaskel-launch %f", lines)
        self.assertIn("Actions=repair;", lines)
        repair = text.split("\n[Desktop Action repair]\n", 1)[1].split("\n[", 1)[0].splitlines()
        self.assertIn("Name=Repair a half-switched folder", repair)
        self.assertIn("Exec=vornhaskel-launch --repair %f", repair)
        self.assertIn(f"StartupWMClass={DESKTOP_ID}", lines)
        self.assertFalse([line for line in lines if line.startswith("MimeType=")], "never the folder handler")
        subprocess.run(["appstreamcli", "validate", "--no-net",
                        str(self.root / f"usr/share/metainfo/{DESKTOP_ID}.metainfo.xml")], check=True)

    def test_icons_have_their_folders_sizes(self):
        for size in (16, 32, 48):
            png = (self.root / f"usr/share/icons/hicolor/{size}x{size}/apps/vornhaskel.png").read_bytes()
            self.assertEqual(png[:8], b"\x89PNG\r\n\x1a\n")
            self.assertEqual(struct.unpack(">II", png[16:24]), (size, size))

    def test_installed_programs_are_hardened(self):
        for program in ("vornhaskel", "vornhaskel-launch", "vornhaskel-repair"):
            self.assertEqual(check_elf(self.root / "usr/bin" / program), [], program)


class PortableTarball(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory()
        with tarfile.open(make_package("TGZ", cls.scratch.name)) as package:
            cls.members = {member.name: member for member in package.getmembers()}
            package.extractall(cls.scratch.name)
        cls.root = Path(cls.scratch.name, "vornhaskel-1.0.0-linux-x86_64")

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def test_holds_bin_share_and_a_read_me_and_needs_no_newer_libraries_than_its_floor(self):
        top = "vornhaskel-1.0.0-linux-x86_64/"
        files = sorted(name for name, member in self.members.items() if member.isfile())
        self.assertEqual(files, [top + name for name in (
            "README.txt", "bin/vornhaskel", "bin/vornhaskel-launch", "bin/vornhaskel-repair", "install.sh",
            f"share/applications/{DESKTOP_ID}.desktop", "share/doc/vornhaskel/README.txt",
            "share/doc/vornhaskel/copyright",
            "share/icons/hicolor/16x16/apps/vornhaskel.png", "share/icons/hicolor/32x32/apps/vornhaskel.png",
            "share/icons/hicolor/48x48/apps/vornhaskel.png", *CATALOGS, f"share/metainfo/{DESKTOP_ID}.metainfo.xml")])
        check_languages(self, self.root / "share")
        for program in ("bin/vornhaskel-launch", "bin/vornhaskel-repair", "install.sh"):
            self.assertTrue(self.members[top + program].mode & 0o111, program)
        readme = (self.root / "README.txt").read_text()
        check_read_me(self, readme, "/", "vornhaskel-repair")
        self.assertIn("SteamOS (the\nSteam Deck) cannot install a .deb: on the Deck, take the .tar.gz.", readme)
        self.assertIn("mv -n", readme)
        binaries = [p for p in self.root.rglob("*") if p.is_file() and p.read_bytes()[:4] == b"\x7fELF"]
        self.assertEqual(len(binaries), 3)
        for binary in binaries:
            newest = newest_versions(binary)
            self.assertIn("GLIBC", newest, binary.name)
            for library, version in newest.items():
                self.assertLessEqual(version, FLOOR[library], f"{binary.name} needs {library} {version}")

    def test_install_script_makes_a_menu_entry_that_starts_without_local_bin_on_path(self):
        """GIO refuses an entry whose program is not on PATH, and a desktop session's PATH often lacks
        ~/.local/bin: the installed entry and its action name the launcher by its full path, quoted so that a
        home folder with spaces, quotes, $, ` or \\ in its name works too. The catalogs go beside the
        programs, at ~/.local/bin/../share/locale where they look, wherever XDG_DATA_HOME points."""
        self.assertIn("./install.sh", (self.root / "README.txt").read_text())
        gio = shutil.which("gio")
        for name, data_home in (("player", None), ('the "player\'s" $HOME with `ticks` and \\', None),
                                ("player with data elsewhere", Path(self.scratch.name, "data"))):
            with self.subTest(name):
                home = Path(self.scratch.name, name)
                home.mkdir()
                env = {"PATH": "/usr/local/bin:/usr/bin:/bin", "HOME": str(home)}
                if data_home:
                    env["XDG_DATA_HOME"] = str(data_home)
                subprocess.run([str(self.root / "install.sh")], env=env, check=True, capture_output=True)
                for program in ("vornhaskel", "vornhaskel-launch", "vornhaskel-repair"):
                    self.assertTrue(os.access(home / ".local/bin" / program, os.X_OK), program)
                for lang in LANGUAGES:
                    gettext.translation("vornhaskel", localedir=home / ".local/bin/../share/locale", languages=[lang])
                # The read-me's steps to take it out again name every file it copied.
                steps = (self.root / "README.txt").read_text().split("delete what it copied:")[1]
                named = {line.split()[0] for line in steps.splitlines() if line.strip().startswith("~/")}
                for copied in (path for path in home.rglob("*") if path.is_file()):
                    shown = "~/" + str(copied.relative_to(home))
                    self.assertTrue(any(fnmatch.fnmatchcase(shown, step) for step in named)
                                    or str(Path(shown).parent) + "/" in named, shown)
                entry = (data_home or home / ".local/share") / f"applications/{DESKTOP_ID}.desktop"
                subprocess.run(["desktop-file-validate", str(entry)], check=True)
                lines = entry.read_text().splitlines()
                launches = [line for line in lines if line.startswith("Exec=")]
                if name == "player":
                    launcher = home / ".local/bin/vornhaskel-launch"
                    self.assertEqual(launches, [f'Exec="{launcher}" %f', f'Exec="{launcher}" --repair %f'])
                if gio is None:
                    self.skipTest("no gio here to launch the entry as a desktop does")
                for launch in launches:
                    # gio launches an entry's main command only: the action's is tried as a copy's main one.
                    trial = home / "trial.desktop"
                    trial.write_text("\n".join(launch if line.startswith("Exec=") else line for line in lines))
                    result = subprocess.run([gio, "launch", str(trial), "/no such folder"], env=env,
                                            capture_output=True, text=True, timeout=60)
                    self.assertEqual(result.returncode, 0, result.stderr)
                    # No display in env: the launcher, found and started, says why it stops on stderr.
                    self.assertIn("vornhaskel-launch: Cannot open the folder /no such folder", result.stderr)


class WindowsZip(unittest.TestCase):
    def test_holds_the_exe_and_a_read_me_for_players(self):
        with tempfile.TemporaryDirectory() as scratch:
            with zipfile.ZipFile(make_package("ZIP", scratch)) as package:
                names = sorted(package.namelist())
                self.assertEqual(names, ["vornhaskel-1.00-windows/LICENSE.txt", "vornhaskel-1.00-windows/README.txt",
                                         "vornhaskel-1.00-windows/vornhaskel-launch.exe",
                                         "vornhaskel-1.00-windows/vornhaskel-repair.exe",
                                         "vornhaskel-1.00-windows/vornhaskel.exe"])
                self.assertEqual(package.read(names[4]), Path(EXE).read_bytes())
                self.assertEqual(package.read(names[3]), Path(REPAIR_EXE).read_bytes())
                self.assertEqual(package.read(names[2]), Path(LAUNCH_EXE).read_bytes())
                self.assertIn(b"MIT License", package.read(names[0]))
                raw = package.read(names[1])
        # Every line ends in CRLF, which every Notepad shows as lines.
        self.assertEqual(raw.count(b"\n"), raw.count(b"\r\n"))
        readme = raw.decode("ascii").replace("\r\n", "\n")
        check_read_me(self, readme, "\\", "vornhaskel-repair.exe")
        for phrase in ("streammusic", "streamsounds", "double-click", "Rename (Enable-Mod)",
                       "Un-rename (Normal Music)", "->", ".original.wav", ".mod.wav", "Choose the game folder",
                       "vornhaskel-launch.exe", "Open the repair tool", "Start in", "Browse local files",
                       "delete the folder you unpacked"):
            self.assertIn(phrase, readme)


if __name__ == "__main__":
    kind, BUILD = sys.argv[1], sys.argv[2]
    EXE, REPAIR_EXE, LAUNCH_EXE = (sys.argv[3:6] + [None] * 3)[:3]
    del sys.argv[1:]
    cases = (DebianPackage, PortableTarball) if kind == "deb" else (WindowsZip,)
    suite = unittest.TestSuite(unittest.defaultTestLoader.loadTestsFromTestCase(case) for case in cases)
    sys.exit(not unittest.TextTestRunner(verbosity=2).run(suite).wasSuccessful())
