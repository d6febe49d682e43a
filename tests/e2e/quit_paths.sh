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
    wait_for_start_screen
}
# 0 when the program's exit status $1 is 0 and it wrote the frame-rate line to log file $2.
ended_cleanly() { [ "$1" -eq 0 ] && grep -q "^FPS: [0-9]" "$2"; }

log=$(mktemp)
start "$log"
close_through_exit_menu $pid
ended_cleanly $? "$log"
check "F12 then Close in the exit menu" $?

start "$log"
xdotool key alt+F4
wait_for_end $pid
ended_cleanly $? "$log"
check "Alt+F4" $?

start "$log"
kill -TERM $pid
wait_for_end $pid
ended_cleanly $? "$log"
check "SIGTERM" $?
rm -f "$log"

summary
