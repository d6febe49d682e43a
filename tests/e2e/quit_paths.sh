#!/usr/bin/env bash
# End to end under a real X server: the program starts full screen, and every way of ending it
# (the exit menu's Close, Alt+F4, SIGTERM) ends it cleanly with status 0 and the frame-rate line;
# without a display it ends at once with a message and a non-zero status.
set -u
exe=$1
. "$(dirname "$0")/lib/session.sh"

# No display at all.
out=$(env -u DISPLAY SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy timeout 20 "$exe" 2>&1)
status=$?
[ $status -ne 0 ] && [ $status -ne 124 ] && [ -n "$out" ]
check "no display: non-zero status ($status) and a message ($out)" $?

start_xvfb
trap 'kill $xvfb 2>/dev/null' EXIT

start() {
    "$exe" 2>"$1" &
    pid=$!
    wait_for_window
    sleep 1
}
finish() { # log file -> 0 when the program ended by itself with status 0 and wrote the FPS line
    for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    if kill -0 $pid 2>/dev/null; then kill -KILL $pid; wait $pid 2>/dev/null; return 1; fi
    wait $pid
    local status=$?
    [ $status -eq 0 ] && grep -q "^FPS: [0-9]" "$1"
}

log=$(mktemp)
start "$log"
xdotool key F12
sleep 0.5
xdotool mousemove 392 300 click 1
finish "$log"
check "F12 then Close in the exit menu" $?

start "$log"
xdotool key alt+F4
finish "$log"
check "Alt+F4" $?

start "$log"
kill -TERM $pid
finish "$log"
check "SIGTERM" $?
rm -f "$log"

summary
