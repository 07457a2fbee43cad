#!/bin/sh
# Fresh 64-bit Wine prefixes for one test run, made side by side:
#   wineprefix      the unit tests
#   wineprefix-e2e  the end-to-end tests at 96 dpi
#   wineprefix-144  the end-to-end tests at 144 dpi
# usage: make_prefixes.sh FOLDER
set -eu
base=$1
mkdir -p "$base"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
for name in wineprefix wineprefix-e2e wineprefix-144; do
    rm -rf "${base:?}/$name"
    WINEPREFIX="$base/$name" wineboot -i >/dev/null 2>&1 &
done
wait
export WINEPREFIX="$base/wineprefix-144"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wine reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
for name in wineprefix wineprefix-e2e wineprefix-144; do
    WINEPREFIX="$base/$name" wineserver -w
done
