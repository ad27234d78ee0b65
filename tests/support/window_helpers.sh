# Sourced by the desktop tests: finding, pressing and picturing the wizard's
# windows on a virtual display with xdotool and ImageMagick. Every wait is
# bounded. The caller defines fail(), $log, $shots (where pictures go) and the
# array pids (what its clean-up stops).

readonly PAGE='KT7\.0'            # the wizard's pages and its warning
readonly BOX='^kt7-updater$'      # the program's other message boxes
readonly FILE_DIALOG='选择升级文件'

# start_display FILE: a virtual screen and a window manager, with DISPLAY set
# for them; FILE receives the display's number.
start_display() {
    exec 3>"$1"
    Xvfb -displayfd 3 -screen 0 1280x800x24 -dpi 96 -nolisten tcp >>"$log" 2>&1 &
    pids+=($!)
    exec 3>&-
    for _ in $(seq 100); do [ -s "$1" ] && break; sleep 0.1; done
    [ -s "$1" ] || fail "Xvfb did not start"
    export DISPLAY=:$(cat "$1")
    openbox --sm-disable >>"$log" 2>&1 &
    pids+=($!)
    # The window manager is up once it names the current desktop.
    for _ in $(seq 100); do xdotool get_desktop >/dev/null 2>&1 && break; sleep 0.1; done
    xdotool get_desktop >/dev/null 2>&1 || fail "openbox did not start"
}
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
# press ID KEY...: what a person does at the keyboard with the window in front.
press() {
    local id=$1
    shift
    timeout 10 xdotool windowactivate --sync "$id" >/dev/null 2>&1 || xdotool windowfocus --sync "$id"
    sleep 0.3
    xdotool key --clearmodifiers "$@"
}
# past_warning CASE WELCOME [PICTURE]: Next on the welcome page, then OK on
# the warning that follows it (pictured as PICTURE when one is named); sets
# `warning` to the warning's window.
past_warning() {
    press "$2" Return
    wait_gone "$2" || fail "$1: Next did not leave the welcome page"
    warning=$(wait_window "$PAGE" "$2") || fail "$1: no warning before the update"
    [ -z "${3:-}" ] || shot "$3" "$warning"
    press "$warning" Return
    wait_gone "$warning" || fail "$1: OK did not close the warning"
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
# centred BOX OVER: the box's centre is within a few pixels of the other window's.
centred() {
    local X Y WIDTH HEIGHT SCREEN WINDOW bx by
    eval "$(xdotool getwindowgeometry --shell "$1")"
    bx=$((X + WIDTH / 2)) by=$((Y + HEIGHT / 2))
    eval "$(xdotool getwindowgeometry --shell "$2")"
    [ $((bx - X - WIDTH / 2)) -ge -8 ] && [ $((bx - X - WIDTH / 2)) -le 8 ] &&
        [ $((by - Y - HEIGHT / 2)) -ge -8 ] && [ $((by - Y - HEIGHT / 2)) -le 8 ]
}
