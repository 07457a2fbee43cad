#!/bin/sh
# Builds both presets and runs every test. Works on a fresh Debian 12 machine.
set -eu
cd "$(dirname "$0")/.."
# Wine keeps per-user state under HOME; CI may start us without one.
if [ -z "${HOME:-}" ]; then HOME=$(getent passwd "$(id -u)" | cut -d: -f6); export HOME; fi
scripts/install-deps.sh
for preset in linux windows; do
    cmake --preset "$preset"
    cmake --build --preset "$preset" -j "$(nproc)"
    ctest --preset "$preset" -j "$(nproc)"
done
