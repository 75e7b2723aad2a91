#!/usr/bin/env bash
# The shipped plug-in's decode of one 1920x1080 and one 3840x2160 picture of
# each container format (WebP, HEIC, AVIF, JPEG XL) under Wine, against the
# format's own Debian decoder (dwebp, heif-convert, djxl) on the same file in
# the same run. Everything runs pinned to CPU 0, so each decoder has one
# core; each figure is the median of five runs after a warm-up (the native
# tools' as whole processes, writing PPM or Y4M to /dev/shm). Lower ratios
# are better.
# Usage: bench/decode.sh [x86|x64]   (default: the build this kernel runs natively)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/bench/tree-arg.sh" "${1:-}" decode
. "$root/bench/session.sh" "decode bench"
bits=$([ "$tree_name" = target ] && echo 32-bit || echo 64-bit)

pictures="$root/build/bench-decode"
mkdir -p "$pictures"
/usr/bin/python3 - "$root" "$pictures" <<'PY'
import os, runpy, subprocess, sys
root, folder = sys.argv[1], sys.argv[2]
backdrop = runpy.run_path(os.path.join(root, "scripts", "make-pictures.py"))["backdrop"]
encoders = {"webp": ["cwebp", "-quiet", "-q", "85"], "heic": ["heif-enc", "-q", "60"],
            "avif": ["avifenc", "-s", "6"], "jxl": ["cjxl", "--quiet", "-d", "1"]}
for width, height in ((1920, 1080), (3840, 2160)):
    source = os.path.join(folder, "%dx%d.png" % (width, height))
    if not os.path.exists(source):
        backdrop(width, height, 7).save(source)
    for ext, command in encoders.items():
        out = os.path.join(folder, "%dx%d.%s" % (width, height, ext))
        if os.path.exists(out):
            continue
        argv = command + ([source, "-o", out] if command[0] in ("cwebp", "heif-enc") else [source, out])
        subprocess.run(argv, check=True, capture_output=True)
PY

# Median milliseconds of five runs of a command, after one to warm up.
native_ms() {
  /usr/bin/python3 - "$@" <<'PY'
import subprocess, sys, time
took = []
for round in range(6):
    start = time.perf_counter()
    subprocess.run(sys.argv[1:], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    took.append((time.perf_counter() - start) * 1000)
print("%.2f" % sorted(took[1:])[2])
PY
}

files=()
for size in 1920x1080 3840x2160; do
  for ext in webp heic avif jxl; do files+=("$size.$ext"); done
done
plugin=$("$WINE" winepath -w "$build"/bundle/plugins/wic.sp?)
cd "$pictures"
mapfile -t plugin_ms < <(taskset -c 0 "$root/scripts/wine-run.sh" "$build" "$build/bench/decode_bench.exe" "$plugin" \
  "${files[@]}" | tr -d '\r')
worst=0
for i in "${!files[@]}"; do
  file=${files[$i]}
  ours=${plugin_ms[$i]#* }
  case "$file" in
    *.webp) format=WebP; native=(dwebp "$file" -ppm -o /dev/shm/trawlix-decode.ppm) ;;
    *.heic) format=HEIC; native=(heif-convert "$file" /dev/shm/trawlix-decode.y4m) ;;
    *.avif) format=AVIF; native=(heif-convert "$file" /dev/shm/trawlix-decode.y4m) ;;
    *.jxl) format="JPEG XL"; native=(djxl "$file" /dev/shm/trawlix-decode.ppm --num_threads=1) ;;
  esac
  theirs=$(taskset -c 0 bash -c "$(declare -f native_ms); native_ms $(printf '%q ' "${native[@]}")")
  ratio=$(awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "%.2f", a / b }')
  worst=$(awk -v a="$worst" -v b="$ratio" 'BEGIN { print (b > a ? b : a) }')
  echo "decode $format ${file%%.*}: plug-in $ours ms, native $theirs ms, ratio $ratio"
done
rm -f /dev/shm/trawlix-decode.*
echo "decode: worst ratio $worst ($bits)"
