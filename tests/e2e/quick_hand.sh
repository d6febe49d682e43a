#!/usr/bin/env bash
# End to end under a real X server: a pupil with a quick hand. The first pair's start circle gets
# the pointer; the pupil's very first move lands straight on the target circle, in one motion,
# before the circles are even on screen; resting there completes the task, and the pointer is put
# on the next pair's start circle.
set -u
exe=$1
. "$(dirname "$0")/lib/session.sh"

start_xvfb
data=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null; rm -rf "$data"' EXIT
export XDG_DATA_HOME=$data/share

pointer() { xdotool getmouselocation | sed -E 's/x:([0-9]+) y:([0-9]+).*/\1 \2/'; }
# Waits up to $2 tenths of a second for the pointer to be at "$1".
pointer_becomes() {
    for _ in $(seq "$2"); do [ "$(pointer)" = "$1" ] && return 0; sleep 0.1; done
    return 1
}

"$exe" 2>"$data/log" &
pid=$!
wait_for_start_screen
# An empty name: the exercise begins without a report, after its instruction (skipped with Esc);
# the first pair is horizontal, from (350, 300) to (450, 300).
xdotool key Return
sleep 1
xdotool key Escape
pointer_becomes "350 300" 50
check "the first pair puts the pointer on its start circle" $?

# One motion, straight onto the target: no report ever lands on the start circle.
xdotool mousemove 450 300
sleep 0.2
[ "$(pointer)" = "450 300" ]
check "the quick move reached the target" $?
# Two seconds of rest, the success sound and a second of fade-out: then the next pair.
for _ in $(seq 60); do [ "$(pointer)" != "450 300" ] && break; sleep 0.1; done
[ "$(pointer)" != "450 300" ]
check "resting on the target completed the task and the next pair took the pointer ($(pointer))" $?

close_through_exit_menu $pid
check "Close ends the program with status 0" $?

summary
