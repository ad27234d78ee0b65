#!/usr/bin/env bash
# kt7-flash finds its package where it is told to, else in the current folder
# (the program's folder holds none here), and an update from a named file
# takes the boot-loader image beside that file.
#   package_argument_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?build directory}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
flash=$build/src/cli/kt7-flash
work=$build/tests/cli/work
rm -rf "$work"
mkdir -p "$work/chosen" "$work/empty" "$work/current" "$work/flash"
"$here/../usb/make-packages.sh" "$build/tools/kt7-pack/kt7-pack" "$work/made"
cp "$work/made/main.dat" "$work/chosen/KT7_Down.dat"
cp "$work/made/Smpl_HIDTransfer.bin" "$work/chosen/"
cp "$work/made/decoy.dat" "$work/current/KT7_Down.dat"
export KT7_SIMULATE="reattach=0"
# The runs' logs and records stay in the test's folder.
export XDG_STATE_HOME=$work/state

status=0
# expect WHAT CODE PATTERN ARGS...: run in current/, check exit code and output.
expect() {
    local what=$1 code=$2 pattern=$3
    shift 3
    local out result=0
    out=$(cd "$work/current" && "$flash" "$@" 2>&1) || result=$?
    if [ "$result" -ne "$code" ] || ! grep -q -- "$pattern" <<<"$out"; then
        echo "FAIL $what: exit $result (expected $code), output:"
        echo "$out"
        status=1
    fi
}
expect "current folder without a choice" 0 "Firmware Ver:X999" info
expect "folder argument" 0 "Firmware Ver:M101" info ../chosen
expect "--dir" 0 "Firmware Ver:M101" info --dir ../chosen
expect "file argument with another name" 0 "Firmware Ver:M101" info "$work/made/main.dat"
expect "folder without a package" 1 "" info ../empty
expect "argument and --dir" 64 "not both" info ../chosen --dir ../chosen
expect "two arguments" 64 "unexpected argument" update ../chosen ../empty

# The named file is written, and the old boot loader is rewritten from the
# image beside it.
KT7_SIMULATE="flash=$work/flash;reattach=0;version=A107" \
    expect "update from a file argument" 0 "" update ../chosen/KT7_Down.dat
"$build/tests/usb/kt7-usb-verify" "$work/made/main.dat" --bootloader "$work/chosen/Smpl_HIDTransfer.bin" \
    "$work/flash/device0.bin" || { echo "FAIL the update did not write the named package"; status=1; }
[ $status -eq 0 ] && echo "kt7-flash finds the package where it is named, else in the current folder"
exit $status
