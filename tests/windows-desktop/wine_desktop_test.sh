#!/usr/bin/env bash
# Drives kt7-updater.exe under Wine on a virtual display, with the keyboard,
# as a person would: Xvfb with openbox, a Wine prefix in a Chinese locale
# whose dialog font is pinned to WenQuanYi Micro Hei (so that the pictures
# stay the same from run to run), xdotool for the keys, a picture per step.
# The wizard runs its stand-in driver (KT7_WIN_DEMO), whose event file says
# what it shows; every wait is on a window's title or on that file's lines,
# bounded, never a fixed pause.
#   a) update: the welcome page with its caption (and " [模拟设备]"), Next,
#      the warning, the progress page held at 50 %, where Esc, Return and the
#      close box do nothing and the end of the Windows session is refused;
#      Exit once it is enabled; exit code 0;
#   b) no device: the message box, centred over the welcome page, which
#      stays; Esc is Cancel: exit code 0;
#   c) a failure while writing: the worker's message box, centred over the
#      progress page; Exit; exit code 4;
#   d) no package: its message, the file dialog, a file typed there, the
#      welcome page with it; exit code 0;
#   e) a damaged package: its message and exit code 1, no page.
# A program that cannot start under Wine may still exit 0: each case first
# waits for its window.
#
#   wine_desktop_test.sh WINDOWS_BUILD_DIR [--repeat N] [--screenshots DIR]
# --repeat runs the cases N times in a row on one display; --screenshots
# also saves the welcome and progress pages as DIR/windows-welcome.png and
# DIR/windows-progress.png. Pictures of every step: WINDOWS_BUILD_DIR/wine-desktop/shots/.
set -euo pipefail
build=$(cd "${1:?Windows build directory}" && pwd)
shift
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
unset WINEARCH KT7_SIMULATE KT7_WIN_DEMO KT7_WIN_DEMO_EVENTS KT7_WIN_DEMO_HOLD

# --- the display ----------------------------------------------------------------
exec 3>"$work/run/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -dpi 96 -nolisten tcp >>"$log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do [ -s "$work/run/display" ] && break; sleep 0.1; done
[ -s "$work/run/display" ] || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/run/display")
openbox --sm-disable >>"$log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do xdotool get_desktop >/dev/null 2>&1 && break; sleep 0.1; done
xdotool get_desktop >/dev/null 2>&1 || fail "openbox did not start"

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
readonly PAGE='KT7\.0'            # the pages and the warning
readonly BOX='^kt7-updater$'      # the program's other message boxes
readonly FILE_DIALOG='选择升级文件'

# wait_window PATTERN [ID...]: prints the first visible window whose name
# matches PATTERN and that is none of the IDs.
wait_window() {
    local pattern=$1 id
    shift
    for _ in $(seq 150); do
        for id in $(xdotool search --onlyvisible --name "$pattern" 2>/dev/null); do
            if [[ " $* " != *" $id "* ]]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.2
    done
    return 1
}
visible() { xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1"; }
wait_gone() {
    for _ in $(seq 150); do
        visible "$1" || return 0
        sleep 0.2
    done
    return 1
}
# press ID KEY...: the keys, with the window in front.
press() {
    local id=$1
    shift
    timeout 10 xdotool windowactivate --sync "$id" >/dev/null 2>&1 || xdotool windowfocus --sync "$id"
    xdotool key --clearmodifiers "$@"
}
# shot NAME ID: the window with its frame, once two looks in a row agree
# (the window has finished painting).
shot() {
    local last="" now
    for _ in $(seq 30); do
        now=$(import -window "$2" rgb:- 2>/dev/null | md5sum)
        [ "$now" = "$last" ] && break
        last=$now
        sleep 0.1
    done
    import -frame -window "$2" "$shots/$1.png" || fail "no picture of $1"
}
# wait_event PATTERN: a line of the demo's event file matches.
wait_event() {
    for _ in $(seq 150); do
        grep -q -- "$1" "$events" 2>/dev/null && return 0
        sleep 0.2
    done
    return 1
}
# centred BOX OVER: the box's centre is within a few pixels of the other window's.
centred() {
    local X Y WIDTH HEIGHT SCREEN WINDOW bx by
    eval "$(xdotool getwindowgeometry --shell "$1")"
    bx=$((X + WIDTH / 2)) by=$((Y + HEIGHT / 2))
    eval "$(xdotool getwindowgeometry --shell "$2")"
    [ $((bx - X - WIDTH / 2)) -ge -8 ] && [ $((bx - X - WIDTH / 2)) -le 8 ] &&
        [ $((by - Y - HEIGHT / 2)) -ge -8 ] && [ $((by - Y - HEIGHT / 2)) -le 8 ]
}
# start NAME SCRIPT [ARG...]: runs the wizard with the demo's script in the
# background; sets `app` and `events`.
start() {
    local name=$1 script=$2
    shift 2
    events=$work/run/$name.events
    rm -f "$events"
    (cd "$work/run" && KT7_SIMULATE="devices=2" KT7_WIN_DEMO=$script KT7_WIN_DEMO_EVENTS="$(windows_path "$events")" \
        KT7_WIN_DEMO_HOLD=${hold:+$(windows_path "$hold")} exec wine "$exe" "$@") >>"$log" 2>&1 &
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

# --- the cases ----------------------------------------------------------------------
case_update() {
    hold=$work/run/hold
    touch "$hold"
    # A package named on the command line, in a folder with a Chinese name:
    # it reaches the driver whole, and the picture is the same on every machine.
    local package='C:\users\kt7\下载\KT7_Down.dat'
    start a update "$package"
    hold=
    local welcome warning progress
    welcome=$(wait_window "$PAGE") || fail "a: no welcome page"
    page_caption_is "$welcome" || fail "a: the welcome page's caption is '$(xdotool getwindowname "$welcome")'"
    grep -qxF "welcome $package" "$events" || fail "a: the welcome page does not show the package named"
    shot a1-welcome "$welcome"
    press "$welcome" Return
    wait_gone "$welcome" || fail "a: Next did not leave the welcome page"
    warning=$(wait_window "$PAGE" "$welcome") || fail "a: no warning before the update"
    shot a2-warning "$warning"
    press "$warning" Return
    wait_gone "$warning" || fail "a: OK did not close the warning"
    progress=$(wait_window "$PAGE" "$welcome" "$warning") || fail "a: no progress page"
    wait_event '^holding 50' || fail "a: the device phase did not reach 50 %"
    shot a3-progress "$progress"
    # While the devices are written, nothing but Exit leaves the page, and
    # Exit is not enabled yet.
    press "$progress" Escape Return alt+F4 alt+e
    # Nor may the Windows session end now: the page refuses it.
    if timeout 60 wineboot --end-session >>"$log" 2>&1; then
        fail "a: the Windows session could end while the devices were written"
    fi
    rm -f "$work/run/hold"
    wait_event '^end 0 升级成功' || fail "a: the update did not end with its success text"
    visible "$progress" || fail "a: the progress page closed before Exit was pressed"
    shot a4-finished "$progress"
    # Exit is enabled at the watch's first tick after the end; until then
    # Alt+E does nothing, so it is pressed until the page goes.
    for _ in $(seq 20); do
        press "$progress" alt+e
        wait_gone "$progress" && break
    done
    visible "$progress" && fail "a: Exit did not close the progress page"
    wait_exit 0 "a"
}

case_no_device() {
    start b no-device
    local welcome box
    welcome=$(wait_window "$PAGE") || fail "b: no welcome page"
    press "$welcome" Return
    box=$(wait_window "$BOX") || fail "b: no message that no device is attached"
    shot b1-no-device "$box"
    centred "$box" "$welcome" || fail "b: the message box is not centred over the welcome page"
    press "$box" Return
    wait_gone "$box" || fail "b: OK did not close the message"
    visible "$welcome" || fail "b: the welcome page did not stay"
    press "$welcome" Escape
    wait_event '^cancel' || fail "b: Esc did not cancel"
    wait_exit 0 "b"
}

case_failure() {
    start c failure
    local welcome warning progress box
    welcome=$(wait_window "$PAGE") || fail "c: no welcome page"
    press "$welcome" Return
    warning=$(wait_window "$PAGE" "$welcome") || fail "c: no warning"
    press "$warning" Return
    progress=$(wait_window "$PAGE" "$welcome" "$warning") || fail "c: no progress page"
    box=$(wait_window "$BOX") || fail "c: no message about the failure"
    shot c1-failure "$box"
    centred "$box" "$progress" || fail "c: the failure message is not centred over the progress page"
    press "$box" Return
    wait_event '^end 4 升级失败' || fail "c: the run did not end with the failure text"
    shot c2-failed "$progress"
    for _ in $(seq 20); do
        press "$progress" alt+e
        wait_gone "$progress" && break
    done
    wait_exit 4 "c"
}

case_no_package() {
    local package=$work/run/chosen/KT7_Down.dat
    mkdir -p "$(dirname "$package")"
    printf 'KT7' >"$package"
    start d no-package
    local box dialog welcome
    box=$(wait_window "$BOX") || fail "d: no message that the package is missing"
    press "$box" Return
    dialog=$(wait_window "$FILE_DIALOG") || fail "d: no file dialog"
    shot d1-file-dialog "$dialog"
    # The name box has the focus: a whole path typed there is taken.
    timeout 10 xdotool windowactivate --sync "$dialog" >/dev/null 2>&1 || true
    xdotool key --clearmodifiers ctrl+a
    timeout 20 xdotool type --delay 20 "$(windows_path "$package")"
    xdotool key --clearmodifiers Return
    wait_gone "$dialog" || fail "d: the file dialog stayed open"
    welcome=$(wait_window "$PAGE") || fail "d: no welcome page after a file was chosen"
    wait_event "^choose $(windows_path "$package" | sed 's/\\/\\\\/g')\$" ||
        fail "d: the chosen file did not reach the driver"
    shot d2-welcome "$welcome"
    press "$welcome" Escape
    wait_exit 0 "d"
}

case_damaged() {
    start e damaged
    local box
    box=$(wait_window "$BOX") || fail "e: no message about the damaged package"
    press "$box" Return
    wait_exit 1 "e"
    grep -q '^welcome' "$events" && fail "e: a page was shown after the damaged package"
    return 0
}

for run in $(seq "$repeat"); do
    run_started=$SECONDS
    case_update
    case_no_device
    case_failure
    case_no_package
    case_damaged
    echo "run $run: update, no device, failure, no package, damaged package: ok ($((SECONDS - run_started)) s)"
done
if [ -n "$screenshots" ]; then
    cp "$shots/a1-welcome.png" "$screenshots/windows-welcome.png"
    cp "$shots/a3-progress.png" "$screenshots/windows-progress.png"
    echo "pictures: $screenshots/windows-welcome.png $screenshots/windows-progress.png"
fi
echo "Wine desktop: display and prefix $((prepared - started)) s, cases $((SECONDS - prepared)) s; pictures of each step: $shots"
