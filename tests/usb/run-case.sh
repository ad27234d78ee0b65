#!/usr/bin/env bash
# One USB test case: boots a guest in which kt7-gadget serves simulated
# devices through dummy_hcd and usb_f_hid, runs our program against them
# through hidapi and hidraw, and checks the outcome and the devices' flash
# images on the host.
#
#   run-case.sh CASE BUILD_DIR
#
# Cases: probe, release5512, release0100, two-devices (with a foreign HID
# device beside them), bootloader, no-return, unplugged, stalled, parallel
# (four devices of two kinds with --parallel, timed against one of them),
# verify (two devices, every area and block read back through hidraw).
# KT7_USB_CACHE overrides the kernel cache directory; the work files stay in
# BUILD_DIR/tests/usb/work/CASE for inspection.
set -euo pipefail

name=${1:?case name}
build=$(cd "${2:?build directory}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$build/tests/usb/work/$name
limit=${KT7_USB_TIME_LIMIT:-240}

gadget_bin=$build/tools/kt7-gadget/kt7-gadget
flash_bin=$build/src/cli/kt7-flash
pack_bin=$build/tools/kt7-pack/kt7-pack
probe_bin=$build/tests/usb/kt7-usb-probe
verify_bin=$build/tests/usb/kt7-usb-verify

trap 'echo "usb case $name: FAIL: unexpected error at line $LINENO" >&2' ERR
fail() { echo "usb case $name: FAIL: $*" >&2; exit 1; }
need() { [ -x "$1" ] || fail "$1 is not built"; }

# --- the case table --------------------------------------------------------
devices=1             # emulated devices of ours
others=0              # other HID devices beside them (another vendor ID)
gadget_options=""     # kt7-gadget options, simulator syntax (flash=/out is added)
program=update        # update: kt7-flash update; probe: kt7-usb-probe
update_options=""     # more options for kt7-flash update
release=5512          # the release number every device must be listed with
package=KT7_Down.dat  # the package the devices must end up with
decoy=""              # another package beside it that must not be used
bootloader=no         # yes: a boot-loader image is beside the program and must be written
expect_exit=0
expect_text="升级成功，可以断开连接，耗时"
also_text=""
verify=updated        # updated | blank | none
case $name in
    probe)
        devices=2; release=0100; gadget_options="devices=2;release=0100;version=A107"; program=probe; verify=none
        expect_text="probe: PASS" ;;
    release5512)
        gadget_options="release=5512;version=B" ;;
    release0100)
        release=0100; gadget_options="release=0100;version=B"; package=KT7_Down0100.dat; decoy=KT7_Down.dat ;;
    two-devices)
        devices=2; others=1; gadget_options="devices=2;others=1;release=5512;version=B" ;;
    bootloader)
        gadget_options="release=5512;version=A107"; bootloader=yes; also_text="Update bootloader successful!" ;;
    unplugged)
        # Leaves the bus in the middle of the areas: the transfers on the
        # vanished hidraw node must fail, not hang.
        gadget_options="release=5512;version=B;unplug=0@600"; expect_exit=4
        expect_text="升级失败，请重新连接USB设备并升级"; verify=none ;;
    stalled)
        # Stays on the bus but takes nothing more: writes through hidraw must
        # fail after the kernel's bound, and the update with them.
        gadget_options="release=5512;version=B;stall=0@600"; expect_exit=4
        expect_text="升级失败，请重新连接USB设备并升级"; verify=none ;;
    parallel)
        # Two generic devices and two of release 0100, each kind with its own
        # package; first one generic device alone, then all four at once.
        devices=4; gadget_options="devices=4;release=5512,5512,0100;version=B"; program=parallel; decoy=KT7_Down0100.dat
        verify=parallel ;;
    verify)
        devices=2; gadget_options="devices=2;release=5512;version=B"; update_options="--verify" ;;
    no-return)
        gadget_options="release=5512;version=B;noreattach=0"; expect_exit=4
        expect_text="无法连接USB，请检查USB连接！"; verify=blank ;;
    *) fail "unknown case" ;;
esac

# --- the stage: what the guest sees in /kt7 --------------------------------
need "$gadget_bin"
rm -rf "$work"
mkdir -p "$work/stage" "$work/out"
stage=$work/stage
cp "$gadget_bin" "$stage/"
echo $((devices + others)) > "$stage/device-count"

if [ "$program" = probe ]; then
    need "$probe_bin"
    cp "$probe_bin" "$stage/"
    command="kt7-usb-probe $devices 4096"
elif [ "$program" = parallel ]; then
    need "$flash_bin"; need "$pack_bin"; need "$verify_bin"
    cp "$flash_bin" "$stage/"
    "$here/make-packages.sh" "$pack_bin" "$work/packages"
    cp "$work/packages/main.dat" "$stage/$package"
    cp "$work/packages/decoy.dat" "$stage/$decoy"
    cat > "$stage/parallel.sh" <<'PARALLEL'
uptime_s() { cut -d' ' -f1 /proc/uptime; }
kt7-flash list > /out/list.log 2>&1 || exit 20
first=$(awk '$5 == "5512" { print $2; exit }' /out/list.log)
t0=$(uptime_s)
kt7-flash update -v --parallel --device "$first" --dir /kt7 > /out/one.log 2>&1 || { cat /out/one.log; exit 21; }
t1=$(uptime_s)
kt7-flash update -v --parallel --dir /kt7
status=$?
t2=$(uptime_s)
awk -v a="$t0" -v b="$t1" -v c="$t2" 'BEGIN { printf "one=%.1f four=%.1f\n", b - a, c - b }' > /out/times.log
exit $status
PARALLEL
    command="sh /kt7/parallel.sh"
else
    need "$flash_bin"; need "$pack_bin"; need "$verify_bin"
    cp "$flash_bin" "$stage/"
    "$here/make-packages.sh" "$pack_bin" "$work/packages"
    cp "$work/packages/main.dat" "$stage/$package"
    [ -z "$decoy" ] || cp "$work/packages/decoy.dat" "$stage/$decoy"
    [ "$bootloader" = no ] || cp "$work/packages/Smpl_HIDTransfer.bin" "$stage/"
    # The listing shows what hidapi reports of each device before the update;
    # -v puts the diagnostic lines (the boot-loader refresh's among them) into
    # the run's output beside the log.
    command="kt7-flash list > /out/list.log 2>&1; kt7-flash update -v $update_options --dir /kt7"
fi

cat > "$stage/case.sh" <<GUEST
# Generated by run-case.sh for case $name.
kt7-gadget --ready /tmp/gadget.ready '$gadget_options;flash=/out' 2>/out/gadget.log &
gadget=\$!
# Wait until the host side has a hidraw node for every device.
tries=0
while [ \$tries -lt 200 ]; do
    count=\$(cat /sys/class/hidraw/*/device/uevent 2>/dev/null | grep -c 'HID_ID=0003:00000416:0000B500')
    [ "\$count" -ge $devices ] && break
    sleep 0.1; tries=\$((tries + 1))
done
echo "KT7-GUEST: \$count device(s) seen by the host side at \$(cut -d' ' -f1 /proc/uptime) s"
$command > /out/run.log 2>&1
status=\$?
echo "KT7-GUEST: the program ended at \$(cut -d' ' -f1 /proc/uptime) s"
cat /out/run.log
kill \$gadget; wait \$gadget
exit \$status
GUEST

# --- the run ---------------------------------------------------------------
cache=$("$here/prepare-host.sh")
start=$(date +%s.%N)
status=0
"$here/run-guest.sh" "$cache" "$stage" "$work/out" "$limit" || status=$?
end=$(date +%s.%N)
out=$work/out
echo "usb case $name: guest ran $(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }') s, status $status"
[ -f "$out/gadget.log" ] && sed 's/^/  gadget: /' "$out/gadget.log"
[ "$status" -ne 124 ] && [ "$status" -ne 125 ] || { tail -n 40 "$out/console.log" >&2; fail "the guest gave no result"; }

# --- the checks ------------------------------------------------------------
[ "$status" -eq "$expect_exit" ] || { cat "$out/run.log" >&2 2>/dev/null; fail "exit status $status, expected $expect_exit"; }
for text in "$expect_text" "$also_text"; do
    [ -z "$text" ] || grep -qF "$text" "$out/run.log" || { cat "$out/run.log" >&2; fail "the output lacks \"$text\""; }
done

images=()
for ((i = 0; i < devices; i++)); do
    [ -f "$out/device$i.bin" ] || fail "no flash image of device $i came back"
    images+=("$out/device$i.bin")
    # The firmware records every rule a host broke and every report it ignored.
    if grep -q '^fault=' "$out/device$i.status"; then
        fail "device $i saw faults: $(grep '^fault=' "$out/device$i.status" | head -n 3 | tr '\n' ' ')"
    fi
    grep -qx 'ignored=0' "$out/device$i.status" || fail "device $i ignored reports: $(grep '^ignored=' "$out/device$i.status")"
done

case $verify in
    updated)
        args=("$work/packages/main.dat")
        [ "$bootloader" = no ] || args+=(--bootloader "$work/packages/Smpl_HIDTransfer.bin")
        "$verify_bin" "${args[@]}" "${images[@]}" || fail "flash images differ from the package"
        for ((i = 0; i < devices; i++)); do
            grep -qx 'ends=1' "$out/device$i.status" || fail "device $i did not get exactly one end command"
        done
        ;;
    parallel)
        # The gadget's release list gives devices 0 and 1 the generic package.
        "$verify_bin" "$work/packages/main.dat" "${images[0]}" "${images[1]}" || fail "generic devices differ from their package"
        "$verify_bin" "$work/packages/decoy.dat" "${images[2]}" "${images[3]}" || fail "release 0100 devices differ from their package"
        # One generic device was updated twice (alone, then with the others).
        twice=$(cat "$out"/device*.status | grep -cx 'ends=2' || true)
        once=$(cat "$out"/device*.status | grep -cx 'ends=1' || true)
        [ "$twice" -eq 1 ] && [ "$once" -eq 3 ] || fail "end commands: $twice device(s) got two, $once got one; expected 1 and 3"
        for kind in "release 5512 .*KT7_Down\.dat" "release 0100 .*KT7_Down0100\.dat"; do
            [ "$(grep -Ec "$kind" "$out/list.log")" -eq 2 ] || fail "kt7-flash list does not show two devices with $kind"
        done
        read -r one four < <(sed 's/one=\([0-9.]*\) four=\([0-9.]*\)/\1 \2/' "$out/times.log")
        echo "usb case $name: one device alone $one s, four devices in parallel $four s ($(awk -v a="$one" -v b="$four" 'BEGIN { printf "%.2f", b / a }')x)"
        ;;
    blank)
        "$verify_bin" --blank "${images[@]}" || fail "a device that never came back was written"
        ;;
esac

if [ "$program" = update ]; then
    sed 's/^/  list: /' "$out/list.log"
    listed=$(grep -Ec "release $release[[:space:]]" "$out/list.log" || true)
    [ "$listed" -eq "$devices" ] || fail "kt7-flash list shows $listed device(s) with release $release, expected $devices"
    if [ "$release" = 5512 ] || [ "$release" = 0000 ]; then
        grep -Eq 'KT7_Down\.dat[[:space:]]+commands 0xA1-0xA6' "$out/list.log" || fail "the listing does not choose the generic package and base codes"
    else
        grep -Eq "KT7_Down$release\\.dat[[:space:]]+commands 0xE1-0xE6" "$out/list.log" || fail "the listing does not choose the device's own package and codes"
    fi
fi

# Throughput of the programming traffic through the kernel path.
[ "$verify" = updated ] || [ "$verify" = parallel ] && for ((i = 0; i < devices; i++)); do
    awk -F= -v d="$i" '
        $1 == "reports_since_attach" { r = $2 } $1 == "seconds_since_attach" { s = $2 }
        END { if (s > 0) printf "usb case: device %d: %d reports after re-attach in %.2f s (first to last), %.0f reports/s\n", d, r, s, r / s }
    ' "$out/device$i.status"
done
echo "usb case $name: PASS"
