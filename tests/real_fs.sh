#!/bin/sh
# Mounts a small drive image through FUSE and runs the RealFileSystem tests on it.
# usage: real_fs.sh ntfs|exfat|vfat TEST_BINARY
# Exits 77 (skipped) where it cannot mount: not root, or FUSE or loop devices
# missing. It never runs the tests on anything but the mounted drive.
set -eu
kind=$1 binary=$2

skip() { echo "skipped: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "mounting drive images needs root"
[ -c /dev/fuse ] || skip "/dev/fuse is missing"
if [ "$kind" = exfat ] && ! [ -e /dev/loop-control ]; then skip "no loop devices"; fi

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

# A mount tool may print its complaint and still exit 0: the mount table decides.
case $kind in
ntfs)
    mkntfs -q -F -f "$work/drive.img" >/dev/null 2>&1
    ntfs-3g "$work/drive.img" "$work/mnt" || true ;;
exfat)
    mkfs.exfat "$work/drive.img" >/dev/null
    loop=$(losetup -f --show "$work/drive.img") || skip "no free loop device"
    mount.exfat-fuse "$loop" "$work/mnt" >/dev/null || true ;;
vfat)
    mkfs.vfat "$work/drive.img" >/dev/null
    fusefat -o rw+ "$work/drive.img" "$work/mnt" >/dev/null || true ;;
*)
    echo "unknown drive kind: $kind" >&2; exit 2 ;;
esac
mountpoint -q "$work/mnt" || skip "could not mount the $kind image"

VORNHASKEL_FS_ROOT="$work/mnt" VORNHASKEL_FS_KIND=$kind "$binary" --gtest_filter='RealFileSystem.*' --gtest_brief=1
