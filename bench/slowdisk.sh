#!/usr/bin/env bash
# The search over a slow disk: the benchmark tree seen through a FUSE mount
# of our own (bench/slowfs.c, a read-only passthrough on Debian's libfuse3)
# whose every open waits DELAY_US. A bare walk that opens every file, the
# first search (no remembered sizes) and the repeated search, each on a
# fresh mount that counts its opens. Needs root (FUSE).
# Usage: bench/slowdisk.sh [N] [DELAY_US]   (default 20000 files, 1000 us)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-20000}
delay=${2:-1000}
if ! pkg-config --exists fuse3 2>/dev/null || ! command -v fusermount3 >/dev/null; then
  apt-get install -y -q libfuse3-dev fuse3 pkg-config >/dev/null
fi
. "$root/bench/session.sh" "slow disk bench"
tree="$root/build/bench-tree-$count"
mkdir -p "$tree"
/usr/bin/python3 "$root/bench/make-tree.py" "$count" "$tree"
slowfs="$root/build/slowfs"
gcc -O2 -Wall -o "$slowfs" "$root/bench/slowfs.c" $(pkg-config --cflags --libs fuse3)
mount="$root/build/slowdisk"
mkdir -p "$mount"
wmount=$("$WINE" winepath -w "$mount")
wplugins=$("$WINE" winepath -w "$build/bundle/plugins")
sizes="$build/bench/search_bench.sizes"
opens="$root/build/slowdisk.opens"

# One round of MODE on a fresh mount: prints "SECONDS OPENS".
round() {
  rm -f "$opens"
  "$slowfs" "$tree" "$mount" "$delay" "$opens" &
  local fs=$!
  for _ in $(seq 1 100); do mountpoint -q "$mount" && break; sleep 0.1; done
  local line
  line=$(taskset -c 0 "$root/scripts/wine-run.sh" "$build" "$build/bench/search_bench.exe" "$wmount" "$wplugins" "$1" |
    grep -E "^$1:")
  fusermount3 -u "$mount"
  wait "$fs" || true
  echo "$(echo "$line" | sed -E 's/.* rows, ([0-9.]+) s,.*/\1/') $(cat "$opens")"
}

read -r bare bareOpens < <(round bare)
rm -f "$sizes"
read -r first firstOpens < <(round fast)
read -r again againOpens < <(round fast)
echo "slow disk: $count files, $delay us per open: bare walk $bare s ($bareOpens opens), first search $first s ($firstOpens opens), repeated search $again s ($againOpens opens)"
