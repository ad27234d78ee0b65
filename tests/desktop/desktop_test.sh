#!/usr/bin/env bash
# Installs the freshly built .deb, starts a virtual display with a window
# manager, and drives the installed /usr/bin/kt7-updater against simulated
# devices with the keyboard:
#   a) opened with a package, as the desktop entry opens a double-clicked
#      file: Next, OK, wait for the end, Exit; the devices' flash must hold
#      the package and the boot-loader image that lies beside it;
#   b) started with no package anywhere: the file dialog at once (no box:
#      the installed program's folder is no place for a package), opened
#      in Downloads; a name is typed over the file the
#      dialog offers (a damaged one), and the welcome page shows; Esc ends
#      with exit code 0;
#   c) a damaged package: its message box, then exit code 1;
#   d) --verify, with a device that keeps a page of the main program wrong:
#      the read-back finds it, its message box, then exit code 4.
# A picture of the screen at each step goes to tests/desktop/shots/ in the
# build folder. The package is removed again at the end.
#   desktop_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?build directory}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
skip() { echo "SKIPPED: $*"; exit 77; }

[ "$(id -u)" -eq 0 ] || skip "installs the .deb with dpkg -i and needs root (CI runs it as root)"
for tool in Xvfb openbox xdotool import dpkg cpack; do
    command -v "$tool" >/dev/null || skip "$tool is missing (scripts/deps installs it)"
done
if dpkg-query -W -f='${Status}' kt7-updater 2>/dev/null | grep -q "install ok installed"; then
    skip "kt7-updater is installed on this machine already; this test will not replace it"
fi

work=$build/tests/desktop/work
shots=$build/tests/desktop/shots
rm -rf "$work" "$shots"
mkdir -p "$work/deb" "$work/a" "$work/b/home/Downloads" "$work/c" "$work/empty" "$shots"
log=$work/run.log
# The wizard's log and records stay in the test's folder.
export XDG_STATE_HOME=$work/state
pids=()
installed=0
cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    if [ $installed -eq 1 ]; then
        dpkg -r kt7-updater >>"$log" 2>&1 || echo "could not remove kt7-updater again (see $log)"
    fi
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    echo "pictures so far: $shots"
    tail -n 30 "$log" 2>/dev/null || true
    exit 1
}

# --- the package and the files the runs use ---------------------------------
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/deb" >>"$log" 2>&1 || fail "cpack failed"
deb=$(ls "$work"/deb/*.deb)
dpkg -i "$deb" >>"$log" 2>&1 || fail "dpkg -i $deb failed"
installed=1
[ -x /usr/bin/kt7-updater ] || fail "/usr/bin/kt7-updater is not installed"

"$here/../usb/make-packages.sh" "$build/tools/kt7-pack/kt7-pack" "$work/made" >>"$log" 2>&1
cp "$work/made/main.dat" "$work/a/KT7_Down.dat"
cp "$work/made/Smpl_HIDTransfer.bin" "$work/a/"
cp "$work/made/main.dat" "$work/b/home/Downloads/KT7_Down_ok.dat"
printf 'KT7' >"$work/b/home/Downloads/KT7_Down.dat"
printf 'KT7' >"$work/c/KT7_Down.dat"   # far too short to hold a package

# --- the display --------------------------------------------------------------
source "$here/../support/window_helpers.sh"
export LC_ALL=C.UTF-8
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
start_display "$work/display"

# --- helpers: every wait is bounded -------------------------------------------
# wait_exit PID: sets `code` to the exit code (run here, not in a subshell,
# which could not wait for this shell's child).
wait_exit() {
    for _ in $(seq 150); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.2
    done
    kill -0 "$1" 2>/dev/null && fail "kt7-updater did not end"
    code=0
    wait "$1" || code=$?
}

# --- a) a package to open, as the desktop entry opens a file --------------------
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/kt7-updater.desktop)
[ "$exec_line" = "kt7-updater %f" ] || fail "the desktop entry runs '$exec_line'"
mkdir -p "$work/a/flash"
(cd "$work/empty" &&
    KT7_SIMULATE="devices=2;version=A107;reattach=300;flash=$work/a/flash" \
        exec /usr/bin/kt7-updater "$work/a/KT7_Down.dat") >>"$log" 2>&1 &
app=$!
welcome=$(wait_window "$PAGE") || fail "a: no welcome page"
shot a1-welcome "$welcome"
past_warning a "$welcome" a2-warning
progress=$(wait_window "$PAGE" "$welcome" "$warning") || fail "a: no progress page"
shot a3-progress "$progress"
# Exit works only once the update has ended, and the page stands still then:
# press it when two looks a second apart see the same picture.
last=""
for _ in $(seq 120); do
    now=$(import -window "$progress" rgb:- 2>/dev/null | md5sum)
    if [ "$now" = "$last" ]; then
        import -frame -window "$progress" "$shots/a4-finished.png"
        press "$progress" alt+e
        wait_gone "$progress" && break
    fi
    last=$now
    sleep 1
done
wait_exit $app
[ "$code" -eq 0 ] || fail "a: exit code $code, expected 0"
"$build/tests/usb/kt7-usb-verify" "$work/made/main.dat" --bootloader "$work/a/Smpl_HIDTransfer.bin" \
    "$work/a/flash/device0.bin" "$work/a/flash/device1.bin" >>"$log" 2>&1 ||
    fail "a: the flash images do not hold the update"
echo "a) opened with a package: updated two devices, boot loader from beside the package"

# --- b) no package anywhere: the file dialog -----------------------------------
(cd "$work/empty" && HOME=$work/b/home XDG_CONFIG_HOME=$work/b/home/.config KT7_SIMULATE="devices=1" \
    exec /usr/bin/kt7-updater) >>"$log" 2>&1 &
app=$!
# The installed program's folder is no place for a package: it asks for one
# at once, without a message about the file it did not find there.
dialog=$(wait_window "$FILE_DIALOG") || fail "b: no file dialog"
xdotool search --onlyvisible --name "$BOX" >/dev/null 2>&1 && fail "b: a message box came with the file dialog"
shot b1-file-dialog "$dialog"
# The dialog opens in Downloads: the bare name finds the package there. Had
# the typed name not been taken, the damaged file would fail to load.
timeout 20 xdotool windowactivate --sync "$dialog" >/dev/null 2>&1 || true
xdotool key --clearmodifiers ctrl+a
timeout 20 xdotool type --delay 30 "KT7_Down_ok.dat"
shot b2-name-typed "$dialog"
press "$dialog" Return
wait_gone "$dialog" || fail "b: the file dialog stayed open"
welcome=$(wait_window "$PAGE") || fail "b: the chosen package did not load"
shot b3-welcome "$welcome"
press "$welcome" Escape
wait_exit $app
[ "$code" -eq 0 ] || fail "b: exit code $code, expected 0"
echo "b) no package: the file dialog opened in Downloads and the package typed there loaded"

# --- c) a damaged package -------------------------------------------------------
(cd "$work/empty" && KT7_SIMULATE="devices=1" exec /usr/bin/kt7-updater "$work/c/KT7_Down.dat") >>"$log" 2>&1 &
app=$!
box=$(wait_window "$BOX") || fail "c: no message about the damaged package"
shot c1-damaged "$box"
press "$box" Return
wait_exit $app
[ "$code" -eq 1 ] || fail "c: exit code $code, expected 1"
echo "c) a damaged package: its message, then exit code 1"

# --- d) --verify catches a page the device keeps wrong -----------------------
mkdir -p "$work/d/flash"
cp "$work/made/main.dat" "$work/d/KT7_Down.dat"
(cd "$work/empty" && KT7_SIMULATE="devices=1;reattach=300;corrupt=0@257;flash=$work/d/flash" \
    exec /usr/bin/kt7-updater --verify "$work/d/KT7_Down.dat") >>"$log" 2>&1 &
app=$!
welcome=$(wait_window "$PAGE") || fail "d: no welcome page"
past_warning d "$welcome"
box=$(wait_window "$BOX") || fail "d: the read-back found nothing"
shot d1-read-back-failed "$box"
press "$box" Return
wait_gone "$box" || fail "d: OK did not close the message"
progress=$(wait_window "$PAGE" "$welcome" "$warning") || fail "d: no progress page"
# Exit is enabled once the worker is done: press it until the page goes.
for _ in $(seq 60); do
    press "$progress" alt+e
    sleep 0.5
    visible "$progress" || break
done
wait_exit $app
[ "$code" -eq 4 ] || fail "d: exit code $code, expected 4"
echo "d) --verify: the corrupt page was found, exit code 4"
echo "pictures: $shots"
