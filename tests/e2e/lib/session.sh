# Sourced by the end-to-end scripts: the tally of checks and a private X server.

fail=0
pass=0
check() { # name, condition result
    if [ "$2" = 0 ]; then pass=$((pass + 1)); echo "ok: $1"; else fail=$((fail + 1)); echo "FAILED: $1"; fi
}
# The last line of a script: the tally, and its status.
summary() {
    echo "$pass passed, $fail failed"
    [ $fail -eq 0 ]
}

# Starts Xvfb (800 x 600 unless a screen is given, then any further Xvfb options) on a display of
# its own, waits until it answers and exports DISPLAY; $xvfb is its process. The program is made
# to meet this server whatever drivers the caller's environment names.
start_xvfb() {
    local screen=${1:-800x600x24}
    shift || true
    display=:$((200 + RANDOM % 200))
    Xvfb "$display" -screen 0 "$screen" -nolisten tcp "$@" >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 50); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    export DISPLAY=$display SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy LANG=C.UTF-8
    unset SDL_RENDER_DRIVER
}

# Waits up to ten seconds for the program's window to appear.
wait_for_window() {
    for _ in $(seq 100); do xdotool search --name "Tavrelo" >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}
# Waits up to ten seconds for process $1 to end by itself; killed otherwise. Its status is returned.
wait_for_end() {
    for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$1" 2>/dev/null; then kill -KILL "$1"; fi
    wait "$1"
}
