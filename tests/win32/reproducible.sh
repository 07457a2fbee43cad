#!/bin/sh
# Builds vornhaskel.exe a second time in another folder and compares the bytes.
# usage: reproducible.sh SOURCE_FOLDER SCRATCH_FOLDER FIRST_EXE
set -eu
source=$1 scratch=$2 first=$3
rm -rf "$scratch"
cmake -S "$source" -B "$scratch" --toolchain "$source/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DVORNHASKEL_TESTS=OFF >/dev/null
cmake --build "$scratch" --target vornhaskel -j 2 >/dev/null
cmp "$first" "$scratch/shell/win32/vornhaskel.exe"
echo "identical: $(wc -c < "$first") bytes"
