# An operator at velanto's main dialog, on the current X display: keys go through xdotool, the
# detector is velanto-detector on COM1 of a private device map. Set $velanto, $detector,
# $dump_tool, $patience (seconds a step may take) and $work (a scratch folder) before sourcing.
#
# The operator presses buttons with the keyboard. The dialog starts with Cancel focused, and
# Cancel, the port list, Start, the format list, Save and the record list follow each other in
# tab order; $focus follows the focus along that row. A modal box gives the focus back to where
# it was.

export XDG_CONFIG_HOME=$work/config   # the device map: COM1 is the simulator's line
mkdir -p "$work/velanto-cwd"
tab_row=(cancel port start format save list)
focus=cancel
velanto_pid=
simulator_pid=
main_window=

# True once the command given holds, false when it still does not after $1 seconds.
wait_until() {
    local deadline=$((SECONDS + $1)); shift
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.1
    done
}

# Ends the script, with what the display and velanto show, when the condition given does not
# hold: the steps after it would make no sense.
must() {
    local what=$1; shift
    "$@" && return 0
    echo "FAILED: $what"
    echo "windows on the display:"; xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null
    echo "velanto's output:"; cat "$work/velanto.log" 2>/dev/null
    exit 1
}

# True when velanto has used at most a fifth of a processor in half a second, and its main thread was
# found waiting for work (not running, nor ready to run) in all but one of five looks meanwhile: it has
# done what the last input asked, and a key pressed now goes where the operator expects. A window that
# shows is not yet ready for keys, least of all under the memory checker, where even idle costs a tenth;
# and on a loaded machine a velanto kept from a processor uses little of one without being done.
velanto_idle() {
    local before after looks ready=0
    before=$(velanto_processor_ticks) || return 1
    for looks in 1 2 3 4 5; do
        sleep 0.1
        [ "$(velanto_main_thread_state)" = R ] && ready=$((ready + 1))
    done
    after=$(velanto_processor_ticks) || return 1
    [ $((after - before)) -le 10 ] && [ "$ready" -le 1 ]
}
velanto_processor_ticks() { awk '{ print $14 + $15 }' "/proc/$velanto_pid/stat" 2> /dev/null | grep .; }
velanto_main_thread_state() { awk '{ print $3 }' "/proc/$velanto_pid/stat" 2> /dev/null; }
settle() { must "velanto settles" wait_until "$patience" velanto_idle; }
# Waits for a window with a title that matches, then until velanto is ready for keys.
wait_for_window() {
    must "the window \"$1\" appears" wait_until "$patience" window_shown "$1"
    settle
}

visible_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }
window_shown() { [ -n "$(visible_window "$1")" ]; }
window_gone() { ! window_shown "$1"; }
window_id_gone() { ! xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -qx "$2"; }
box_height() { xdotool getwindowgeometry --shell "$(visible_window "$1")" | sed -n 's/^HEIGHT=//p'; }
shown_count() { xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l; }

# --- the detector ---

# velanto-detector with the options given, on a new line linked as COM1. It stands in for a UART,
# which never pauses mid-answer, while velanto rightly takes a pause of 0.1 s for the end of one: where
# it may (as root), it runs ahead of the test run's other processes, so that it is seldom kept waiting
# that long (the kernel shares the processors between sessions first, and nice ranks only within one).
start_detector() {
    stop_detector
    : > "$work/detector.out"   # emptied here: the background start below may empty it only later
    local ahead=()
    [ "$(id -u)" -eq 0 ] && ahead=(nice -n -10)
    "${ahead[@]}" "$detector" --com 1 "$@" > "$work/detector.out" 2> "$work/detector.err" &
    simulator_pid=$!
    must "the detector simulator starts" wait_until "$patience" test -s "$work/detector.out"
}
stop_detector() {
    if [ -n "$simulator_pid" ]; then
        kill "$simulator_pid" 2> /dev/null
        wait "$simulator_pid" 2> /dev/null
    fi
    simulator_pid=
}
# The operator plugs in another detector; velanto, still holding the old line, reports it lost.
swap_detector() {
    start_detector "$@"
    answer_box "^Application Error$"
}
detector_line() { head -n 1 "$work/detector.out"; }
answer_read() { grep -qx "answer $1 read" "$work/detector.out"; }
# Waits until velanto has read the detector's answer $1 (and all before it), and has had a moment to show it.
wait_for_answer() {
    must "velanto reads the detector's answer $1" wait_until "$patience" answer_read "$1"
    settle
}

# The rows velanto-dump decodes from the image that velanto-detector sends with the options given.
expected_rows() {  # file, then the image's options
    local file=$1; shift
    "$dump_tool" generate "$@" -o "$file.image" && "$dump_tool" decode "$file.image" > "$file"
}

# --- velanto ---

start_velanto() {  # optionally the command line to run velanto with, such as a memory checker's
    (cd "$work/velanto-cwd" && exec "$@" "$velanto") > "$work/velanto.log" 2>&1 &
    velanto_pid=$!
    wait_for_window "^Data updating program"
    main_window=$(visible_window "^Data updating program")
    focus=cancel
}
# velanto run by user $1, who has none of root's rights, from $2 made by unprivileged_home. (start_velanto
# runs the $velanto it sees: the copy.)
start_velanto_as() {
    local velanto=$2/velanto
    start_velanto setpriv --reuid="$1" --regid="$(id -g "$1")" --clear-groups \
        env HOME="$2" XDG_CONFIG_HOME="$2/config" XAUTHORITY="$2/Xauthority" \
        ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"  # its leaks are checked in root's runs
}
# Makes $2 a home for user $1 that it can use wherever the build tree lies: a copy of velanto with its
# help book, the display's key, and an empty device map in $2/config/velanto/dosdevices.
unprivileged_home() {
    chmod o+x "$work"
    install -d -o "$1" "$2" "$2/config" "$2/config/velanto" "$2/config/velanto/dosdevices"
    cp "$velanto" "$(dirname "$velanto")/velanto.htb" "$2/"
    install -m 644 "$XAUTHORITY" "$2/Xauthority"
}
velanto_ended() { ! kill -0 "$velanto_pid" 2> /dev/null; }
# Presses the keys given and waits until velanto ends; then $velanto_status is its exit status.
end_velanto_with() {
    xdotool key "$@"
    must "velanto ends after $*" wait_until "$patience" velanto_ended
    wait "$velanto_pid"
    velanto_status=$?
    velanto_pid=
}
# Closes the dialog with its Cancel button; $closing_seconds is the time from the key to the
# end of the process.
close_velanto() {
    move_focus cancel
    local from=$EPOCHREALTIME
    end_velanto_with Return
    closing_seconds=$(awk -v from="$from" -v to="$EPOCHREALTIME" 'BEGIN { printf "%.2f", to - from }')
}
stop_velanto() {
    if [ -n "$velanto_pid" ]; then
        kill "$velanto_pid" 2> /dev/null
        wait "$velanto_pid" 2> /dev/null
    fi
    velanto_pid=
}

# True when the main dialog is the only window shown: keys meant for it would answer a box.
only_the_dialog_shown() { ! xdotool search --onlyvisible --name . 2>/dev/null | grep -vqx "$main_window"; }
# Moves the focus along the tab row to the control named, never round the row's ends.
move_focus() {
    local from to i
    for i in "${!tab_row[@]}"; do
        [ "${tab_row[$i]}" = "$focus" ] && from=$i
        [ "${tab_row[$i]}" = "$1" ] && to=$i
    done
    settle
    must "no box stands over the dialog" only_the_dialog_shown
    xdotool windowfocus --sync "$main_window"
    walk_focus "$from" "$to"
    focus=$1
}
walk_focus() {
    local from=$1 to=$2
    while [ "$from" -lt "$to" ]; do xdotool key Tab; from=$((from + 1)); done
    while [ "$from" -gt "$to" ]; do xdotool key shift+Tab; from=$((from - 1)); done
}
press() { move_focus "$1"; xdotool key Return; }
# Presses the control named, then at once moves to the second and presses the key given, with no wait
# for velanto between them: they reach it while what the first began still runs, however loaded the
# machine that would make a wait outlast it.
press_then() {
    local from to i
    press "$1"
    for i in "${!tab_row[@]}"; do
        [ "${tab_row[$i]}" = "$1" ] && from=$i
        [ "${tab_row[$i]}" = "$2" ] && to=$i
    done
    walk_focus "$from" "$to"
    xdotool key "$3"
    focus=$2
}

# Takes a picture of the top of the dialog, where the record list is: $work/$1.png and its raw pixels.
snap_list() {
    settle
    import -window "$main_window" -crop 100%x40%+0+0 +repage "$work/$1.png"
    convert "$work/$1.png" "$work/$1.rgb"
}
same_picture() { cmp -s "$work/$1.rgb" "$work/$2.rgb"; }
# True when the pictures named hold the same colours, wherever they are.
colours_of() { convert "$work/$1.png" -unique-colors txt:- | awk 'NR > 1 { print $3 }'; }
same_colours() { cmp -s <(colours_of "$1") <(colours_of "$2"); }
other_colours() { ! same_colours "$1" "$2"; }

# "Excel[.xls]" is the first format, "Notepad[.txt]" the second.
choose_format() {
    move_focus format
    case $1 in
        excel) xdotool key Up ;;
        text) xdotool key Down ;;
    esac
}

# Answers the box with the title given with its OK button.
answer_box() { answer_box_with "$1" Return; }

# True when the box with the title given says each of the texts given. The operator reads it as a
# user can: Tab selects the whole of its message, which ctrl+c copies to the clipboard.
box_says() {
    wait_for_window "$1"
    echo "(nothing copied)" | xclip -selection clipboard
    xdotool windowfocus --sync "$(visible_window "$1")" key Tab ctrl+c
    wait_until "$patience" clipboard_changed
    local text part
    text=$(xclip -o -selection clipboard)
    shift
    for part in "$@"; do
        [[ $text == *"$part"* ]] || { echo "the box says: $text"; return 1; }
    done
}
clipboard_changed() { [ "$(xclip -o -selection clipboard 2> /dev/null)" != "(nothing copied)" ]; }
# Answers the box with the title given with the key given (alt+y for Yes, alt+n for No).
answer_box_with() {
    wait_for_window "$1"
    local box
    box=$(visible_window "$1")
    xdotool windowfocus --sync "$box" key "$2"
    must "the box \"$1\" goes" wait_until "$patience" window_id_gone "$1" "$box"
}

# Picks a folder in the folder chooser by typing its path into the location bar.
choose_folder() {
    local title="^Please choose the folder you want to save the data"
    wait_for_window "$title"
    xdotool windowfocus --sync "$(visible_window "$title")"
    xdotool key ctrl+l; settle
    xdotool key ctrl+a type "$1/"; settle
    xdotool key Return
    must "the folder chooser goes" wait_until "$patience" window_gone "$title"
}

# Types a path into the save dialog's name field and saves; with "replace", the file exists and
# the toolkit's question whether to replace it is answered with its default, Replace.
answer_save_dialog() {
    wait_for_window "^Export$"
    xdotool windowfocus --sync "$(visible_window "^Export$")"
    xdotool key ctrl+a type "$1"; settle
    xdotool key Return
    if [ "${2:-}" = replace ]; then settle; xdotool key Return; fi
    must "the save dialog goes" wait_until "$patience" window_gone "^Export$"
}

save_text_into() { choose_format text; press save; choose_folder "$1"; }
save_workbook_as() { choose_format excel; press save; answer_save_dialog "$@"; }
