"""The size of vornhaskel.exe against a bare Win32 window that carries the same
icon, version record and manifest and is built with the same flags.

usage: exe_size.py VORNHASKEL_EXE BARE_WINDOW_EXE"""

import os
import sys

exe, bare = (os.path.getsize(path) for path in sys.argv[1:3])
print(f"vornhaskel.exe: {exe} bytes ({exe / 1024:.1f} KiB); bare window: {bare} bytes ({bare / 1024:.1f} KiB)")
print(f"exe size / bare window: {exe / bare:.2f}")
