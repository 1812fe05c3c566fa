#!/usr/bin/env bash
# velanto records as a lab meets it, driven from the keyboard on a display of its own: velanto downloads
# the detector's memory and saves it as text and as a workbook; velanto records downloads the same memory
# (Ctrl+D), finds every record of both files already kept (Ctrl+I), and exports CSV (Ctrl+E) that holds
# exactly velanto's rows. With a later download kept, a program's trend shows its results in their verdicts'
# colours against both limits, and its report (Ctrl+R) is saved with its chart and opened. The window comes back at the size it was left and with the store last open;
# a store that may not be written says so, and says why when asked to import.
#
# Arguments: velanto-records, velanto, velanto-detector, velanto-dump, the folder of the .xls driver's
# odbcinst.ini. With VELANTO_SCREENSHOT set to a file name, it also takes a picture of the window with
# its records there; with VELANTO_CHART_SCREENSHOT set, a picture of a program's trend.
set -u
if [ -z "${VELANTO_E2E_DISPLAY:-}" ]; then  # a display of its own, where no other test takes the focus
    source "$(dirname "$0")/../harness/virtual_display.sh"
    export VELANTO_E2E_DISPLAY=1
    on_virtual_display 1280x1024x24 bash "$0" "$@"
    exit
fi
records=$1 velanto=$2 detector=$3 dump_tool=$4
export ODBCSYSINI=$5
patience=60
export GSETTINGS_BACKEND=memory  # no desktop settings service on the test display
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../check.sh"
source "$here/../saved_files.sh"
source "$here/../harness/operator.sh"
source "$here/../harness/records_operator.sh"
export XDG_DATA_HOME=$work/data  # GTK's list of recent files, and the store used when none is named
trap 'stop_velanto; stop_detector; rm -rf "$work"' EXIT
store=$work/store/lab.sqlite
title=" - velanto records$"
box="^velanto records$"

# The system's browser, as the desktop finds it (GIO's default for web pages, xdg-open's $BROWSER), is one
# that notes what it was asked to open.
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME/applications" "$work/bin"
printf '#!/bin/sh\necho "$@" >> "%s/opened"\n' "$work" > "$work/bin/browser"
chmod +x "$work/bin/browser"
printf '[Desktop Entry]\nType=Application\nName=Test browser\nExec=%s %%u\nMimeType=text/html;\n' \
    "$work/bin/browser" > "$XDG_DATA_HOME/applications/velanto-test-browser.desktop"
printf '[Default Applications]\ntext/html=velanto-test-browser.desktop\n' > "$XDG_CONFIG_HOME/mimeapps.list"
export BROWSER=$work/bin/browser

# The markers of Pass, Caution and Failed results (chart/'s StyleOf) and the upper and lower limits' lines.
chart_colours=("#1B7837" "#D98C00" "#C2182B" "#8E24AA" "#00697C")
chart_shown() {
    settle
    import -window "$main_window" "$work/chart.png"
    picture_holds "$work/chart.png" "${chart_colours[@]}"
}

# velanto's text export as CSV lines in the records program's terms, sorted: ISO dates, no program name.
text_export_as_csv() {
    tail -n +3 "$1" | tr -d '\r' |
        awk -F '     ' -v OFS=, '{ gsub("/", "-", $3); print $1, $2, $3, $4, $5, "", $6, $7, $8, $9 }' | sort
}
csv_records() { tail -n +2 "$1" | tr -d '\r' | sort; }
csv_header_is_right() {
    [ "$(head -n 1 "$1")" = $'\xef\xbb\xbfdetector,test,date,time,program,name,result,rlu,lower,upper\r' ]
}

# --- the scenario ---

scenario() { echo "$SECONDS s: $*"; }

scenario "velanto downloads the detector's memory and saves it as text and as a workbook"
expected_rows "$work/full" --records 2000 --id 321 --seed 5
records_in_memory=$(wc -l < "$work/full")
start_detector --fast --records 2000 --id 321 --seed 5
start_velanto
press start
wait_for_answer 1
mkdir -p "$work/saved"
save_text_into "$work/saved"
must "velanto's text export holds the detector's rows" \
    wait_until "$patience" text_file_holds "$work/saved/atp00.txt" "$work/full"
save_workbook_as "$work/saved/results.xls"
answer_box "^velanto$"  # "Export file save to...!"
must "velanto's workbook holds the detector's rows" workbook_holds "$work/saved/results.xls" "$work/full"
close_velanto
must "velanto ends with status 0" test "$velanto_status" -eq 0

scenario "velanto records downloads the same memory into a new store"
start_records --database "$store"
keys ctrl+d
must "the download keeps every record once" \
    box_says "$box" "COM1: $records_in_memory new, 0 already kept"
answer_box "$box"

scenario "velanto records finds velanto's text export and workbook already kept"
import_file "$work/saved/atp00.txt" "0 new, $records_in_memory already kept"
import_file "$work/saved/results.xls" "0 new, $records_in_memory already kept"

scenario "velanto records exports CSV with velanto's rows"
keys ctrl+e
wait_for_window "^Export CSV$"
xdotool windowfocus --sync "$(visible_window "^Export CSV$")" key ctrl+a type "$work/records.csv"
settle
xdotool key Return
must "the save dialog goes" wait_until "$patience" window_gone "^Export CSV$"
must "the CSV export is written" wait_until "$patience" test -s "$work/records.csv"
check "the CSV starts with its byte-order mark and header" csv_header_is_right "$work/records.csv"
check "the CSV holds exactly the rows of velanto's text export" \
    cmp -s <(csv_records "$work/records.csv") <(text_export_as_csv "$work/saved/atp00.txt")
check "... which are $records_in_memory" test "$(csv_records "$work/records.csv" | wc -l)" -eq "$records_in_memory"
if [ -n "${VELANTO_SCREENSHOT:-}" ]; then  # a picture of the window with its records, for the docs
    settle
    import -window "$main_window" "$VELANTO_SCREENSHOT"
fi

scenario "velanto records draws a program's trend against its limits, and saves and opens its report"
# The detector's next memory, with limits of its own, downloaded by another velanto records meanwhile.
"$dump_tool" generate --records 2000 --id 321 --seed 6 --first-day 56 -o "$work/later.bin"
must "a later download is kept" "$records" --database "$store" import "$work/later.bin" > /dev/null
keys F5
keys ctrl+1 Home Down Down Down  # program 3, in the list of programs
must "the trend shows Pass, Caution and Failed results and both limits" wait_until "$patience" chart_shown
if [ -n "${VELANTO_CHART_SCREENSHOT:-}" ]; then
    cp "$work/chart.png" "$VELANTO_CHART_SCREENSHOT"
fi
keys ctrl+r
wait_for_window "^Save report$"
xdotool windowfocus --sync "$(visible_window "^Save report$")" key ctrl+a type "$work/report.html"
settle
xdotool key Return
must "the save dialog goes" wait_until "$patience" window_gone "^Save report$"
must "the report is written" wait_until "$patience" test -s "$work/report.html"
check "the report holds the program's chart" grep -q "<svg" "$work/report.html"
must "the report is opened in the browser" wait_until "$patience" grep -qs "report.html" "$work/opened"

scenario "velanto records comes back at its size, with the store last open"
settle
xdotool windowsize --sync "$main_window" 900 640
must "the window takes the size given" wait_until "$patience" window_size_is 900x640
quit_records
start_records
check "the window comes back at the size it was left" window_size_is 900x640
check "the store last open opens again" window_shown "^lab.sqlite$title"
quit_records

scenario "a store that may not be written is read only, and says why nothing can be imported"
# Tests run as root, whom permissions do not stop: velanto records runs as nobody. The folder is nobody's:
# SQLite reads a store in write-ahead-log mode only where it may make the log's index beside it.
home=$work/unprivileged
chmod o+x "$work"
install -d -o nobody "$work/readonly" "$home" "$home/config"
install -m 0444 "$store" "$work/readonly/lab.sqlite"
cp "$records" "$home/"  # wherever the build tree lies
install -m 644 "$XAUTHORITY" "$home/Xauthority"
start_records_as setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups \
    env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XAUTHORITY="$home/Xauthority" \
    ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" -- \
    "$home/velanto-records" --database "$work/readonly/lab.sqlite"
check "the title says that the store is read only" window_shown "^lab.sqlite \(read only\)$title"
keys ctrl+i
check "Ctrl+I says why nothing can be imported" \
    box_says "$box" "Nothing can be imported: $work/readonly/lab.sqlite may not be written to"
answer_box "$box"
check "no file chooser follows" window_gone "^Import files$"
quit_records
finish "velanto records end to end"
