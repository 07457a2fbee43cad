#!/bin/sh
# Builds the Linux program and starts it in a demo game folder, build/demo-game,
# then says which music the folder holds. Run it again to switch back.
# With a display, the window waits for your click. Without one, the program runs
# on its own Xvfb, a picture of its window is saved as build/demo-window.png, and
# the button that switches the folder is clicked for you.
set -eu
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then headless=yes; else headless=; fi
scripts/install-deps.sh "${headless:+headless-}linux"
cmake --preset linux >/dev/null
cmake --build --preset linux --target vornhaskel -j "$(nproc)"
echo "demo folder before: $(python3 scripts/gamefolder.py create build/demo-game)"
status=0
if [ -n "$headless" ]; then
    echo "no display: running on Xvfb and clicking for you"
    python3 scripts/demo_headless.py build/linux/shell/gtk/vornhaskel build/demo-game build/demo-window.png || status=$?
    echo "picture of the window: build/demo-window.png"
else
    (cd build/demo-game && exec ../linux/shell/gtk/vornhaskel) || status=$?
fi
echo "vornhaskel exited with status $status"
echo "demo folder now: $(python3 scripts/gamefolder.py describe build/demo-game)"
