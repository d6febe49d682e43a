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

# Whether the picture point x, y shows colour rrggbb on the current screen (within a little: the
# picture is scaled).
picture_colour() { # x y rrggbb
    # shellcheck disable=SC2046
    rgb $(to_screen "$width" "$height" "$1" "$2")
    local want=$3
    local wr=$((16#${want:0:2})) wg=$((16#${want:2:2})) wb=$((16#${want:4:2}))
    [ $((r > wr ? r - wr : wr - r)) -le 16 ] && [ $((g > wg ? g - wg : wg - g)) -le 16 ] &&
        [ $((b > wb ? b - wb : wb - b)) -le 16 ]
}
# The share (in %) of clearly green pixels over the picture's rectangle x0 y0 x1 y1.
green_share() {
    # shellcheck disable=SC2046
    set -- $(to_screen "$width" "$height" "$1" "$2") $(to_screen "$width" "$height" "$3" "$4")
    ffmpeg -loglevel error -f x11grab -draw_mouse 0 -video_size "$(($3 - $1))x$(($4 - $2))" \
        -i "$display+$1,$2" -frames:v 1 -f rawvideo -pix_fmt rgb24 - |
        od -An -v -tu1 -w3 | awk '{ n++ } $2 > $1 + 40 && $2 > $3 + 40 { g++ } END { print n ? int(100 * g / n) : 0 }'
}
# The start screen (its name field and Exit button) and the exit menu (its green Retry button at
# (342, 216), 111 x 47, where the start screen has only its white description), wherever the
# letterbox puts them: keys and clicks wait for the screen they are for. The menu is judged by the
# whole button, not one pixel: at scales such as 1.07 any one point may fall on its lettering.
scaled_start_screen() { picture_colour 400 470 ffffff && picture_colour 72 505 e5e6e6; }
scaled_exit_menu() { [ "$(green_share 350 222 446 258)" -ge 40 ]; }

run_at() { # size, window manager (none|openbox), optional window size forced after start-up
    local size=$1 wm=$2 width=${1%x*} height=${1#*x} resized=${3:-}
    start_xvfb "${size}x24"
    local wm_pid=
    if [ "$wm" = openbox ]; then
        openbox >/dev/null 2>&1 &
        wm_pid=$!
        sleep 0.5
    fi
    local log
    log=$(mktemp)
    "$exe" >/dev/null 2>"$log" &
    local pid=$!
    wait_for_window
    timeout=20 wait_until scaled_start_screen
    check "$size, $wm: the start screen is drawn where the letterbox puts it" $?
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
    wait_until scaled_exit_menu
    check "$size, $wm: F12 shows the exit menu where the letterbox puts it" $?
    # shellcheck disable=SC2046
    xdotool mousemove $(to_screen "$width" "$height" $close_x $close_y) click 1
    wait_for_end $pid
    local status=$?
    [ $status -eq 0 ]
    check "$size, $wm: a click on Close's centre closes the program (status $status)" $?
    # What the program said, when it did not end as asked.
    [ $status -eq 0 ] || sed 's/^/    program: /' "$log"
    rm -f "$log"
    if [ -n "$wm_pid" ]; then kill $wm_pid; wait $wm_pid 2>/dev/null; fi
    stop_xvfb
}

for size in 800x600 1024x768 1366x768 1920x1080; do run_at "$size" none; done
run_at 1024x768 none 1000x640
if command -v openbox >/dev/null; then
    for size in 1024x768 1366x768; do run_at "$size" openbox; done
fi

summary
