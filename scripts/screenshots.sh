#!/usr/bin/env bash
# Makes the README's screenshots from the real program: an 800 x 600 X server, the keyboard and
# the mouse driven as a teacher and a pupil would, each screen grabbed into docs/screenshots/.
# Usage: scripts/screenshots.sh [path/to/tavrelo]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-$root/build/tavrelo}
out=$root/docs/screenshots
[ -x "$exe" ] || { echo "screenshots: build the program first ($exe)" >&2; exit 1; }
. "$root/tests/e2e/lib/session.sh"

start_xvfb 800x600x24 -noreset
data=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$data"' EXIT
export XDG_DATA_HOME=$data/share
setxkbmap -layout ru
mkdir -p "$out"

grab() { # name
    ffmpeg -loglevel error -y -f x11grab -video_size 800x600 -i "$display" -frames:v 1 "$out/$1.png"
    echo "$out/$1.png"
}

"$exe" 2>"$data/log" &
pid=$!
wait_for_window || { echo "screenshots: no window" >&2; exit 1; }
sleep 1.5

# The teacher's settings page over the start screen, then back.
xdotool mousemove 720 531 click 1
sleep 1
grab settings
xdotool mousemove 674 562 click 1 # Submit
sleep 0.8

# A pupil's name on the start screen.
xdotool type --delay 40 'Иванова Маша'
sleep 0.8
grab start
xdotool key Return
sleep 3
grab instruction
xdotool key Escape
sleep 1.5
grab exercise

xdotool key F12
sleep 0.8
grab exit-menu
xdotool mousemove 392 300 click 1
wait_for_end $pid
