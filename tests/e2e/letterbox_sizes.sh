#!/usr/bin/env bash
# End to end on screens of several sizes, without a window manager (a kiosk session) and with one:
# the window covers the screen, the 800 x 600 picture is scaled uniformly and centred, and a click
# on the centre of a drawn button (the exit menu's Close, found where the letterbox puts it) hits
# that button: the program ends with status 0. A picture drawn for one size while the pointer is
# counted for another misses the button, and the program keeps running.
# Exits 77 (skipped) when there is no Xvfb or xdotool.
set -u
exe=$1
. "$(dirname "$0")/lib/session.sh"
require_tools Xvfb xdotool

# The exit menu's Close button: panel at ((800 - 136) / 2, (600 - 200) / 2), button at (10, 80)
# in it, 111 x 47 pixels.
close_x=397.5
close_y=303.5

# Screen coordinates of a picture point on a width x height screen.
to_screen() { # width height x y
    awk -v W="$1" -v H="$2" -v x="$3" -v y="$4" 'BEGIN {
        s = W / 800; if (H / 600 < s) s = H / 600
        printf "%d %d\n", (W - 800 * s) / 2 + x * s, (H - 600 * s) / 2 + y * s }'
}

run_at() { # size, window manager (none|openbox), optional window size forced after start-up
    local size=$1 wm=$2 width=${1%x*} height=${1#*x} resized=${3:-}
    start_xvfb "${size}x24"
    local wm_pid=
    if [ "$wm" = openbox ]; then
        openbox >/dev/null 2>&1 &
        wm_pid=$!
        sleep 0.5
    fi
    "$exe" >/dev/null 2>&1 &
    local pid=$!
    wait_for_window
    sleep 1
    local geometry
    geometry=$(xdotool getwindowgeometry --shell "$window" 2>/dev/null | tr '\n' ' ')
    case "$geometry" in
    *"X=0 Y=0 WIDTH=$width HEIGHT=$height"*) check "$size, $wm: the window covers the screen" 0 ;;
    *) check "$size, $wm: the window covers the screen ($geometry)" 1 ;;
    esac
    if [ -n "$resized" ]; then
        # Whatever changes the window's size (a window manager, a screen change), the picture
        # and the pointer follow the new size.
        width=${resized%x*}
        height=${resized#*x}
        xdotool windowsize "$window" "$width" "$height"
        sleep 0.5
        wm="$wm, resized to $resized"
    fi

    xdotool key F12
    sleep 0.5
    # shellcheck disable=SC2046
    xdotool mousemove $(to_screen "$width" "$height" $close_x $close_y) click 1
    wait_for_end $pid
    local status=$?
    [ $status -eq 0 ]
    check "$size, $wm: a click on Close's centre closes the program (status $status)" $?
    if [ -n "$wm_pid" ]; then kill $wm_pid; wait $wm_pid 2>/dev/null; fi
    stop_xvfb
}

for size in 800x600 1024x768 1366x768 1920x1080; do run_at "$size" none; done
run_at 1024x768 none 1000x640
if command -v openbox >/dev/null; then
    for size in 1024x768 1366x768; do run_at "$size" openbox; done
fi

summary
