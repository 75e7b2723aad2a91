#!/usr/bin/env bash
# Runs a command in the project directory inside a small virtual machine with
# Debian's own kernel, for hosts whose kernel cannot run 32-bit programs (Wine's
# loader is one). The machine sees the host's root read-only under a
# throw-away writable layer and the project read-write at its own path, so it
# runs the packages installed here on the build made here.
# Usage: scripts/vm/run.sh COMMAND [ARGS...]; exits with the command's status.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
vm="$root/build/vm"
mkdir -p "$vm"

# Kernel and busybox come from Debian's packages, unpacked, not installed.
if [ ! -f "$vm/initrd.gz" ]; then
  rm -rf "$vm/debs" "$vm/x" "$vm/initrd"
  mkdir -p "$vm/debs"
  kpkg=$(apt-cache depends linux-image-amd64 | awk '/Depends: linux-image-/{print $2; exit}')
  (cd "$vm/debs" && apt-get download -q "$kpkg" busybox-static >/dev/null 2>&1)
  for d in "$vm"/debs/*.deb; do dpkg-deb -x "$d" "$vm/x"; done
  cp "$vm"/x/boot/vmlinuz-* "$vm/vmlinuz"
  mkdir -p "$vm/initrd/bin" "$vm/initrd/modules"
  cp "$vm/x/bin/busybox" "$vm/initrd/bin/"
  # Shared-folder drivers, in load order.
  order="virtio_ring virtio virtio_pci_modern_dev virtio_pci_legacy_dev virtio_pci
         netfs fscache 9pnet 9pnet_virtio 9p overlay"
  for m in $order; do
    cp "$(find "$vm/x/lib/modules" -name "$m.ko" | head -1)" "$vm/initrd/modules/"
  done
  echo $order | tr ' ' '\n' >"$vm/initrd/modules.order"
  cp "$root/scripts/vm/init" "$vm/initrd/init"
  chmod +x "$vm/initrd/init"
  python3 "$root/scripts/vm/mkcpio.py" "$vm/initrd" "$vm/initrd.gz.new"
  mv "$vm/initrd.gz.new" "$vm/initrd.gz"
  rm -rf "$vm/x" "$vm/debs"
fi

printf 'cd %q\n' "$PWD" >"$vm/job"
printf '%q ' "$@" >>"$vm/job"
echo >>"$vm/job"
rm -f "$vm/status"

# The guest brackets the command's output with markers; only that is shown.
# The emulated CPU is a plain one: with "-cpu max" Wine's 32-bit code faults
# in the guest kernel.
qemu-system-x86_64 -accel tcg,thread=multi -cpu Nehalem -smp "$(nproc)" -m 6G \
  -nographic -no-reboot -net none -kernel "$vm/vmlinuz" -initrd "$vm/initrd.gz" \
  -append "console=ttyS0 quiet panic=-1 trawlix.work=$root" \
  -virtfs local,path=/,mount_tag=hostroot,security_model=passthrough,readonly=on,multidevs=remap \
  -virtfs "local,path=$root,mount_tag=work,security_model=passthrough" </dev/null 2>&1 |
  stdbuf -oL tr -d '\r' | awk -v status="$vm/status" '
    /@@vm-start$/ { on = 1; next }
    /^@@vm-exit / { print $2 > status; on = 0; next }
    on { print; fflush() }'
[ -f "$vm/status" ] || { echo "vm: the machine stopped before the command ended" >&2; exit 1; }
exit "$(cat "$vm/status")"
