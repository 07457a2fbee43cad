#!/bin/sh
# Builds the Linux program and starts it in a demo game folder, build/demo-game,
# then says which music the folder holds. Run it again to switch back.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh linux
cmake --preset linux >/dev/null
cmake --build --preset linux --target vornhaskel -j "$(nproc)"
echo "demo folder before: $(python3 scripts/gamefolder.py create build/demo-game)"
status=0
(cd build/demo-game && exec ../linux/shell/gtk/vornhaskel) || status=$?
echo "vornhaskel exited with status $status"
echo "demo folder now: $(python3 scripts/gamefolder.py describe build/demo-game)"
