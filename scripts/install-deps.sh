#!/bin/sh
# Installs the Debian 12 packages that the builds and the tests need.
# usage: install-deps.sh [linux | headless-linux]
#   linux: only what the native build needs; headless-linux: that, and an X server
#   with xdotool and ImageMagick for the demo on a machine without a display
set -eu
[ "$(id -u)" -eq 0 ] || exec sudo "$0" "$@"
export DEBIAN_FRONTEND=noninteractive
native="cmake make g++ pkg-config python3 libgtest-dev libgmock-dev googletest libbenchmark-dev libgtk-3-dev
        libjson-glib-dev libsqlite3-dev gettext"
packaging="dpkg-dev file binutils desktop-file-utils appstream libglib2.0-bin"
apt-get update -qq
if [ "${1:-}" = linux ] || [ "${1:-}" = headless-linux ]; then
    [ "$1" = linux ] || native="$native xvfb xauth xdotool imagemagick"
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $native >/dev/null
    exit 0
fi
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $native $packaging \
    g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 \
    wine wine64 \
    xvfb xauth openbox xdotool wmctrl x11-utils imagemagick strace \
    dbus-daemon at-spi2-core python3-pyatspi \
    icoutils \
    fuse3 ntfs-3g exfat-fuse exfatprogs fusefat dosfstools util-linux \
    >/dev/null
