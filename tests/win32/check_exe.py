"""Reads a built exe of the project from Linux and checks its identity and build:
icon resources, version record, manifest, catalogs, imports and DLL characteristics.

usage: python3 check_exe.py PATH_TO_EXE NAME [FILE_DESCRIPTION]
  NAME is its InternalName, and NAME.exe its OriginalFilename."""

import gettext
import io
import struct
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "po"))
from catalog_file import read_languages  # noqa: E402

EXE = NAME = STRINGS = None

ICONS = [(48, 8, 3752), (32, 8, 2216), (48, 24, 7336), (32, 24, 3240), (16, 24, 872),
         (48, 32, 9640), (32, 32, 4264), (16, 32, 1128)]


def version_strings(name, description=None):
    """The version record's strings in order: the same for every exe but its names."""
    return ([("CompanyName", "vornhaskel contributors")] + ([("FileDescription", description)] if description else [])
            + [("ProductName", "vornhaskel"), ("FileVersion", "1.00"), ("ProductVersion", "1.00"),
               ("InternalName", name), ("OriginalFilename", name + ".exe")])


# Bytes each exe may take, besides the catalogs the companions carry.
# vornhaskel.exe's budget is 160 KiB; the guard sits lower, at 152 KiB, so
# that what the size build gained is kept. The repair exe's
# budget is 265 KiB: it reads where the game stores installed the game, on a
# thread of its own with a window while that takes long, its dialog turns pages
# of rows, it asks where a music folder's names lead, and it reaches a name that
# the Win32 path rules would read as another as the name it is; and it reads
# its words from the compiled catalog of the player's language (about 8 KiB
# for the reader, its plural rules and the choice of language, and as much
# again for the whole sentences it fills, and its buttons widened where Wine
# draws a longer caption clipped). The launcher's budget is 218 KiB, its guard
# 216 KiB: it reads the stores as the repair exe does, takes the look
# and reads the catalogs, but shows no lists.
SIZE_LIMITS = {"vornhaskel": 152 * 1024, "vornhaskel-repair": 265 * 1024, "vornhaskel-launch": 216 * 1024}

# The first of the icon's images that each exe carries: vornhaskel.exe all eight,
# the repair exe and the launcher the 32-bit ones, all that the systems they run on draw.
FIRST_ICON = {"vornhaskel": 30001, "vornhaskel-repair": 30006, "vornhaskel-launch": 30006}

# The exes that carry a compiled catalog for each language of po/LINGUAS; vornhaskel.exe's window stays English.
CATALOG_CARRIERS = {"vornhaskel-repair", "vornhaskel-launch"}

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll", "ucrtbase.dll",
               "ole32.dll", "shell32.dll",  # these two for the folder chooser of the repair tool and the launcher
               "advapi32.dll"}  # and the registry, where the game stores record their installs


class PeFile:
    """The few parts of a PE32+ image that these checks read."""

    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        assert data[pe:pe + 4] == b"PE\0\0", "not a PE file"
        _, sections, self.timestamp, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, optional + 68)
        directories = optional + 112
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<IIII", data, table + 40 * i + 8) for i in range(sections)]

    def offset(self, rva):
        for virtual_size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw + rva - address
        raise ValueError(f"RVA {rva:#x} is in no section")

    def cstring(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        rva, _ = self.directories[1]
        names, at = [], self.offset(rva)
        while True:
            descriptor = struct.unpack_from("<IIIII", self.data, at)
            if not any(descriptor):
                return names
            names.append(self.cstring(descriptor[3]))
            at += 20

    def resources(self):
        """{type: [(id, language, bytes)]} in the order of the resource directory; a type or id given by
        name rather than number is that name."""
        root = self.offset(self.directories[2][0])

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, directory + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, directory + 16 + 8 * i)
                if ident & 0x80000000:
                    at = root + (ident & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", self.data, at)[0]
                    ident = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                yield ident, target

        found = {}
        for kind, types in entries(root):
            for name, names in entries(root + (types & 0x7FFFFFFF)):
                for language, leaf in entries(root + (names & 0x7FFFFFFF)):
                    rva, size = struct.unpack_from("<II", self.data, root + leaf)
                    start = self.offset(rva)
                    found.setdefault(kind, []).append((name, language, self.data[start:start + size]))
        return found


def version_blocks(data, at=0):
    """Parses one VS_VERSIONINFO-style block: (key, value bytes, children, end)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_start = at + 6
    key_end = key_start
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[key_start:key_end].decode("utf-16-le")
    value_start = (key_end + 2 + 3) & ~3
    value_size = value_length * 2 if kind == 1 else value_length
    value = data[value_start:value_start + value_size]
    children, child = [], (value_start + value_size + 3) & ~3
    while child < end:
        block = version_blocks(data, child)
        children.append(block)
        child = (block[3] + 3) & ~3
    return key, value, children, end


class ExecutableTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(EXE, "rb") as exe:
            cls.pe = PeFile(exe.read())
        cls.resources = cls.pe.resources()

    def icons(self):
        """The listed images this exe carries, with their resource numbers."""
        first = FIRST_ICON[NAME]
        return list(zip(range(first, 30009), ICONS[first - 30001:]))

    def test_icon_images_have_the_listed_numbers_sizes_depths_and_bytes(self):
        icons = self.resources.get(3, [])
        self.assertEqual([name for name, _, _ in icons], [ident for ident, _ in self.icons()])
        for (name, language, image), (_, (size, bits, length)) in zip(icons, self.icons()):
            header_size, width, height, planes, depth = struct.unpack_from("<IiiHH", image)
            self.assertEqual((header_size, width, height, planes, depth), (40, size, 2 * size, 1, bits), name)
            self.assertEqual(len(image), length, name)
            self.assertEqual(language, 1033)

    def test_icon_group_1_lists_the_images_in_order(self):
        groups = self.resources.get(14, [])
        self.assertEqual([name for name, _, _ in groups], [1])
        group = groups[0][2]
        self.assertEqual(struct.unpack_from("<HHH", group), (0, 1, len(self.icons())))
        for i, (expected, (size, bits, length)) in enumerate(self.icons()):
            width, height, colours, _, planes, depth, byte_count, ident = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
            self.assertEqual((width, height, planes, depth, byte_count, ident), (size, size, 1, bits, length, expected))

    def test_version_record(self):
        versions = self.resources.get(16, [])
        self.assertEqual([(name, language) for name, language, _ in versions], [(1, 1033)])
        key, fixed, children, _ = version_blocks(versions[0][2])
        self.assertEqual(key, "VS_VERSION_INFO")
        (signature, _, file_ms, file_ls, product_ms, product_ls, _, flags, os, kind, _, _, _) = struct.unpack("<13I", fixed)
        self.assertEqual(signature, 0xFEEF04BD)
        self.assertEqual((file_ms, file_ls, product_ms, product_ls), (0x10000, 0, 0x10000, 0))
        self.assertEqual((flags, os, kind), (0, 0x4, 0x1))  # no flags, VOS__WINDOWS32, VFT_APP

        blocks = {child[0]: child for child in children}
        string_tables = blocks["StringFileInfo"][2]
        self.assertEqual([table[0] for table in string_tables], ["040904B0"])
        strings = [(name, value.decode("utf-16-le").rstrip("\0")) for name, value, _, _ in string_tables[0][2]]
        self.assertEqual(strings, STRINGS)
        translation = blocks["VarFileInfo"][2][0]
        self.assertEqual(translation[0], "Translation")
        self.assertEqual(struct.unpack("<HH", translation[1]), (0x0409, 1200))

    def test_exactly_one_manifest_declaring_what_the_program_relies_on(self):
        manifests = self.resources.get(24, [])
        self.assertEqual([name for name, _, _ in manifests], [1])
        text = manifests[0][2].decode("utf-8")
        for needle in ('level="asInvoker"', 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"',
                       "PerMonitorV2", "<dpiAware", "<longPathAware", "true</longPathAware>", "supportedOS"):
            self.assertIn(needle, " ".join(text.split()), needle)

    def test_the_companions_alone_carry_a_catalog_for_each_language(self):
        """Each named by its language in capitals, which the exe looks up, and holding that language's words."""
        catalogs = self.resources.get("CATALOG", [])
        expected = read_languages(Path(__file__).resolve().parents[2] / "po") if NAME in CATALOG_CARRIERS else []
        self.assertEqual(sorted(name for name, _, _ in catalogs), sorted(lang.upper() for lang in expected))
        for name, language, compiled in catalogs:
            info = gettext.GNUTranslations(io.BytesIO(compiled)).info()
            self.assertEqual(info.get("language", "").upper(), name)
            self.assertEqual(language, 1033)

    def test_imports_only_system_dlls(self):
        imports = [name.lower() for name in self.pe.imports()]
        self.assertIn("kernel32.dll", imports)
        self.assertTrue(set(imports) <= SYSTEM_DLLS | {n for n in imports if n.startswith("api-ms-win-crt-")},
                        f"unexpected imports: {sorted(set(imports) - SYSTEM_DLLS)}")

    def test_within_its_size_budget(self):
        """The budget is the program's: the catalogs, as large as their translations, come on top, with their
        resource entries and the file's 512-byte blocks."""
        catalogs = [len(compiled) for _, _, compiled in self.resources.get("CATALOG", [])]
        entries = sum((size + 7) // 8 * 8 + 64 for size in catalogs)
        allowance = ((entries + 511) // 512 + 1) * 512 if catalogs else 0
        self.assertLessEqual(len(self.pe.data), SIZE_LIMITS[NAME] + allowance,
                             f"{len(self.pe.data)} bytes, {sum(catalogs)} of them catalogs")

    def test_restricts_where_later_dlls_are_loaded_from(self):
        # Looked up by name at run time, since Windows 7 without its update lacks it.
        self.assertIn(b"SetDefaultDllDirectories\0", self.pe.data)

    def test_pe32_plus_gui_with_aslr_dep_and_no_time_stamp(self):
        self.assertEqual(self.pe.magic, 0x20B)
        self.assertEqual(self.pe.subsystem, 2)
        for flag, name in ((0x20, "HIGH_ENTROPY_VA"), (0x40, "DYNAMIC_BASE"), (0x100, "NX_COMPAT")):
            self.assertTrue(self.pe.dll_characteristics & flag, name)
        self.assertEqual(self.pe.timestamp, 0)


if __name__ == "__main__":
    EXE, NAME, *description = sys.argv[1:]
    del sys.argv[1:]
    STRINGS = version_strings(NAME, *description)
    unittest.main(verbosity=2)
