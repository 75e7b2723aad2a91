#!/usr/bin/env bash
# Small file systems for the file-safety tests, made once per test run:
# full/ (a 64 KiB tmpfs that a picture fills), readonly/ (mounted read-only:
# root ignores file modes) and fullbin/ (a 64 KiB tmpfs for a recycle bin
# that cannot take a picture). Mounting needs root; elsewhere nothing is
# made and the tests that need them say so and skip.
# Usage: mounts.sh setup|cleanup DIR
set -u
dir=$2
cleanup() {
  for m in full readonly fullbin; do
    mountpoint -q "$dir/$m" 2>/dev/null && umount "$dir/$m"
  done
  rm -rf "$dir"
}
case "$1" in
  setup)
    cleanup
    mkdir -p "$dir/full" "$dir/readonly" "$dir/fullbin"
    if [ "$(id -u)" = 0 ]; then
      mount -t tmpfs -o size=64k tmpfs "$dir/full" &&
        mount -t tmpfs -o size=64k tmpfs "$dir/fullbin" &&
        mount -t tmpfs -o ro,size=64k tmpfs "$dir/readonly" ||
        echo "mounts: could not mount; the tests that need them skip"
    else
      echo "mounts: not root; the tests that need small or read-only disks skip"
    fi
    ;;
  cleanup) cleanup ;;
esac
exit 0
