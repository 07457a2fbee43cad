#!/bin/sh
# Builds both presets and runs every test. Works on a fresh Debian 12 machine.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
for preset in linux windows; do
    cmake --preset "$preset"
    cmake --build --preset "$preset" -j "$(nproc)"
    ctest --preset "$preset" -j "$(nproc)"
done
