#!/usr/bin/env bash
# Our program beside two public educational programs for the same pupils (GCompris, Qt/QML, in its
# "erase" activity; Tux Math, SDL), on one Xvfb screen with a window manager, interleaved run by
# run so that a slow moment of the machine hits all three alike. Measured for each:
#   first screen  launch to the first screen grab (every 25 ms from just before exec) after which
#                 the screen stays within 2 % of its final look (bench/screen_settle)
#   peak RSS      VmHWM, and the largest anonymous and file-backed parts seen (sampled every 0.2 s)
#   idle CPU      share of one core over IDLE_SECONDS with no input
#   mouse CPU     while the pointer zigzags over the screen
#   task CPU      during one pupil task: the task's screen with the pointer dragged over it (ours
#                 started with a pupil's name, so its report is read and, at the end, written)
#   typing CPU    while a pupil's name is typed on the start screen (ours only)
#   clip CPU      while the instruction clip plays (ours only: F1)
#   completion    ours only, after a whole run done by a quick hand (tests/e2e/lib/pupil.py): the
#                 completion screen's idle CPU and its CPU while the pointer zigzags over it
# CPU is the program's own (all its threads), not the X server's.
# One table of medians over the runs, with our figure's ratio to each peer's.
#
# Usage: bench/side_by_side.sh [path/to/tavrelo]
# Environment: RUNS (3), SIZE (800x600), IDLE_SECONDS (30), ACTION_SECONDS (10), DISPLAY_NUMBER,
#              SKIP_INSTALL=1 to use what is installed, PEERS ("gcompris tuxmath").
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
ours=${1:-$build/tavrelo}
settle=$build/bench/screen_settle
runs=${RUNS:-3}
size=${SIZE:-800x600}
idle_seconds=${IDLE_SECONDS:-30}
action_seconds=${ACTION_SECONDS:-10}
peers=(${PEERS:-gcompris tuxmath})
width=${size%x*}
height=${size#*x}

if [ "${SKIP_INSTALL:-0}" != 1 ]; then
    "$root/scripts/install-deps.sh" build test bench >/dev/null
fi
for tool in Xvfb openbox xdotool; do
    command -v $tool >/dev/null || { echo "side_by_side: $tool is missing" >&2; exit 1; }
done
[ -x "$ours" ] && [ -x "$settle" ] || { echo "side_by_side: build tavrelo and screen_settle first" >&2; exit 1; }

display=:${DISPLAY_NUMBER:-$((300 + RANDOM % 200))}
Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
wm=$!
trap 'kill $wm $xvfb 2>/dev/null; rm -rf "${XDG_DATA_HOME:-}"' EXIT
sleep 0.5

# Every program without a sound device (there is none here), so that none pays for sound output
# the others do not; ours still opens SDL's dummy device and so its audio thread is counted.
export SDL_AUDIODRIVER=dummy LANG=C.UTF-8
# Ours writes its reports under the data folder: a fresh one, so that no earlier report is read.
XDG_DATA_HOME=$(mktemp -d)
export XDG_DATA_HOME
command_of() { # program name -> command line
    case $1 in
    ours) echo "$ours" ;;
    gcompris) echo "/usr/games/gcompris-qt --launch erase --fullscreen --software-renderer --disable-kioskmode" ;;
    tuxmath) echo "/usr/games/tuxmath --fullscreen" ;;
    esac
}
settle_limit() { case $1 in ours) echo 4 ;; *) echo 14 ;; esac; }

cpu_ticks() { # pid -> utime + stime of all its threads, ended ones too, in clock ticks
    awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat" 2>/dev/null || echo 0
}
cpu_ns() { # pid -> run time of its live threads in nanoseconds
    cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ t += $1 } END { printf "%.0f\n", t }'
}
cpu_share() { # pid seconds action... -> % of one core while the action runs for `seconds`
    local pid=$1 seconds=$2
    shift 2
    local ticks0 ticks1 ns0 ns1 start end
    ticks0=$(cpu_ticks "$pid")
    ns0=$(cpu_ns "$pid")
    start=$(date +%s.%N)
    "$@" "$seconds"
    end=$(date +%s.%N)
    ticks1=$(cpu_ticks "$pid")
    ns1=$(cpu_ns "$pid")
    # Clock ticks count threads that ended meanwhile but only to 10 ms; the live threads' run
    # times are exact but miss those. The larger of the two is the closer.
    awk -v a="$ticks0" -v b="$ticks1" -v n0="$ns0" -v n1="$ns1" -v s="$start" -v e="$end" \
        -v hz="$(getconf CLK_TCK)" 'BEGIN {
            byTicks = (b - a) / hz; byRunTime = (n1 - n0) / 1e9
            printf "%.3f\n", (byTicks > byRunTime ? byTicks : byRunTime) / (e - s) * 100 }'
}
wait_seconds() { sleep "$1"; }
zigzag() { # seconds: the pointer sweeps the screen in a zigzag, about 60 moves a second
    local end=$((SECONDS + $1)) x=0 y=0 dx=37 dy=23
    while [ $SECONDS -lt $end ]; do
        xdotool mousemove $x $y
        x=$((x + dx)); y=$((y + dy))
        if [ $x -lt 0 ] || [ $x -ge "$width" ]; then dx=$((-dx)); x=$((x + 2 * dx)); fi
        if [ $y -lt 0 ] || [ $y -ge "$height" ]; then dy=$((-dy)); y=$((y + 2 * dy)); fi
        sleep 0.016
    done
}
drag_task() { # seconds: a pupil at work: the button held while the pointer moves
    xdotool mousemove $((width / 2)) $((height / 2)) mousedown 1
    zigzag "$1"
    xdotool mouseup 1
}
typing() { # seconds: a name typed at a pupil's pace, then taken back
    local end=$((SECONDS + $1))
    while [ $SECONDS -lt $end ]; do
        xdotool type --delay 150 'Иванова Маша'
        for _ in $(seq 12); do xdotool key BackSpace; sleep 0.1; done
    done
}
start_task() { # program: from its first screen to one pupil task
    case $1 in
    tuxmath) xdotool key Return; sleep 1; xdotool key Return; sleep 2 ;; # menu: play, first lesson
    # A pupil's name, as a teacher starts a lesson: the report is read and written as in class.
    ours) xdotool type --delay 150 'Иванова Маша'; xdotool key Return; sleep 1; xdotool key Escape; sleep 1.5 ;;
    *) ;; # GCompris was launched into its activity
    esac
}
watch_memory() { # pid file: largest RssAnon / RssFile seen, written when the process ends
    local pid=$1 out=$2 anon=0 file=0 a f
    while kill -0 "$pid" 2>/dev/null; do
        a=$(awk '/^RssAnon/ { print $2 }' "/proc/$pid/status" 2>/dev/null)
        f=$(awk '/^RssFile/ { print $2 }' "/proc/$pid/status" 2>/dev/null)
        [ -n "$a" ] && [ "$a" -gt "$anon" ] && anon=$a
        [ -n "$f" ] && [ "$f" -gt "$file" ] && file=$f
        echo "$anon $file" >"$out"
        sleep 0.2
    done
}

results=$(mktemp)
measure() { # program run
    local name=$1 run=$2 command pid hwm settled memfile
    # shellcheck disable=SC2046
    command=$(command_of "$name")
    settled=$("$settle" --seconds "$(settle_limit "$name")" -- $command 2>/dev/null | awk '/^settled/ { print $2 }')
    sleep 1
    memfile=$(mktemp)
    # shellcheck disable=SC2086
    $command >/dev/null 2>&1 &
    pid=$!
    watch_memory $pid "$memfile" &
    sleep "$(settle_limit "$name")"
    local idle mouse task clip="" typed="" done_idle="" done_mouse=""
    idle=$(cpu_share $pid "$idle_seconds" wait_seconds)
    mouse=$(cpu_share $pid "$action_seconds" zigzag)
    [ "$name" = ours ] && typed=$(cpu_share $pid "$action_seconds" typing)
    start_task "$name"
    task=$(cpu_share $pid "$action_seconds" drag_task)
    if [ "$name" = ours ]; then
        xdotool key F1
        clip=$(cpu_share $pid "$action_seconds" wait_seconds)
        xdotool key Escape # any key closes the instruction F1 opened
        sleep 1
        # The rest of the run, then the final praise; the completion screen follows.
        python3 "$root/tests/e2e/lib/pupil.py" quick 20 >/dev/null 2>&1
        sleep 12
        done_idle=$(cpu_share $pid "$action_seconds" wait_seconds)
        done_mouse=$(cpu_share $pid "$action_seconds" zigzag)
    fi
    hwm=$(awk '/^VmHWM/ { print $2 }' "/proc/$pid/status" 2>/dev/null)
    kill -TERM $pid 2>/dev/null
    for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
    kill -KILL $pid 2>/dev/null
    wait $pid 2>/dev/null
    sleep 0.3
    read -r anon file <"$memfile"
    rm -f "$memfile"
    printf '%s %s settled=%s hwm=%s anon=%s file=%s idle=%s mouse=%s task=%s typed=%s clip=%s doneidle=%s donemouse=%s\n' \
        "$name" "$run" "$settled" "$((hwm / 1024))" "$((anon / 1024))" "$((file / 1024))" \
        "$idle" "$mouse" "$task" "$typed" "$clip" "$done_idle" "$done_mouse" | tee -a "$results" >&2
}

programs=(ours)
for peer in "${peers[@]}"; do
    if [ -x "$(command_of "$peer" | awk '{ print $1 }')" ]; then
        programs+=("$peer")
    else
        echo "side_by_side: $peer is not installed; left out" >&2
    fi
done
for run in $(seq "$runs"); do
    for name in "${programs[@]}"; do measure "$name" "$run"; done
done

# One row per measure: the median over the runs for each program, then ours / each peer.
awk -v programs="${programs[*]}" -v runs="$runs" -v size="$size" '
function median(list,   n, a, i, j, t) {
    n = split(list, a, " ")
    for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] + 0 < a[i] + 0) { t = a[i]; a[i] = a[j]; a[j] = t }
    if (n == 0) return ""
    return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
}
{
    for (i = 3; i <= NF; i++) {
        split($i, kv, "=")
        if (kv[2] != "") values[$1, kv[1]] = values[$1, kv[1]] " " kv[2]
    }
}
END {
    n = split(programs, p, " ")
    nk = split("settled hwm anon file idle mouse task typed clip doneidle donemouse", keys, " ")
    split("first screen (s)|peak RSS (MiB)|  anonymous (MiB)|  file-backed (MiB)|idle CPU (% core)|mouse CPU (% core)|task CPU (% core)|typing CPU (% core)|clip CPU (% core)|completion idle (%)|completion mouse (%)", labels, "|")
    printf "%d interleaved runs each, %s, one Xvfb with openbox; medians\n", runs, size
    printf "%-20s", "measure"
    for (i = 1; i <= n; i++) printf " %10s", p[i]
    for (i = 2; i <= n; i++) printf " %12s", "ours/" p[i]
    printf "\n"
    for (k = 1; k <= nk; k++) {
        printf "%-20s", labels[k]
        for (i = 1; i <= n; i++) {
            m[i] = median(values[p[i], keys[k]])
            printf " %10s", m[i] == "" ? "-" : sprintf("%.3f", m[i])
        }
        for (i = 2; i <= n; i++)
            printf " %12s", (m[1] == "" || m[i] == "" || m[i] + 0 == 0) ? "-" : sprintf("%.2f", m[1] / m[i])
        printf "\n"
    }
}' "$results"
rm -f "$results"
