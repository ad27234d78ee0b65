#!/usr/bin/env bash
# Shows that kt7-usb-verify tells a good flash image from a damaged one, so
# that the guest cases' verdicts mean something. The good image comes from an
# update of an in-process simulated device; each damage must be caught.
#
#   verify-self-check.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?build directory}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$build/tests/usb/work/verify-self-check
verify=$build/tests/usb/kt7-usb-verify

rm -rf "$work"
mkdir -p "$work/flash"
"$here/make-packages.sh" "$build/tools/kt7-pack/kt7-pack" "$work"
cp "$work/main.dat" "$work/KT7_Down.dat"
KT7_SIMULATE="flash=$work/flash;reattach=0" XDG_STATE_HOME=$work/state "$build/src/cli/kt7-flash" update --dir "$work" > "$work/run.log" 2>&1 ||
    { cat "$work/run.log"; echo "self-check: the simulated update failed"; exit 1; }
good=$work/flash/device0.bin
"$verify" "$work/main.dat" "$good" > /dev/null || { "$verify" "$work/main.dat" "$good"; exit 1; }

# Each damage: what it hits, and its offset in the image.
damages=(
    "main program byte:$((0x10000 + 100))"
    "voice data, last whole page:$((0x100000 + 32767))"
    "map image, scrambled part:$((0x200000 + 256 + 10))"
    "map image, random block:$((0x200000 + 5))"
    "descriptor masked map address:$((128 * 256 + 9 * 4))"
    "check-code voice sum:$((160 * 256 + 4))"
)
status=0
for damage in "${damages[@]}"; do
    what=${damage%%:*} offset=${damage##*:}
    cp "$good" "$work/bad.bin"
    byte=$(od -An -tu1 -j "$offset" -N1 "$good" | tr -d ' ')
    printf "\\$(printf '%03o' $(( (byte ^ 0x5A) & 0xFF )))" |
        dd of="$work/bad.bin" bs=1 seek="$offset" conv=notrunc status=none
    if "$verify" "$work/main.dat" "$work/bad.bin" > /dev/null; then
        echo "self-check: FAIL a damaged $what passed"
        status=1
    else
        echo "self-check: damaged $what caught"
    fi
done
"$verify" --blank "$good" > /dev/null && { echo "self-check: FAIL an updated image passed as blank"; status=1; }
exit $status
