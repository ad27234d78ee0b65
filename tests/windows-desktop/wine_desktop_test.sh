#!/usr/bin/env bash
# Drives kt7-updater.exe under Wine on a virtual display, with the keyboard,
# as a person would: Xvfb with openbox, a Wine prefix in a Chinese locale
# whose dialog font is pinned to WenQuanYi Micro Hei (so that the pictures
# stay the same from run to run), xdotool for the keys, a picture per step.
# The wizard updates simulated devices (KT7_SIMULATE); every wait is on a
# window's title or a line of the program's log, bounded, never a fixed pause.
#   a) update: the program beside its package in a folder with a Chinese
#      name, double-clicked as it were; the welcome page with its caption
#      (and " [模拟设备]"); Next, the warning, the progress page, where Esc,
#      Return and the close box do nothing while two devices are written at
#      USB speed and the end of the Windows session is refused; Exit once it
#      is enabled; exit code 0; both devices' flash hold the package and the
#      boot loader beside it (checked as the Linux tests check them), and
#      the records file one success per device, with the package's SHA-256;
#   b) no package: its message, the file dialog, a file typed there, the
#      welcome page with it; Esc: exit code 0;
#   c) a damaged package: its message and exit code 1, no page;
#   d) no device: the message box, centred over the welcome page, which
#      stays; Esc is Cancel: exit code 0;
#   e) a device unplugged while written: the worker's message box, centred
#      over the progress page, the failure on the status line; exit code 4;
#      with a folder where the records file should be, the status line also
#      says that no record was kept;
#   f) --verify with a device that keeps a page wrong: exit code 4, and a
#      record of the failure with its message.
# A program that cannot start under Wine may still exit 0: each case first
# waits for its window.
#
#   wine_desktop_test.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR [--repeat N] [--screenshots DIR]
# The Linux build gives kt7-pack and kt7-usb-verify. --repeat runs the cases
# N times in a row on one display; --screenshots also saves the welcome and
# progress pages as DIR/windows-welcome.png and DIR/windows-progress.png.
# Pictures of every step: WINDOWS_BUILD_DIR/wine-desktop/shots/.
set -euo pipefail
build=$(cd "${1:?Windows build directory}" && pwd)
linux=$(cd "${2:?Linux build directory}" && pwd)
shift 2
repeat=1
screenshots=
while [ $# -gt 0 ]; do
    case $1 in
    --repeat) repeat=$2; shift 2 ;;
    --screenshots) screenshots=$(mkdir -p "$2" && cd "$2" && pwd); shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
    esac
done
skip() { echo "SKIPPED: $*"; exit 77; }
for tool in Xvfb openbox xdotool import wine wineserver wineboot localedef md5sum; do
    command -v "$tool" >/dev/null || skip "$tool is missing (scripts/deps installs it)"
done
[ -d /usr/share/i18n/locales ] || skip "no locale sources (the locales package)"
[ -f /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ] || skip "fonts-wqy-microhei is missing"

exe=$build/src/win/kt7-updater.exe
[ -f "$exe" ] || { echo "FAIL: $exe is not built"; exit 1; }
work=$build/wine-desktop
shots=$work/shots
rm -rf "$work/run" "$shots"
mkdir -p "$work/run" "$shots"
log=$work/run/test.log
pids=()
cleanup() {
    local pid
    wineserver -k >/dev/null 2>&1 || true
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    echo "pictures so far: $shots"
    tail -n 20 "$log" 2>/dev/null || true
    exit 1
}
started=$SECONDS
source "$(dirname "$0")/../support/window_helpers.sh"

# --- Chinese locale and Wine prefix, made once and kept in the build ---------
# glibc's zh_CN locale, compiled into a private folder: the machine's own
# locales are left alone.
if [ ! -f "$work/locale/zh_CN.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$work/locale"
    localedef -i zh_CN -f UTF-8 "$work/locale/zh_CN.UTF-8" >>"$log" 2>&1 || fail "localedef zh_CN failed"
fi
export LOCPATH=$work/locale
# For Wine; bash itself cannot see LOCPATH and would warn that it has no such locale.
{ export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8; } 2>/dev/null
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEARCH KT7_SIMULATE

# --- the display ----------------------------------------------------------------
start_display "$work/run/display"

if [ ! -f "$WINEPREFIX/.kt7-ready" ]; then
    rm -rf "$WINEPREFIX"
    wineboot --init >>"$log" 2>&1 || fail "wineboot --init failed"
    wineserver -w
    # The templates ask for 宋体 (SimSun), which Wine does not have.
    for font in '宋体' SimSun; do
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /t REG_SZ /d 'WenQuanYi Micro Hei' /f \
            >>"$log" 2>&1 || fail "could not set the font replacement for $font"
    done
    wineserver -w
    touch "$WINEPREFIX/.kt7-ready"
fi
wineserver --persistent >>"$log" 2>&1 || true
prepared=$SECONDS

# --- helpers: every wait is bounded ----------------------------------------------
readonly CAPTION='预警仪升级工具（适用KT7.0方案）'
# wait_log PATTERN: a line of the running program's log matches.
wait_log() {
    for _ in $(seq 300); do
        grep -q -- "$1" "$applog" 2>/dev/null && return 0
        sleep 0.2
    done
    return 1
}
# start FOLDER SIMULATE [ARG...]: runs FOLDER's copy of the program, from
# that folder, on simulated devices; sets `app`. Its log starts afresh.
start() {
    local folder=$1 simulate=$2
    shift 2
    rm -f "$applog" "$applog".*
    (cd "$folder" && KT7_SIMULATE="$simulate" exec wine "$folder/kt7-updater.exe" "$@") >>"$log" 2>&1 &
    app=$!
}
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
# wait_exit EXPECTED WHAT: the program ends with that exit code.
wait_exit() {
    for _ in $(seq 150); do
        kill -0 "$app" 2>/dev/null || break
        sleep 0.2
    done
    kill -0 "$app" 2>/dev/null && fail "$2: kt7-updater.exe did not end"
    local code=0
    wait "$app" || code=$?
    [ "$code" -eq "$1" ] || fail "$2: exit code $code, expected $1"
}
page_caption_is() { [ "$(xdotool getwindowname "$1")" = "$CAPTION [模拟设备]" ]; }
# press_exit PAGE: Exit is enabled at the watch's first tick after the end;
# until then Alt+E does nothing, so it is pressed until the page goes.
press_exit() {
    for _ in $(seq 20); do
        press "$1" alt+e
        wait_gone "$1" && return 0
    done
    return 1
}

# --- the packages and the program's folders -----------------------------------------
# The log of the program, where Wine keeps the user's local application data.
applog=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/kt7-updater/kt7-updater.log
# Beside it, the records of the devices' updates, never rotated.
records=$(dirname "$applog")/records.jsonl
pack=$linux/tools/kt7-pack/kt7-pack
made=$work/run/made
"$(dirname "$0")/../usb/make-packages.sh" "$pack" "$made" >>"$log" 2>&1 || fail "could not make the packages"
# A package large enough to be written for a while at USB speed.
head -c 393216 /dev/urandom >"$made/big-main.bin"
"$pack" --out "$made/big.dat" --main "$made/big-main.bin@0x40010000" --main-version M500 --time 2026-12-10 >/dev/null
# folder NAME PACKAGE: a folder holding the program and, when given, its package.
folder() {
    local dir=$work/run/$1
    rm -rf "$dir"
    mkdir -p "$dir/flash"
    cp "$exe" "$dir/"
    [ -z "${2:-}" ] || cp "$2" "$dir/KT7_Down.dat"
    echo "$dir"
}

# --- the cases ----------------------------------------------------------------------
case_update() {
    local dir
    dir=$(folder 升级包 "$made/big.dat")
    cp "$made/Smpl_HIDTransfer.bin" "$dir/"
    rm -rf "$records"
    start "$dir" "devices=2;timing=usb;version=A107;reattach=300;flash=$(windows_path "$dir/flash")"
    local welcome warning progress
    welcome=$(wait_window "$PAGE") || fail "a: no welcome page"
    page_caption_is "$welcome" || fail "a: the welcome page's caption is '$(xdotool getwindowname "$welcome")'"
    wait_log "Package: .*升级包.*KT7_Down.dat" || fail "a: the package beside the program was not loaded"
    shot a1-welcome "$welcome"
    past_warning a "$welcome" a2-warning
    progress=$(wait_window "$PAGE" "$welcome" "$warning") || fail "a: no progress page"
    wait_log "Programming area 3" || fail "a: the main program is not being written"
    shot a3-progress "$progress"
    # While the devices are written, nothing but Exit leaves the page, and
    # Exit is not enabled yet.
    press "$progress" Escape Return alt+F4 alt+e
    # Nor may the Windows session end now: the page refuses it.
    if timeout 60 wineboot --end-session >>"$log" 2>&1; then
        fail "a: the Windows session could end while the devices were written"
    fi
    visible "$progress" || fail "a: the progress page closed while the devices were written"
    wait_log "Shown at the end: 升级成功.*(exit code 0)" || fail "a: the update did not end with its success text"
    shot a4-finished "$progress"
    press_exit "$progress" || fail "a: Exit did not close the progress page"
    wait_exit 0 "a"
    "$linux/tests/usb/kt7-usb-verify" "$made/big.dat" --bootloader "$made/Smpl_HIDTransfer.bin" \
        "$dir/flash/device0.bin" "$dir/flash/device1.bin" >>"$log" 2>&1 ||
        fail "a: the flash images do not hold the update"
    # One record per device, each a success with the package's SHA-256.
    local sha
    sha=$(sha256sum "$made/big.dat" | cut -c1-64)
    [ "$(grep -c "\"package_sha256\":\"$sha\".*\"result\":\"success\"" "$records" 2>/dev/null)" = 2 ] ||
        fail "a: the records do not hold both devices' success: $(cat "$records" 2>/dev/null)"
}

case_no_package() {
    local dir chosen=$work/run/chosen/KT7_Down.dat
    dir=$(folder no-package)
    mkdir -p "$(dirname "$chosen")"
    cp "$made/main.dat" "$chosen"
    start "$dir" "devices=1"
    local box dialog welcome
    box=$(wait_window "$BOX") || fail "b: no message that the package is missing"
    press "$box" Return
    dialog=$(wait_window "$FILE_DIALOG") || fail "b: no file dialog"
    shot b1-file-dialog "$dialog"
    # The name box has the focus: a whole path typed there is taken.
    timeout 10 xdotool windowactivate --sync "$dialog" >/dev/null 2>&1 || true
    xdotool key --clearmodifiers ctrl+a
    timeout 20 xdotool type --delay 20 "$(windows_path "$chosen")"
    xdotool key --clearmodifiers Return
    wait_gone "$dialog" || fail "b: the file dialog stayed open"
    welcome=$(wait_window "$PAGE") || fail "b: no welcome page after a file was chosen"
    wait_log "Package: .*chosen.*KT7_Down.dat" || fail "b: the chosen file was not loaded"
    shot b2-welcome "$welcome"
    press "$welcome" Escape
    wait_exit 0 "b"
}

case_damaged() {
    local dir
    dir=$(folder damaged)
    printf 'KT7' >"$dir/KT7_Down.dat"
    start "$dir" "devices=1"
    local box
    box=$(wait_window "$BOX") || fail "c: no message about the damaged package"
    shot c1-damaged "$box"
    press "$box" Return
    wait_exit 1 "c"
    grep -q "^.* Package: " "$applog" && fail "c: a package was taken"
    return 0
}

case_no_device() {
    local dir
    dir=$(folder no-device "$made/main.dat")
    start "$dir" "devices=0"
    local welcome box
    # No device to ask which package it takes: a note, then the page.
    box=$(wait_window "$BOX") || fail "d: no note that no device is attached"
    press "$box" Return
    welcome=$(wait_window "$PAGE") || fail "d: no welcome page"
    press "$welcome" Return
    box=$(wait_window "$BOX") || fail "d: no message that no device is attached"
    shot d1-no-device "$box"
    centred "$box" "$welcome" || fail "d: the message box is not centred over the welcome page"
    press "$box" Return
    wait_gone "$box" || fail "d: OK did not close the message"
    visible "$welcome" || fail "d: the welcome page did not stay"
    press "$welcome" Escape
    wait_exit 0 "d"
}

# run_failing NAME SIMULATE [ARG...]: Next, the warning, the progress page,
# a failure's box centred over it, the failure on the status line, Exit: 4.
run_failing() {
    local name=$1 simulate=$2
    shift 2
    local dir
    dir=$(folder "$name" "$made/main.dat")
    start "$dir" "$simulate" "$@"
    local welcome warning progress box
    welcome=$(wait_window "$PAGE") || fail "$name: no welcome page"
    past_warning "$name" "$welcome"
    progress=$(wait_window "$PAGE" "$welcome" "$warning") || fail "$name: no progress page"
    box=$(wait_window "$BOX") || fail "$name: no message about the failure"
    shot "$name-failure" "$box"
    centred "$box" "$progress" || fail "$name: the failure message is not centred over the progress page"
    press "$box" Return
    wait_log "Shown at the end: 升级失败.*设备 sim-0.*(exit code 4)" || fail "$name: the run did not end naming the device"
    shot "$name-failed" "$progress"
    press_exit "$progress" || fail "$name: Exit did not close the progress page"
    wait_exit 4 "$name"
}

# The records file cannot be written (a folder stands in its place): the
# update runs and fails as it would, and the status line says no record was kept.
case_unplugged() {
    rm -rf "$records" && mkdir -p "$records"
    run_failing e-unplugged "devices=1;reattach=300;unplug=0@200"
    grep -q "Shown at the end: 未能保存升级记录" "$applog" || fail "e: the page did not say that no record was kept"
    rm -rf "$records"
}
case_verify() {
    rm -rf "$records"
    run_failing f-verify "devices=1;reattach=300;corrupt=0@257" --verify
    grep -q '"verify":true.*"result":"failed".*"message":"[^"]' "$records" 2>/dev/null ||
        fail "f: no record of the failed, verified update: $(cat "$records" 2>/dev/null)"
}

for run in $(seq "$repeat"); do
    run_started=$SECONDS
    case_update
    case_no_package
    case_damaged
    case_no_device
    case_unplugged
    case_verify
    echo "run $run: update, no package, damaged package, no device, unplugged, --verify: ok ($((SECONDS - run_started)) s)"
done
if [ -n "$screenshots" ]; then
    cp "$shots/a1-welcome.png" "$screenshots/windows-welcome.png"
    cp "$shots/a3-progress.png" "$screenshots/windows-progress.png"
    echo "pictures: $screenshots/windows-welcome.png $screenshots/windows-progress.png"
fi
echo "Wine desktop: display and prefix $((prepared - started)) s, cases $((SECONDS - prepared)) s; pictures of each step: $shots"
