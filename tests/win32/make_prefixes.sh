#!/bin/sh
# Fresh 64-bit Wine prefixes for one test run, made side by side:
#   wineprefix      the unit tests
#   wineprefix-e2e  the end-to-end tests at 96 dpi
#   wineprefix-144  the end-to-end tests at 144 dpi
#   wineprefix-big  the end-to-end tests with a message font twice Windows' default
# usage: make_prefixes.sh FOLDER
set -eu
base=$1
mkdir -p "$base"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
for name in wineprefix wineprefix-e2e wineprefix-144 wineprefix-big; do
    WINEPREFIX="$base/$name" wineserver -k 2>/dev/null || true  # one left from an earlier run
    rm -rf "${base:?}/$name"
    WINEPREFIX="$base/$name" wineboot -i >/dev/null 2>&1 &
done
wait
export WINEPREFIX="$base/wineprefix-144"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wine reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
# "Make text bigger": the message font as a LOGFONTW, Tahoma 24 pixels high
# (18 points at 96 dpi, twice the 9 points of Windows' default).
export WINEPREFIX="$base/wineprefix-big"
logfont=$(python3 -c "import struct; print((struct.pack('<5i8B', -24, 0, 0, 0, 400, 0, 0, 0, 1, 0, 0, 0, 0)
                                            + 'Tahoma'.encode('utf-16-le').ljust(64, b'\\0')).hex())")
wine reg add 'HKCU\Control Panel\Desktop\WindowMetrics' /v MessageFont /t REG_BINARY /d "$logfont" /f >/dev/null 2>&1
for name in wineprefix wineprefix-e2e wineprefix-144 wineprefix-big; do
    WINEPREFIX="$base/$name" wineserver -w
done
