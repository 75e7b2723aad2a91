#!/bin/bash
# Runs in the test machine: sets up the usual mounts, runs the job the
# host left in build/vm/job, then powers the machine off.
work=$1
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
export HOME=/root PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin
stty -onlcr 2>/dev/null
echo "@@vm-start"
status=0
bash "$work/build/vm/job" || status=$?
echo "@@vm-exit $status"
sync
umount "$work" 2>/dev/null
echo o > /proc/sysrq-trigger
sleep 10
