#!/usr/bin/env bash
# End to end under a real X server with a Russian keyboard: a Cyrillic name typed on the start
# screen and Enter begin the exercise; Retry from the exit menu brings back an empty start screen
# for a second pupil; Close writes both pupils' sheets into the report file in the user's data
# folder, which LibreOffice Calc opens.
set -u
exe=$1
. "$(dirname "$0")/lib/session.sh"

# -noreset: the keyboard layout set below must outlive the client that sets it.
start_xvfb 800x600x24 -noreset
data=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null; rm -rf "$data"' EXIT
export XDG_DATA_HOME=$data/share
setxkbmap -layout ru

# The exercise's sky is blue; the start screen's background is grey.
is_sky() { local p; p=$(pixel 10 580); [ $((16#${p:4:2})) -gt $((16#${p:0:2} + 30)) ]; }

log=$(mktemp)
"$exe" 2>"$log" &
pid=$!
wait_for_start_screen
check "the program opens on the start screen" $?

xdotool type --delay 40 'Иванов Петя'
xdotool key Return
sleep 1
xdotool key Escape # the instruction
sleep 1
is_sky
check "a typed name and Enter begin the exercise" $?

xdotool key F12
sleep 0.5
xdotool mousemove 392 240 click 1 # Retry
sleep 1
! is_sky
check "Retry comes back to the start screen" $?
xdotool type --delay 40 'Сидорова Аня'
xdotool key Return
sleep 1
xdotool key Escape
sleep 1
is_sky
check "the second pupil's exercise begins" $?

close_through_exit_menu $pid
check "Close ends the program with status 0" $?

file="$data/share/KVAD/00061 Упражнение «Tavrelo».xls"
grep -q 'ss:Name="Иванов Петя"' "$file" 2>/dev/null && grep -q 'Время начала работы' "$file"
check "the first pupil's sheet and rows are in the report" $?
grep -q 'ss:Name="Сидорова Аня"' "$file" 2>/dev/null
check "the second pupil's sheet is in the same file" $?
[ "$(grep -o 'ss:Name="Иванов Петя"' "$file" | wc -l)" = 1 ]
check "the first pupil's sheet only once" $?

if command -v libreoffice >/dev/null; then
    out=$(mktemp -d)
    cp "$file" "$out/report.xls"
    (cd "$out" && timeout 180 libreoffice -env:UserInstallation="file://$out/profile" --headless --convert-to ods report.xls >/dev/null 2>&1)
    unzip -p "$out/report.ods" content.xml 2>/dev/null | grep -q 'table:name="Иванов Петя"'
    check "LibreOffice Calc opens the report and finds the pupil's sheet" $?
    rm -rf "$out"
fi

# The start screen's own Exit button ends the program too.
"$exe" 2>"$log" &
pid=$!
wait_for_start_screen
xdotool mousemove 770 35 click 1
wait_for_end $pid
check "the Exit button ends the program with status 0" $?
rm -f "$log"

summary
