#!/bin/sh
# Mounts a small drive image through FUSE and runs the RealFileSystem tests on it.
# usage: real_fs.sh ntfs|exfat|vfat TEST_BINARY
# Exits 77 (skipped) only where FUSE or loop devices are missing.
set -eu
kind=$1 binary=$2

[ -c /dev/fuse ] || { echo "skipped: /dev/fuse is missing"; exit 77; }
if [ "$kind" = exfat ] && ! [ -e /dev/loop-control ]; then echo "skipped: no loop devices"; exit 77; fi

work=$(mktemp -d)
loop=
cleanup() {
    mountpoint -q "$work/mnt" && { fusermount -u "$work/mnt" 2>/dev/null || umount -l "$work/mnt"; }
    [ -n "$loop" ] && losetup -d "$loop"
    rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/mnt"
truncate -s 32M "$work/drive.img"

case $kind in
ntfs)
    mkntfs -q -F -f "$work/drive.img" >/dev/null 2>&1
    ntfs-3g "$work/drive.img" "$work/mnt" ;;
exfat)
    mkfs.exfat "$work/drive.img" >/dev/null
    loop=$(losetup -f --show "$work/drive.img")
    mount.exfat-fuse "$loop" "$work/mnt" >/dev/null ;;
vfat)
    mkfs.vfat "$work/drive.img" >/dev/null
    fusefat -o rw+ "$work/drive.img" "$work/mnt" >/dev/null ;;
*)
    echo "unknown drive kind: $kind" >&2; exit 2 ;;
esac

VORNHASKEL_FS_ROOT="$work/mnt" VORNHASKEL_FS_KIND=$kind "$binary" --gtest_filter='RealFileSystem.*' --gtest_brief=1
