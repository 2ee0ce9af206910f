#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fetches what a guest of one architecture boots: Debian's kernel with its
# evdev, uinput and HID modules (the HID core, uhid, hid-generic and
# hid-multitouch), and a static busybox. Nothing is installed on
# the host: apt runs with a private state and the guest's architecture,
# and the packages are only unpacked. Cached: a complete set is kept.
#
# usage: fetch.sh ARCH CACHE-DIR   (ARCH: x86_64 or armhf)
# Leaves CACHE-DIR/ARCH/{kernel,busybox,version} and CACHE-DIR/ARCH/modules/,
# the modules in the order they load.
set -euo pipefail
arch=$1
cache=$2
case $arch in
x86_64) deb_arch=amd64 flavour=amd64 ;;
armhf) deb_arch=armhf flavour=armmp ;;
*) echo "unknown architecture $arch" >&2; exit 2 ;;
esac
out=$cache/$arch
# A set fetched before the HID modules were added counts as incomplete.
[ -f "$out/complete" ] && [ -d "$out/modules" ] && exit 0

apt_dir=$cache/apt-$deb_arch
rm -rf "$out" "$apt_dir"
mkdir -p "$out" "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/archives/partial"
: >"$apt_dir/status"
# Only the distribution's own sources; a host may list others for itself.
if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    cp /etc/apt/sources.list.d/debian.sources "$apt_dir/sources.list.d/"
else
    grep -h '^deb ' /etc/apt/sources.list >"$apt_dir/sources.list.d/debian.list"
fi
apt_opts=(-q -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::State::status=$apt_dir/status"
    -o "Dir::Cache=$apt_dir" -o "Dir::Cache::archives=$apt_dir/archives"
    -o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "APT::Architecture=$deb_arch" -o "APT::Architectures::=$deb_arch"
    -o APT::Sandbox::User=root)
apt-get "${apt_opts[@]}" update >"$apt_dir/update.log"
image=$(apt-cache "${apt_opts[@]}" depends "linux-image-$flavour" |
    awk '/Depends: linux-image-/ { print $2; exit }')
[ -n "$image" ] || { echo "no kernel package behind linux-image-$flavour" >&2; exit 1; }
(cd "$apt_dir/archives" && apt-get "${apt_opts[@]}" download "$image" busybox-static >/dev/null)

unpacked=$apt_dir/unpacked
mkdir -p "$unpacked"
# hid.ko first: uhid, hid-generic and hid-multitouch depend on it.
modules=(input/evdev input/misc/uinput hid/hid hid/uhid hid/hid-generic hid/hid-multitouch)
patterns=()
for m in "${modules[@]}"; do patterns+=("*/kernel/drivers/$m.ko*"); done
dpkg-deb --fsys-tarfile "$apt_dir"/archives/linux-image-*.deb |
    tar -x -C "$unpacked" --wildcards './boot/vmlinuz-*' "${patterns[@]}"
dpkg-deb --fsys-tarfile "$apt_dir"/archives/busybox-static_*.deb | tar -x -C "$unpacked" ./bin/busybox
cp "$unpacked/bin/busybox" "$out/"
mkdir -p "$out/modules"
n=0
for m in "${modules[@]}"; do
    # busybox's insmod takes plain modules only.
    src=$(echo "$unpacked"/lib/modules/*/kernel/drivers/"$m".ko*)
    dst=$out/modules/$n-${m##*/}.ko
    case $src in
    *.ko) cp "$src" "$dst" ;;
    *.ko.xz) xz -dc "$src" >"$dst" ;;
    *.ko.zst) zstd -qdc "$src" >"$dst" ;;
    *) echo "no module $m in $image" >&2; exit 1 ;;
    esac
    n=$((n + 1))
done
vmlinuz=$(echo "$unpacked"/boot/vmlinuz-*)
echo "${vmlinuz##*/vmlinuz-}" >"$out/version"

# Under emulation the x86 decompressor costs seconds per boot: unpack the
# xz payload once into the plain ELF image, which boots directly.
cp "$vmlinuz" "$out/kernel"
if [ "$arch" = x86_64 ]; then
    for offset in $(LC_ALL=C grep -obUaP '\xfd7zXZ\x00' "$vmlinuz" | cut -d: -f1); do
        tail -c +$((offset + 1)) "$vmlinuz" | xz -dc --single-stream >"$out/vmlinux" 2>/dev/null || true
        if [ "$(head -c 4 "$out/vmlinux" | od -An -tx1 | tr -d ' ')" = 7f454c46 ]; then
            mv "$out/vmlinux" "$out/kernel"
            break
        fi
    done
    rm -f "$out/vmlinux"
fi
rm -rf "$unpacked" "$apt_dir/archives" "$apt_dir/lists"
touch "$out/complete"
