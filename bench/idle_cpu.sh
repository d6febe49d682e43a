#!/usr/bin/env bash
# CPU the idle program uses under a real X server (Xvfb), as % of one core over 10 s.
# Usage: bench/idle_cpu.sh [path/to/tavrelo] [seconds]
set -euo pipefail
exe=${1:-build/tavrelo}
seconds=${2:-10}
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display SDL_AUDIODRIVER=dummy "$exe" >/dev/null 2>&1 &
pid=$!
sleep 3 # start-up is not idle
# Every thread's run time (the process's own schedstat is its main thread's alone, which would
# leave out the audio thread and the stream workers).
runtime() { cat /proc/"$pid"/task/*/schedstat | awk '{ t += $1 } END { printf "%.0f\n", t }'; }
t0=$(runtime)
sleep "$seconds"
t1=$(runtime)
kill -TERM $pid
wait $pid || true
awk -v a="$t0" -v b="$t1" -v s="$seconds" 'BEGIN { printf "idle CPU: %.3f %% of one core over %d s\n", (b - a) / (s * 1e9) * 100, s }'
