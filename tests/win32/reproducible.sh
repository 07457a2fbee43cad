#!/bin/sh
# Builds the exes a second time in another folder and compares the bytes; each
# exe's target has its file's name.
# usage: reproducible.sh SOURCE_FOLDER SCRATCH_FOLDER FIRST_EXE...
set -eu
source=$1 scratch=$2
shift 2
rm -rf "$scratch"
cmake -S "$source" -B "$scratch" --toolchain "$source/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DVORNHASKEL_TESTS=OFF >/dev/null
targets=
for first in "$@"; do targets="$targets $(basename "$first" .exe)"; done
# shellcheck disable=SC2086 # one word per target
cmake --build "$scratch" --target $targets -j 2 >/dev/null
for first in "$@"; do
    cmp "$first" "$scratch/shell/win32/$(basename "$first")"
    echo "identical: $(basename "$first"), $(wc -c < "$first") bytes"
done
