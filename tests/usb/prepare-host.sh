#!/usr/bin/env bash
# Makes the host ready to boot USB guests: installs QEMU, a static busybox and
# the unpack tools when missing, then fetches Debian's current amd64 kernel
# package once and keeps its uncompressed image and the USB/HID modules in the
# cache directory. Prints the cache directory on success.
#
#   prepare-host.sh [CACHE_DIR]     (default: $KT7_USB_CACHE or ~/.cache/kt7-usb)
set -euo pipefail

cache=${1:-${KT7_USB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kt7-usb}}
# Loaded in this order: the package has no modules.dep, so dependencies first.
modules=(usb-common usbcore hid hid-generic usbhid udc-core dummy_hcd configfs libcomposite usb_f_hid)

log() { echo "prepare-host: $*" >&2; }

install_missing() {
    local missing=() p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "$@" >&2
}

install_missing qemu-system-x86 busybox-static xz-utils

# The metapackage names the current kernel package.
kernel_package() {
    apt-cache depends linux-image-amd64 2>/dev/null |
        sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*-amd64\)$/\1/p' | head -n 1
}

mkdir -p "$cache"
# Cases may start side by side; one of them fetches, the others wait.
exec 9>"$cache/.lock"
flock 9
if [ -s "$cache/vmlinux" ] && [ -f "$cache/modules/usb_f_hid.ko" ] && [ -f "$cache/kernel-version" ]; then
    echo "$cache"
    exit 0
fi

package=$(kernel_package)
if [ -z "$package" ]; then
    apt-get update -qq >&2 || true
    package=$(kernel_package)
fi
[ -n "$package" ] || { log "no linux-image-*-amd64 package known to apt (apt-cache depends linux-image-amd64)"; exit 1; }

work=$(mktemp -d "$cache/fetch.XXXXXX")
trap 'rm -rf "$work"' EXIT
log "downloading $package"
# apt's sandbox user may not write to the cache directory.
(cd "$work" && apt-get download -q "$package" >&2 2>&1) || (cd "$work" && chmod 777 . && apt-get download -q "$package" >&2)
deb=$(ls "$work"/*.deb)

mkdir -p "$work/root"
dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work/root" --wildcards './boot/vmlinuz-*' './lib/modules/*/kernel/drivers/hid/*' \
    './lib/modules/*/kernel/drivers/usb/*' './lib/modules/*/kernel/fs/configfs/*'

vmlinuz=$(ls "$work"/root/boot/vmlinuz-* | head -n 1)
version=${vmlinuz##*/vmlinuz-}

# The bzImage carries the kernel as one xz stream; QEMU boots the extracted
# ELF directly, which skips the slow in-guest decompression under TCG.
offset=$(LC_ALL=C grep -obUaP '\xFD7zXZ\x00' "$vmlinuz" | head -n 1 | cut -d: -f1)
[ -n "$offset" ] || { log "no xz stream in $vmlinuz"; exit 1; }
tail -c +$((offset + 1)) "$vmlinuz" | xz -dc --single-stream > "$work/vmlinux" 2>/dev/null || true
head -c 4 "$work/vmlinux" | grep -q 'ELF' || { log "the xz stream in $vmlinuz is not an ELF kernel"; exit 1; }

mkdir -p "$work/modules"
for m in "${modules[@]}"; do
    found=$(find "$work/root/lib/modules" -name "$m.ko" -o -name "$m.ko.xz" | head -n 1)
    [ -n "$found" ] || { log "module $m not in $package"; exit 1; }
    case "$found" in
        *.xz) xz -dc "$found" > "$work/modules/$m.ko" ;;
        *) cp "$found" "$work/modules/$m.ko" ;;
    esac
done

rm -rf "$cache/modules"
mv "$work/modules" "$cache/modules"
mv "$work/vmlinux" "$cache/vmlinux"
printf '%s\n' "${modules[@]}" > "$cache/module-order"
echo "$version" > "$cache/kernel-version"
log "kernel $version cached in $cache"
echo "$cache"
