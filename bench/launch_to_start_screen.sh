#!/usr/bin/env bash
# Launch to first screen fully drawn, under a real X server: the screen is grabbed every 25 ms from
# just before exec; the time is that of the first grab after which every grab stays within 2 % of
# the final look (pixels differing by more than 24 grey levels). Run for our program and, when it
# is installed, for GCompris's main menu in the same X server.
# Usage: bench/launch_to_start_screen.sh [path/to/tavrelo] [seconds to record per program]
set -uo pipefail
exe=${1:-build/tavrelo}
seconds=${2:-4}
display=:$((300 + RANDOM % 100))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display SDL_AUDIODRIVER=dummy LANG=C.UTF-8 XDG_DATA_HOME=$work/share

measure() { # name, command...
    local name=$1
    shift
    # Grabs carry the wall clock, so they can be set against the moment of exec.
    ffmpeg -loglevel info -f x11grab -framerate 40 -use_wallclock_as_timestamps 1 -video_size 800x600 -i "$display" \
        -frames:v $((seconds * 40)) -copyts -vf showinfo -f rawvideo -pix_fmt gray "$work/$name.raw" 2>"$work/$name.log" &
    local grabber=$!
    # The grabber is running once its first frame is reported.
    for _ in $(seq 100); do grep -q "pts_time" "$work/$name.log" 2>/dev/null && break; sleep 0.02; done
    local t0
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1 &
    local pid=$!
    wait $grabber
    kill -TERM $pid 2>/dev/null
    wait $pid 2>/dev/null
    [ -s "$work/$name.raw" ] || { echo "$name: no grabs ($(tail -1 "$work/$name.log"))"; return; }
    python3 - "$work/$name.raw" "$work/$name.log" "$t0" "$name" <<'PY'
import re, sys
raw, log, t0, name = sys.argv[1], sys.argv[2], float(sys.argv[3]), sys.argv[4]
size = 800 * 600
data = open(raw, 'rb').read()
times = [int(t) / 1e6 for t in re.findall(r' pts:([0-9]+)', open(log).read())]
frames = [data[i * size:(i + 1) * size] for i in range(len(data) // size)]
n = min(len(frames), len(times))
final = frames[n - 1]
def off(f):
    return sum(1 for a, b in zip(f[::7], final[::7]) if abs(a - b) > 24) / len(final[::7])
settled = n - 1
for i in range(n - 1, -1, -1):
    if off(frames[i]) > 0.02:
        break
    settled = i
import os
if os.environ.get("TRACE"): print([round(off(frames[i]), 3) for i in range(0, n, 2)])
print("%s: fully drawn %.3f s after exec (%d grabs, %.0f ms apart)" % (
    name, times[settled] - t0, n, 1000 * (times[-1] - times[0]) / max(1, n - 1)))
PY
    sleep 0.5
}

measure tavrelo "$exe"
gcompris=$(PATH=$PATH:/usr/games command -v gcompris-qt)
if [ -n "$gcompris" ]; then measure gcompris env HOME="$work" "$gcompris"; fi
