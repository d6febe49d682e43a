#!/usr/bin/env bash
# End to end under a real X server: Ctrl+I opens the credits page over the start screen (pressed
# twice, one page); its Exit button closes it and the start screen is as it was, the program still
# running; I without Ctrl does nothing.
set -u
exe=$1
. "$(dirname "$0")/lib/session.sh"
require_tools Xvfb xdotool

start_xvfb
work=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/share
# The screen's look, as a checksum of a grab (the caret's corner left out).
look() {
    ffmpeg -loglevel error -f x11grab -video_size 800x400 -i "$display+0,0" -frames:v 1 -f rawvideo -pix_fmt gray - | md5sum
}

"$exe" 2>"$work/log" &
pid=$!
wait_for_start_screen
xdotool mousemove 400 590
sleep 0.5
start=$(look)
xdotool key i
sleep 0.5
[ "$(look)" = "$start" ]
check "I without Ctrl leaves the start screen as it is" $?
xdotool key BackSpace
sleep 0.3
xdotool key ctrl+i
sleep 0.5
xdotool key ctrl+i
sleep 0.8
[ "$(look)" != "$start" ]
check "Ctrl+I shows the credits page" $?
xdotool mousemove 770 35 click 1
sleep 0.8
xdotool mousemove 400 590
sleep 0.5
[ "$(look)" = "$start" ]
check "one click on its Exit closes the one page (twice Ctrl+I opened one) and the start screen is back" $?
kill -0 $pid 2>/dev/null
check "the program goes on" $?
xdotool mousemove 770 35 click 1
wait_for_end $pid
check "the start screen's own Exit then ends the program with status 0" $?
summary
