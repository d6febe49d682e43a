# Sourced by the end-to-end scripts: the tally of checks and a private X server.

fail=0
pass=0
# Ends the script as skipped when one of the named tools is not installed.
require_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "$tool missing: skipped"; exit 77; }
    done
}
# A failed check also leaves a grab of the screen in $E2E_SHOTS, when that names a folder.
check() { # name, condition result
    if [ "$2" = 0 ]; then pass=$((pass + 1)); echo "ok: $1"; return; fi
    fail=$((fail + 1))
    echo "FAILED: $1"
    [ -d "${E2E_SHOTS:-}" ] && [ -n "${display:-}" ] || return 0
    local shot
    shot="$E2E_SHOTS/$(basename "$0" .sh)-$fail.png"
    ffmpeg -loglevel error -y -f x11grab -video_size 800x600 -i "$display" -frames:v 1 "$shot" && echo "    (screen: $shot)"
}
# The last line of a script: the tally, and its status.
summary() {
    echo "$pass passed, $fail failed"
    [ $fail -eq 0 ]
}

# Starts Xvfb (800 x 600 unless a screen is given, then any further Xvfb options) and exports
# DISPLAY; $xvfb is its process. Xvfb picks a free display itself and names it once it accepts
# connections, so a display left locked by another program or a slow start on a busy machine
# cannot send the program to the wrong server or to none. The program is made to meet this
# server whatever drivers the caller's environment names.
start_xvfb() {
    local screen=${1:-800x600x24}
    shift || true
    local named
    named=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp "$@" 3>"$named" >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 300); do
        [ "$(wc -l <"$named")" -ge 1 ] && break
        kill -0 $xvfb 2>/dev/null || break
        sleep 0.1
    done
    display=:$(head -1 "$named")
    rm -f "$named"
    if [ "$display" = : ]; then
        echo "Xvfb did not start"
        exit 1
    fi
    export DISPLAY=$display SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy LANG=C.UTF-8
    unset SDL_RENDER_DRIVER
}
stop_xvfb() {
    kill $xvfb 2>/dev/null
    wait $xvfb 2>/dev/null
}

# Waits up to thirty seconds (a sanitized build on a busy machine starts slowly) for the
# program's window to appear and names it in $window.
wait_for_window() {
    for _ in $(seq 300); do
        window=$(xdotool search --name "Tavrelo" 2>/dev/null | head -1)
        [ -n "$window" ] && return 0
        sleep 0.1
    done
    return 1
}
# Waits up to ten seconds for process $1 to end by itself; killed otherwise. Its status is returned.
wait_for_end() {
    for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$1" 2>/dev/null; then kill -KILL "$1"; fi
    wait "$1"
}

# The colour of one screen pixel as six hex digits.
pixel() {
    ffmpeg -loglevel error -f x11grab -video_size 1x1 -i "$display+$1,$2" -frames:v 1 -f rawvideo -pix_fmt rgb24 - |
        od -An -tx1 | tr -d ' \n'
}
# Ends the program of process $1 as a teacher does on an 800 x 600 screen: F12, then the exit
# menu's Close. Its status is returned.
close_through_exit_menu() {
    xdotool key F12
    sleep 0.5
    xdotool mousemove 392 300 click 1
    wait_for_end "$1"
}

# Whole lessons run on the plain build only: under the sanitizers they take three times as long
# and would push the suite past its time, while the code they go through is the same that the
# sanitized unit tests and the shorter scripts run. Ends the script as skipped for such a build.
skip_if_sanitized() {
    if ldd "$1" 2>/dev/null | grep -q -e libasan -e libtsan; then
        echo "a sanitized build: whole lessons run on the plain build only"
        exit 77
    fi
}
