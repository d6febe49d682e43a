#!/usr/bin/env bash
# End to end, installed like a program: `cmake --install` into a fresh prefix puts the executable,
# the desktop entry (which must validate), the icon in the hicolor theme and the companion folder;
# the installed program, started from another directory, answers
# --version and --help, opens a plain 800 x 600 window with --windowed and ends through the exit
# menu with status 0; and the installed program gives the short path of a lesson for two pupils
# (lib/two_pupils.sh).
set -u
exe=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$(dirname "$0")/lib/session.sh"
require_tools Xvfb xdotool

build=$(dirname "$exe")
prefix=$(mktemp -d)
elsewhere=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$prefix" "$elsewhere"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
check "cmake --install succeeds" $?
for installed in bin/tavrelo share/applications/tavrelo.desktop share/icons/hicolor/64x64/apps/tavrelo.png; do
    [ -f "$prefix/$installed" ]
    check "installed: $installed" $?
done
# The report's XML module, in the library folder of the installation (lib, or lib/<arch> under /usr).
module=$(find "$prefix" -path "*/tavrelo/tavrelo-workbook.so" -type f)
[ -n "$module" ] && [ "$(dirname "$(dirname "$module")")" != "$prefix" ]
check "installed: the report's module under the library folder (${module#$prefix/})" $?
[ -d "$prefix/share/tavrelo/Animations" ]
check "installed: the companion folder share/tavrelo/Animations" $?
if command -v desktop-file-validate >/dev/null; then
    out=$(desktop-file-validate "$prefix/share/applications/tavrelo.desktop" 2>&1)
    [ -z "$out" ]
    check "the desktop entry validates ($out)" $?
fi

cd "$elsewhere" || exit 1
version=$("$prefix/bin/tavrelo" --version)
[[ "$version" =~ ^tavrelo\ [0-9]+\.[0-9]+ ]]
check "--version ($version)" $?
"$prefix/bin/tavrelo" --help | grep -q -- "--windowed"
check "--help names --windowed" $?
"$prefix/bin/tavrelo" --no-such-option >/dev/null 2>&1
[ $? -eq 2 ]
check "an unknown option: status 2" $?

start_xvfb 1024x768x24
export XDG_DATA_HOME=$elsewhere/share
"$prefix/bin/tavrelo" --windowed 2>"$elsewhere/log" &
pid=$!
wait_for_window
check "the installed program opens its window" $?
sleep 1
geometry=$(xdotool getwindowgeometry --shell "$window" 2>/dev/null | tr '\n' ' ')
case "$geometry" in
*"WIDTH=800 HEIGHT=600"*) check "--windowed: an 800 x 600 window" 0 ;;
*) check "--windowed: an 800 x 600 window ($geometry)" 1 ;;
esac
xdotool key F12
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"
# The exit menu's Close button centre, in window coordinates of the unscaled picture.
xdotool mousemove $((X + 397)) $((Y + 303)) click 1
wait_for_end $pid
status=$?
[ $status -eq 0 ]
check "Close in the exit menu ends the installed program (status $status)" $?
stop_xvfb

# The two-pupil lesson on the installed copy: on the plain build only (see skip_if_sanitized).
status=77
if ! ldd "$exe" 2>/dev/null | grep -q -e libasan -e libtsan; then
    bash "$here/lib/two_pupils.sh" "$prefix/bin/tavrelo"
    status=$?
fi
[ $status -eq 77 ] || check "a lesson for two pupils on the installed program" $status

summary
