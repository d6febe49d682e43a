#!/usr/bin/env bash
# End to end, the short path of a lesson for two pupils, for whichever copy of the program is
# named (installed.sh runs it on the installed one): under a window manager with a Russian
# keyboard, a pupil types a Cyrillic name, skips the instruction with Esc and does all twenty
# pairs with a quick hand; Retry on the completion screen brings back an empty start screen; a
# second pupil does the same; Close ends the program with status 0. The report then holds one
# sheet for each pupil with their run's rows, and LibreOffice Calc opens it.
# Usage: two_pupils.sh EXECUTABLE
set -u
exe=$1
. "$(dirname "$0")/session.sh"
. "$(dirname "$0")/lesson.sh"
require_tools Xvfb xdotool openbox setxkbmap ffmpeg

work=$(mktemp -d)
trap 'stop_lesson_session; rm -rf "$work"' EXIT
start_lesson_session "$work"
pupils=('Сидоров Миша' 'Кузнецова Даша')

"$exe" 2>"$work/log" &
pid=$!
wait_for_start_screen
check "the program opens on the start screen" $?
runs=()
for i in 0 1; do
    name=${pupils[$i]}
    begin_run_skipping_instruction "$name"
    check "$name: a name, Enter and Esc begin the exercise" $?
    start=$(now)
    pupil quick 20
    check "$name: all twenty pairs with a quick hand" $?
    wait_for_completion
    check "$name: the run ends on the completion screen" $?
    end=$(now)
    runs[$i]="0:$((end - start - 10 * slowness)):$((end - start + 4 * slowness))"
    if [ $i = 0 ]; then
        click 589 513
        wait_until start_screen
        check "Retry on the completion screen brings back the start screen" $?
    fi
done
click 715 513
wait_for_end $pid
check "Close on the completion screen ends the program with status 0" $?

check_runs "$report" "${pupils[0]}" "${runs[0]}"
check "the first pupil's sheet holds their run's rows" $?
check_runs "$report" "${pupils[1]}" "${runs[1]}"
check "the second pupil's sheet holds their run's rows" $?
python3 - "$report" "${pupils[@]}" <<'PY'
import sys, xml.etree.ElementTree as ET
ns = {"ss": "urn:schemas-microsoft-com:office:spreadsheet"}
names = [ws.get("{%s}Name" % ns["ss"]) for ws in ET.parse(sys.argv[1]).getroot().findall("ss:Worksheet", ns)]
sys.exit(0 if names == sys.argv[2:] else 1)
PY
check "the report has the two sheets, in the pupils' order, each once" $?
calc_opens "$report" "${pupils[1]}"
check "LibreOffice Calc opens the report" $?
summary
