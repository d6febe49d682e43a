#!/usr/bin/env bash
# End to end on screens of several sizes, without a window manager (a kiosk session) and with one:
# the window covers the screen, the 800 x 600 picture is scaled uniformly and centred, and a click
# on the centre of a drawn button (the exit menu's Close, found where the letterbox puts it) hits
# that button: the program ends with status 0. A picture drawn for one size while the pointer is
# counted for another misses the button, and the program keeps running.
# Exits 77 (skipped) when there is no Xvfb or xdotool.
set -u
exe=$1
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "Xvfb or xdotool missing: skipped"; exit 77; }
fail=0
pass=0
check() { # name, condition result
    if [ "$2" = 0 ]; then pass=$((pass + 1)); echo "ok: $1"; else fail=$((fail + 1)); echo "FAILED: $1"; fi
}

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
    local display=:$((200 + RANDOM % 200))
    Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    local xvfb=$!
    for _ in $(seq 50); do DISPLAY=$display xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
    local wm_pid=
    if [ "$wm" = openbox ]; then
        DISPLAY=$display openbox >/dev/null 2>&1 &
        wm_pid=$!
        sleep 0.5
    fi
    DISPLAY=$display SDL_AUDIODRIVER=dummy LANG=C.UTF-8 "$exe" >/dev/null 2>&1 &
    local pid=$! window=
    for _ in $(seq 100); do
        window=$(DISPLAY=$display xdotool search --name "Tavrelo" 2>/dev/null | head -1)
        [ -n "$window" ] && break
        sleep 0.1
    done
    sleep 1
    local geometry
    geometry=$(DISPLAY=$display xdotool getwindowgeometry --shell "$window" 2>/dev/null | tr '\n' ' ')
    case "$geometry" in
    *"X=0 Y=0 WIDTH=$width HEIGHT=$height"*) check "$size, $wm: the window covers the screen" 0 ;;
    *) check "$size, $wm: the window covers the screen ($geometry)" 1 ;;
    esac
    if [ -n "$resized" ]; then
        # Whatever changes the window's size (a window manager, a screen change), the picture
        # and the pointer follow the new size.
        width=${resized%x*}
        height=${resized#*x}
        DISPLAY=$display xdotool windowsize "$window" "$width" "$height"
        sleep 0.5
        wm="$wm, resized to $resized"
    fi

    DISPLAY=$display xdotool key F12
    sleep 0.5
    # shellcheck disable=SC2046
    DISPLAY=$display xdotool mousemove $(to_screen "$width" "$height" $close_x $close_y) click 1
    for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    if kill -0 $pid 2>/dev/null; then
        kill -KILL $pid
        wait $pid 2>/dev/null
        check "$size, $wm: a click on Close's centre closes the program" 1
    else
        wait $pid
        local status=$?
        [ $status -eq 0 ]
        check "$size, $wm: a click on Close's centre closes the program (status $status)" $?
    fi
    if [ -n "$wm_pid" ]; then kill $wm_pid; wait $wm_pid 2>/dev/null; fi
    kill $xvfb
    wait $xvfb 2>/dev/null
}

for size in 800x600 1024x768 1366x768 1920x1080; do run_at "$size" none; done
run_at 1024x768 none 1000x640
if command -v openbox >/dev/null; then
    for size in 1024x768 1366x768; do run_at "$size" openbox; done
fi

echo "$pass passed, $fail failed"
[ $fail -eq 0 ]
