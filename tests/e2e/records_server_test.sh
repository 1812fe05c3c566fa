#!/usr/bin/env bash
# velanto records' window on a store on a PostgreSQL server of the test's own, driven from the keyboard:
# File > Open Database Server (Ctrl+Shift+O) opens it with the data source and password typed, and the
# settings keep no password; an image is imported. With the server stopped, Refresh (F5) says the
# connection was lost and offers to reconnect while the list keeps its rows; with the server back,
# Reconnect reads the store again. An import while the server is away says that it was not kept, and
# it is not. At the next start, the store opens again once its password is typed.
#
# Arguments: velanto-records, velanto-dump.
set -u
if [ -z "${VELANTO_E2E_DISPLAY:-}" ]; then  # a display of its own, where no other test takes the focus
    source "$(dirname "$0")/../harness/virtual_display.sh"
    export VELANTO_E2E_DISPLAY=1
    on_virtual_display 1280x1024x24 bash "$0" "$@"
    exit
fi
records=$1 dump_tool=$2
patience=60
export GSETTINGS_BACKEND=memory  # no desktop settings service on the test display
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../check.sh"
source "$here/../harness/operator.sh"
source "$here/../harness/records_operator.sh"
source "$here/../harness/postgres_server.sh"
export XDG_DATA_HOME=$work/data
trap 'stop_velanto; rm -rf "$work"' EXIT
start_postgres_server || exit 1  # removed on exit before the rest
title=" - velanto records$"
box="^velanto records$"
lost="^Connection to the server lost$"
server_title="DSN=$velanto_server_dsn;UID=$velanto_server_user$title"

# The lowest rows of the list and the status line below them, which tells their count: $work/$1.rgb.
snap_rows() {
    settle
    import -window "$main_window" -gravity south -crop 100%x25%+0+0 +repage "$work/$1.png"
    convert "$work/$1.png" "$work/$1.rgb"
}
rows_as_before() { snap_rows "$1" && cmp -s "$work/before.rgb" "$work/$1.rgb"; }

settings_hold_no_password() { ! grep -qF "$velanto_server_password" "$XDG_CONFIG_HOME/velanto/records.conf"; }

scenario() { echo "$SECONDS s: $*"; }

scenario "velanto records opens the store on the server by keys"
"$dump_tool" generate --records 2000 --id 321 --seed 5 -o "$work/memory.bin"
start_records --database "$work/local.sqlite"
keys ctrl+shift+o
wait_for_window "^Open Database Server$"
xdotool key ctrl+a type "DSN=$velanto_server_dsn;UID=$velanto_server_user"
xdotool key Tab
xdotool type "$velanto_server_password"
xdotool key Return
must "the window shows the server's store" wait_until "$patience" window_shown "$server_title"
main_window=$(visible_window "$server_title")
check "the settings keep the server's store" grep -qF "DSN=$velanto_server_dsn" "$XDG_CONFIG_HOME/velanto/records.conf"
check "... without its password" settings_hold_no_password
import_file "$work/memory.bin" "2000 new, 0 already kept"
check "the import is on the server" test "$(server_sql "SELECT count(*) FROM records")" = 2000
snap_rows before

scenario "the server stops: Refresh offers to reconnect, and the list keeps its rows"
postgres_server_kill
keys F5
must "a box says the connection was lost" wait_until "$patience" window_shown "$lost"
check "the list still shows its rows" rows_as_before lost
postgres_server_start
answer_box "$lost"  # Reconnect
settle
check "no other box follows" only_the_dialog_shown
check "after reconnecting, the list shows the store's rows again" wait_until "$patience" rows_as_before again
check "... of the same store" window_shown "$server_title"

scenario "an import while the server is away says that it was not kept, and it is wholly absent"
"$dump_tool" generate --records 2000 --id 322 --seed 6 -o "$work/later.bin"
postgres_server_kill
keys ctrl+i
choose_file "^Import files$" "$work/later.bin"
check "a box says the connection was lost and the import not kept" \
    box_and_details_say "$lost" "connection to the store on the server was lost" "later.bin was not kept"
postgres_server_start
answer_box "$lost"  # Reconnect
check "the import is wholly absent" test "$(server_sql "SELECT count(*) FROM downloads")" = 1

scenario "at the next start the server's store opens again, asking for the password it did not keep"
quit_records
"$records" > "$work/velanto.log" 2>&1 &
velanto_pid=$!
wait_for_window "^Password for the store$"
xdotool windowfocus --sync "$(visible_window "^Password for the store$")" type "$velanto_server_password"
xdotool key Return
must "the window shows the server's store" wait_until "$patience" window_shown "$server_title"
main_window=$(visible_window "$server_title")
quit_records
finish "velanto records on a store on a server"
