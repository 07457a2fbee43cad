#!/bin/sh
# Installs every Debian 12 package that the builds and the tests need.
set -eu
[ "$(id -u)" -eq 0 ] || exec sudo "$0" "$@"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends \
    cmake make g++ pkg-config python3 \
    libgtest-dev libgmock-dev googletest libbenchmark-dev \
    libgtk-3-dev \
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
    wine wine64 \
    xvfb xauth openbox xdotool x11-utils imagemagick \
    icoutils \
    fuse3 ntfs-3g exfat-fuse exfatprogs fusefat dosfstools util-linux \
    >/dev/null
