# Sourced by the end-to-end scripts that run whole lessons: the lesson's screens as the pupil and
# the teacher see them on an 800 x 600 screen, read from screen grabs, and the report checks.
# Needs session.sh sourced first.

lib=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# A private X server with a window manager, a Russian keyboard, the disk audio driver and a
# private data folder under $1; $wm is the window manager's process.
start_lesson_session() {
    local work=$1
    # -noreset: the keyboard layout must outlive the client that sets it.
    start_xvfb 800x600x24 -noreset
    openbox >/dev/null 2>&1 &
    wm=$!
    for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
    setxkbmap -layout ru
    export XDG_DATA_HOME=$work/share SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/audio.raw
    report="$XDG_DATA_HOME/KVAD/00061 Упражнение «Tavrelo».xls"
}
stop_lesson_session() {
    kill "${pid:-}" "${wm:-}" 2>/dev/null
    stop_xvfb
}

# The sky of the exercise and the demonstration: clearly blue.
sky_at() { rgb "$1" "$2"; [ $b -gt $((r + 30)) ]; }

# More of the screens (the start and completion screens and the exit menu are in session.sh).
# The settings page's slow-down field lies where the start screen has its grey background.
settings_page() { is_colour 380 575 ffffff; }
# The instruction's clip and its key hints: a white card over the middle of the screen.
instruction_card() { rgb 200 300; [ $r -gt 230 ] && [ $g -gt 230 ] && [ $b -gt 230 ]; }
# The yellow space bar of the key hints (it blinks: shown for half a second at a time).
space_bar_hint() { rgb 290 508; [ $r -gt 240 ] && [ $g -gt 200 ] && [ $b -lt 160 ]; }
# The exercise (or demonstration) background, no card, no completion screen over it.
exercise_screen() { sky_at 200 300 && sky_at 5 5; }
# The one-pixel black frames of the save-as (top at 225) and printer (top at 125) dialogs.
save_as_dialog() { is_colour 579 300 000000 && is_colour 400 225 000000; }
printer_dialog() { is_colour 579 300 000000 && is_colour 400 125 000000; }
no_dialog() { ! is_colour 579 300 000000; }

# The system pointer's position as "x y".
pointer_at() { xdotool getmouselocation | sed -E 's/x:([0-9]+) y:([0-9]+).*/\1 \2/'; }

click() { xdotool mousemove "$1" "$2" click 1; }

# A text field at ($1, $2) emptied and given text $3: the field has no select-all, so the caret
# goes to the end and everything before it is erased.
fill_field() {
    click "$1" "$2"
    sleep 0.3
    xdotool key --delay 5 --repeat 200 Right
    xdotool key --delay 5 --repeat 200 BackSpace
    xdotool type --delay 30 "$3"
}

# The instruction that Start opens, watched to its end: the clip, then space at its key hints; the
# demonstration with its narration, then space at its closing key hints. $audio_checks gets the
# non-silent bytes of a second of the narration.
watch_instruction() {
    timeout=60 wait_until space_bar_hint
    check "the clip ends with the key hints and the blinking space bar" $?
    xdotool key space
    timeout=10 wait_until exercise_screen
    check "space at the key hints starts the demonstration" $?
    # The narration is well under way by the demonstration's first pair (5.59 s).
    timeout=20 wait_until demo_pair
    check "the demonstration shows its pair" $?
    narration_loud=$(loud_last_second)
    timeout=60 wait_until space_bar_hint
    check "the narration ends with the key hints and the blinking space bar" $?
    xdotool key space
    timeout=10 wait_until exercise_screen_without_hints
    check "space at the closing key hints begins the exercise" $?
}
demo_pair() { is_colour 650 260 fdcc9a; }
exercise_screen_without_hints() { exercise_screen && ! space_bar_hint && sky_at 450 420; }

# The pupil at the mouse (pupil.py): hand $1, $2 tasks, the slowed stage's dead zone $3.
pupil() {
    python3 "$lib/pupil.py" "$@" 2>&1 | sed 's/^/    pupil: /'
    return "${PIPESTATUS[0]}"
}

# Non-silent bytes in the sound device's last second (44.1 kHz, 16-bit stereo).
loud_last_second() { tail -c 176400 "$SDL_DISKAUDIOFILE" 2>/dev/null | tr -d '\000' | wc -c; }

# The pupil's hand leaves the mouse where the last target was, which may be where the completion
# screen puts a button (hovered, it changes colour): the pointer is put on the screen's blank middle.
hand_off() { xdotool mousemove 400 420; }
# The final praise (its cloud over the middle of the screen) gives way to the completion screen.
wait_for_completion() {
    hand_off
    timeout=60 wait_until completion_screen
}

# Checks the rows of sheet $2 in report file $1, run by run (COUNT:MIN:MAX each, see
# report_rows.py); what was found goes to the log.
check_runs() {
    python3 "$lib/report_rows.py" "$@" >>"$work/rows.log" 2>&1 || { tail -2 "$work/rows.log"; return 1; }
}
# Seconds since the epoch, for bounding a run's total time.
now() { date +%s; }

# Whether LibreOffice Calc opens report $1 and finds sheet $2 in it (headless conversion).
calc_opens() {
    local file=$1 sheet=$2 out status
    command -v libreoffice >/dev/null || { echo "LibreOffice missing"; return 1; }
    out=$(mktemp -d)
    cp "$file" "$out/report.xls"
    (cd "$out" && timeout $((180 * slowness)) libreoffice -env:UserInstallation="file://$out/profile" --headless --convert-to ods report.xls >/dev/null 2>&1)
    unzip -p "$out/report.ods" content.xml 2>/dev/null | grep -q "table:name=\"$sheet\""
    status=$?
    rm -rf "$out"
    return $status
}

# The width in pixels of the orange target on screen row $1 (its fill and centre mark).
target_width_on_row() {
    ffmpeg -loglevel error -f x11grab -video_size 800x1 -i "$display+0,$1" -frames:v 1 -f rawvideo -pix_fmt rgb24 - |
        od -An -v -tu1 -w3 | awk '$1 >= 240 && $3 <= 176 && $2 >= 120 { n++ } END { print n + 0 }'
}

# From the start screen: the pupil's name $1 typed, Enter, and the instruction skipped with Esc as
# soon as it shows; returns once the exercise is on screen.
begin_run_skipping_instruction() {
    xdotool type --delay 40 "$1"
    xdotool key Return
    wait_until instruction_card || return 1
    xdotool key Escape
    wait_until exercise_screen
}
