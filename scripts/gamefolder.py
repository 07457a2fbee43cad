"""Demo and test game folders: the 28 managed files as small, distinct WAV files,
and a reading of which music a folder is in."""

import hashlib
import math
import struct
from pathlib import Path

FOLDERS = ("streammusic", "streamsounds")

# (folder, base name, whether the mod supplies a file)
TRACKS = [("streammusic", base, base == "mus_area_ahto") for base in (
    "mus_area_ahto", "mus_area_cant1", "mus_area_desert", "mus_area_out", "mus_area_sewers",
    "mus_area_sforge", "mus_area_townint", "mus_area_valsith", "mus_bat_acad", "mus_bat_desert",
    "mus_bat_malak", "mus_bat_sithbs", "mus_bat_slehey", "mus_bat_valsith", "mus_theme_cult")]
TRACKS += [("streamsounds", base, True) for base in (
    "mus_sbat_acad", "mus_sbat_desert", "mus_sbat_sforge", "mus_sbat_sithbs", "mus_sbat_slehey",
    "mus_sbat_valsith")]


class Contents(bytes):
    """A file's bytes that print as their size and digest: a failed comparison of
    two folders then lists the names that differ at once, not the audio."""

    def __repr__(self):
        return f"<{len(self)} bytes, sha1 {hashlib.sha1(self).hexdigest()[:12]}>"


def live(folder, base):
    return f"{folder}/{base}.wav"


def backup(folder, base):
    return f"{folder}/{base}.original.wav"


def mod(folder, base):
    return f"{folder}/{base}.mod.wav"


def wav(tone_hz, seconds=0.4, rate=8000):
    """A short mono 16-bit PCM tone: valid audio, distinct for each pitch."""
    frames = b"".join(struct.pack("<h", int(8000 * math.sin(2 * math.pi * tone_hz * i / rate)))
                      for i in range(int(seconds * rate)))
    header = struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 36 + len(frames), b"WAVE", b"fmt ", 16, 1, 1,
                         rate, rate * 2, 2, 16, b"data", len(frames))
    return Contents(header + frames)


def normal_music(with_mod=True):
    """name -> contents of a folder with normal music (and the mod parked)."""
    files = {}
    for n, (folder, base, replaced) in enumerate(TRACKS):
        files[live(folder, base)] = wav(220 + 20 * n)
        if replaced and with_mod:
            files[mod(folder, base)] = wav(660 + 30 * n)
    return files


def mod_active(normal):
    """The same contents as `normal` after the mod was enabled."""
    files = {}
    for folder, base, replaced in TRACKS:
        files[backup(folder, base)] = normal[live(folder, base)]
        if replaced:
            files[live(folder, base)] = normal[mod(folder, base)]
    return files


def parked(stock):
    """What "Rename" leaves of `stock` without the mod's files: every stock file
    under its backup name, and no music plays."""
    return {backup(folder, base): stock[live(folder, base)] for folder, base, _ in TRACKS}


def write(root, files, folders=FOLDERS):
    root = Path(root)
    for folder in folders:
        (root / folder).mkdir(parents=True, exist_ok=True)
    for name, contents in files.items():
        (root / name).write_bytes(contents)


def read(root):
    """name -> contents of everything in the two folders."""
    root = Path(root)
    return {f"{folder}/{p.name}": Contents(p.read_bytes()) if p.is_file() else None
            for folder in FOLDERS if (root / folder).is_dir()
            for p in sorted((root / folder).iterdir())}


def describe(root):
    """'normal music', 'mod active', or 'mixed' with the names out of place."""
    present = {name for name in read(root)}
    normal = set(normal_music())
    active = set(mod_active(normal_music()))
    if present == normal:
        return "normal music"
    if present == active:
        return "mod active"
    nearer = min((normal, active), key=lambda expected: len(expected ^ present))
    lines = ["mixed:"]
    lines += [f"  missing   {name}" for name in sorted(nearer - present)]
    lines += [f"  unexpected {name}" for name in sorted(present - nearer)]
    return "\n".join(lines)


if __name__ == "__main__":
    import sys
    command, folder = sys.argv[1], sys.argv[2]
    if command == "create" and not Path(folder).exists():
        write(folder, normal_music())
    print(describe(folder))
