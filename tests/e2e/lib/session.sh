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

# A sanitized build runs about three times slower: every wait below is stretched by this factor.
slowness=1
if ldd "${exe:-}" 2>/dev/null | grep -q -e libasan -e libtsan; then slowness=3; fi

# Polls condition "$@" every 0.1 s (plus the time a grab takes) for up to $timeout seconds
# (30 unless set), times $slowness.
wait_until() {
    local deadline=$((SECONDS + ${timeout:-30} * slowness))
    while :; do
        "$@" && return 0
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.1
    done
}

# Waits for the program's window to be shown and names it in $window. A key pressed before the
# window is mapped goes nowhere, so the window's mere existence is not enough.
window_shown() { window=$(xdotool search --onlyvisible --name "Tavrelo" 2>/dev/null | head -1); [ -n "$window" ]; }
wait_for_window() { wait_until window_shown; }
# Waits for the window and then for the start screen drawn in it (on an 800 x 600 screen): only
# then does a key or a click reach the screen a teacher sees.
wait_for_start_screen() { wait_for_window && timeout=20 wait_until start_screen; }
# Waits up to ten seconds (times $slowness) for process $1 to end by itself; killed otherwise.
# Its status is returned.
wait_for_end() {
    local deadline=$((SECONDS + 10 * slowness))
    while kill -0 "$1" 2>/dev/null && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
    if kill -0 "$1" 2>/dev/null; then kill -KILL "$1"; fi
    wait "$1"
}

# The colour of one screen pixel as six hex digits.
pixel() {
    ffmpeg -loglevel error -f x11grab -video_size 1x1 -i "$display+$1,$2" -frames:v 1 -f rawvideo -pix_fmt rgb24 - |
        od -An -tx1 | tr -d ' \n'
}
# Colour tests on one screen pixel.
rgb() { local p; p=$(pixel "$1" "$2"); r=$((16#${p:0:2})) g=$((16#${p:2:2})) b=$((16#${p:4:2})); }
is_colour() { [ "$(pixel "$1" "$2")" = "$3" ]; }

# The screens on an 800 x 600 screen, each told by pixels nothing else there has.
# The start and completion screens share the grey background; only the completion screen has its
# green Print and Retry buttons and red Close there; only the start screen has the name field.
completion_screen() { is_colour 72 505 7ac473 && is_colour 589 505 7ac473 && is_colour 715 505 e8746a; }
start_screen() { is_colour 400 470 ffffff && is_colour 72 505 e5e6e6; }
# The exit menu: its green Retry button and the black frame left of its Close button.
exit_menu() { is_colour 392 240 3d843d && is_colour 332 300 000000; }

# Ends the program of process $1 as a teacher does on an 800 x 600 screen: F12, then the exit
# menu's Close once the menu is drawn. Its status is returned (non-zero when no menu came).
close_through_exit_menu() {
    xdotool key F12
    timeout=10 wait_until exit_menu || { wait_for_end "$1"; return 1; }
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
