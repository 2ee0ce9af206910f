#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# One kernel test: builds zentu and the driver static for ARCH, packs them
# with busybox and the input and HID modules into an initramfs, boots Debian's
# kernel on it under qemu's software emulation, and reads the verdict from
# the serial console.
#
# usage: run.sh ARCH SOURCE-DIR WORK-DIR [CACHE-DIR]
# Exit status: 0 all cases passed, 77 skipped (a tool is missing and this
# is not CI), anything else failed.
set -euo pipefail
arch=$1
src=$2
work=$3/$arch
cache=${4:-${ZENTU_KERNEL_CACHE:-$3/cache}}
here=$(cd "$(dirname "$0")" && pwd)

case $arch in
x86_64)
    qemu=(qemu-system-x86_64 -M pc)
    cxx=g++ console=ttyS0 preset=default
    ;;
armhf)
    qemu=(qemu-system-arm -M virt -cpu cortex-a15)
    cxx=arm-linux-gnueabihf-g++ console=ttyAMA0 preset=armhf
    ;;
*) echo "unknown architecture $arch" >&2; exit 2 ;;
esac

for tool in "${qemu[0]}" "$cxx" cpio xz apt-get dpkg-deb cmake timeout; do
    if ! command -v "$tool" >/dev/null; then
        if [ "${CI:-}" = true ]; then
            echo "FAIL: $tool is not installed" >&2
            exit 1
        fi
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

seconds() { date +%s.%N; }
t0=$(seconds)
bash "$here/fetch.sh" "$arch" "$cache"
t1=$(seconds)

mkdir -p "$work"
# The guest has nothing but busybox: everything else goes in static, zentu
# and the driver built alike, as the product's own preset builds them.
cmake -S "$src" --preset "$preset" -B "$work/build" -DZENTU_TESTS=OFF -DZENTU_KERNEL_GUEST=ON \
    -DCMAKE_EXE_LINKER_FLAGS=-static >"$work.cmake.log"
cmake --build "$work/build" -j2 --target zentu zentu-probe zentu-kernel-driver >>"$work.cmake.log"
root=$work/root
rm -rf "$root"
mkdir -p "$root"/{bin,lib/modules,dev,proc,sys,tmp}
cp "$work/build/zentu-kernel-driver" "$root/driver"
cp "$work/build/zentu" "$root/zentu"
cp "$work/build/tools/zentu-probe/zentu-probe" "$root/zentu-probe"
cp "$here/init" "$root/init"
cp "$cache/$arch/busybox" "$root/bin/busybox"
cp "$cache/$arch/modules/"*.ko "$root/lib/modules/"
chmod 755 "$root/init" "$root/bin/busybox"
(cd "$root" && find . | cpio -o -H newc -R 0:0 --quiet) >"$work/initramfs.cpio"
t2=$(seconds)

log=$work/serial.log
rm -f "$log"
timeout --kill-after=5 180 "${qemu[@]}" -m 256 -smp 1 \
    -kernel "$cache/$arch/kernel" -initrd "$work/initramfs.cpio" \
    -append "console=$console panic=-1 quiet" \
    -nodefaults -display none -serial "file:$log" -nic none -no-reboot || true
t3=$(seconds)

tr -d '\r' <"$log" | grep -v '^\[ *[0-9.]*\]' || true
awk -v a="$t0" -v b="$t1" -v c="$t2" -v d="$t3" -v arch="$arch" 'BEGIN {
    printf "%s times: fetch %.1f s, build %.1f s, boot and test %.1f s\n", arch, b - a, c - b, d - c }'
status=$(tr -d '\r' <"$log" | sed -n 's/^zentu-kernel-status: //p')
if [ "$status" != 0 ] || ! tr -d '\r' <"$log" | grep -Eq '^zentu-kernel: [1-9][0-9]* passed, 0 failed$'; then
    echo "FAIL: the guest reported status '${status:-none}'"
    exit 1
fi
