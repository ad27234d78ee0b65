#!/usr/bin/env bash
# Boots one USB guest and collects what it reports.
#
#   run-guest.sh CACHE_DIR STAGE_DIR OUT_DIR [TIME_LIMIT_S]
#
# STAGE_DIR becomes /kt7 in the guest and must hold case.sh; an optional
# device-count file sets how many emulated USB controllers exist. Shared
# libraries of the executables in STAGE_DIR are copied in. OUT_DIR receives
# console.log and every file the case left in /out. The exit status is the
# case script's, 124 on the time limit, 125 when the guest gave no result.
set -euo pipefail

cache=$1 stage=$2 out=$3 limit=${4:-240}
here=$(cd "$(dirname "$0")" && pwd)

mkdir -p "$out"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root"/{bin,lib/modules,kt7,out,proc,sys,dev,tmp}

cp /bin/busybox "$root/bin/busybox"
cp "$here/guest-init.sh" "$root/init"
chmod +x "$root/init"
cp "$cache"/modules/*.ko "$root/lib/modules/"
cp "$cache/module-order" "$root/lib/modules/order"
cp -a "$stage/." "$root/kt7/"

# Debug info only slows the guest's start (the initramfs is unpacked under TCG).
for exe in "$root"/kt7/*; do
    [ -f "$exe" ] && [ -x "$exe" ] && head -c 4 "$exe" | grep -q 'ELF' || continue
    command -v strip >/dev/null && strip --strip-debug "$exe" 2>/dev/null || true
done

# Each dynamic executable's libraries, at the paths the loader looks for them.
for exe in "$root"/kt7/*; do
    [ -f "$exe" ] && [ -x "$exe" ] && head -c 4 "$exe" | grep -q 'ELF' || continue
    ldd "$exe" 2>/dev/null | grep -o '/[^ ]*' | while read -r lib; do
        [ -e "$root$lib" ] && continue
        mkdir -p "$root$(dirname "$lib")"
        cp -L "$lib" "$root$lib"
    done
done

(cd "$root" && find . | busybox cpio -o -H newc 2>/dev/null) > "$out/initramfs.cpio"

console="$out/console.log"
status=0
timeout --kill-after=5 "$limit" qemu-system-x86_64 -accel tcg -nographic -no-reboot -m 512 \
    -kernel "$cache/vmlinux" -initrd "$out/initramfs.cpio" \
    -append "console=ttyS0 quiet panic=-1" </dev/null > "$console" 2>&1 || status=$?
rm -f "$out/initramfs.cpio"
tr -d '\r' < "$console" > "$console.tmp" && mv "$console.tmp" "$console"

# Files between markers: gzip + base64.
awk -v dir="$out" '
    /^KT7-FILE-BEGIN / { name = $2; file = dir "/" name ".b64"; printf "" > file; next }
    /^KT7-FILE-END/ { close(file); name = ""; next }
    name != "" { print >> file }
' "$console"
for b in "$out"/*.b64; do
    [ -e "$b" ] || continue
    base64 -d "$b" | gunzip -c > "${b%.b64}" || echo "run-guest: ${b##*/} arrived damaged" >&2
    rm -f "$b"
done

result=$(sed -n 's/^KT7-RESULT \([0-9]*\)$/\1/p' "$console" | tail -n 1)
if [ -n "$result" ]; then
    exit "$result"
fi
if [ "$status" -eq 124 ]; then
    echo "run-guest: no result within ${limit}s; see $console" >&2
    exit 124
fi
echo "run-guest: the guest ended without a result (qemu status $status); see $console" >&2
exit 125
