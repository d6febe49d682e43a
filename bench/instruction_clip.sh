#!/usr/bin/env bash
# The instruction's clip (115 at 25 frames a second, with its speech 116):
#   1. frame timing in the program's own window and loop (build/bench/instruction_clip_bench) on
#      an 800 x 600 and a 1920 x 1080 screen: gaps between presented clip frames (median, 99th
#      percentile), the latest frame against a steady 25 a second, frames never shown;
#   2. CPU while the instruction plays, the program beside ffplay playing the same clip with the
#      same sound on the same X server, interleaved run by run: the share of one core of each
#      player's own process over CPU_SECONDS, started 2 s into the clip.
# Usage: bench/instruction_clip.sh [path/to/tavrelo]   Environment: RUNS (3), CPU_SECONDS (12).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
ours=${1:-$build/tavrelo}
runs=${RUNS:-3}
cpu_seconds=${CPU_SECONDS:-12}
for tool in Xvfb xdotool ffmpeg ffplay python3; do
    command -v $tool >/dev/null || { echo "instruction_clip: $tool is missing" >&2; exit 1; }
done
. "$root/tests/e2e/lib/session.sh"
work=$(mktemp -d)
trap 'stop_xvfb; [ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work/share

echo "== Frame timing in the program's window (median of $runs runs)"
for size in 800x600 1920x1080; do
    start_xvfb ${size}x24
    "$build/bench/instruction_clip_bench" --benchmark_repetitions="$runs" \
        --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
        awk -F, -v size=$size '{ gsub(/"/, "") } NR == 1 { for (i = 1; i <= NF; i++) col[$i] = i; next }
            $1 ~ /_median"?$/ { printf "%-10s gap median %5.1f ms, gap p99 %5.1f ms, latest frame %5.1f ms, skipped %d, cpu %4.1f %%\n",
                size, $col["gap_median_ms"], $col["gap_p99_ms"], $col["late_max_ms"], $col["skipped"], $col["cpu_percent"] }'
    stop_xvfb
done

echo "== CPU while the clip plays with its speech, ours beside ffplay (800 x 600, $runs runs)"
start_xvfb
ffmpeg -loglevel error -i "$root/assets/numbered/115.ogv" -i "$root/assets/numbered/116.ogg" \
    -map 0:v -map 1:a -c copy "$work/clip.ogv" || exit 1
tick=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
cpu_share() { # pid seconds -> percent of one core
    local a b
    a=$(cpu_ticks "$1")
    sleep "$2"
    b=$(cpu_ticks "$1")
    echo "$a $b $2 $tick" | awk '{ printf "%.1f\n", ($2 - $1) * 100 / ($4 * $3) }'
}
play() { # ours|ffplay run
    local pid
    case $1 in
    ours)
        "$ours" 2>/dev/null &
        pid=$!
        wait_for_window
        sleep 1
        xdotool key Return # an empty name: the instruction without a report
        ;;
    ffplay)
        ffplay -loglevel error -autoexit -noborder -left 0 -top 0 -x 800 -y 600 "$work/clip.ogv" &
        pid=$!
        ;;
    esac
    sleep 2
    cpu_share $pid "$cpu_seconds" >"$work/cpu.$1.$2"
    kill $pid 2>/dev/null
    wait $pid 2>/dev/null
}
for run in $(seq "$runs"); do
    for name in ours ffplay; do play $name "$run"; done
    echo "run $run: ours $(cat "$work/cpu.ours.$run") %, ffplay $(cat "$work/cpu.ffplay.$run") %"
done
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
our_cpu=$(cat "$work"/cpu.ours.* | median)
ff_cpu=$(cat "$work"/cpu.ffplay.* | median)
awk -v a="$our_cpu" -v b="$ff_cpu" 'BEGIN { printf "median CPU: ours %.1f %%, ffplay %.1f %%, ratio %.2f\n", a, b, (b > 0) ? a / b : 0 }'
