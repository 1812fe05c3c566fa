#!/usr/bin/env bash
# velanto-setup.exe as a Windows user meets it, under 64-bit Wine in a prefix of its own on a
# display of its own. A silent install puts velanto, velanto records, the help book and the icon
# into Program Files, a shortcut to each program into the Start menu and an entry into Add/Remove
# Programs; velanto starts from its shortcut and shows its window; velanto-records.exe answers
# --help with its usage; an uninstall while velanto runs removes nothing; velanto ends when asked
# to close, and a silent uninstall then leaves the machine as it was. Then an install
# elsewhere (/D), with a file of the user's put into its folder: the uninstaller removes what it
# installed there, and only that.
#
# Arguments: velanto-setup.exe, the version it installs, and optionally the caption of the
# installed program's window (velanto's own unless given).
set -u
if [ -z "${VELANTO_INSTALLER_DISPLAY:-}" ]; then  # a display of its own for the windows
    source "$(dirname "$0")/../harness/virtual_display.sh"
    export VELANTO_INSTALLER_DISPLAY=1
    on_virtual_display 1280x1024x24 bash "$0" "$@"
    exit
fi
setup=$(realpath "$1") version=$2
caption=${3:-"Data updating program for the reault of ATP fluorescence detector"}
source "$(dirname "$0")/../check.sh"

wine=/usr/lib/wine/wine64
export WINELOADER=$wine WINEPREFIX=$work/prefix WINEDEBUG=-all HOME=$work/home
# No offer to install Mono or Gecko, and no desktop menu entries made from the Start menu.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap 'wineserver -k 2> /dev/null; rm -rf "$work"' EXIT
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\velanto'
start_menu='C:\ProgramData\Microsoft\Windows\Start Menu\Programs'

# Runs a Windows program, then waits until every program in the prefix has ended (an
# uninstaller goes on as a copy of itself in the temporary folder).
in_wine() { "$wine" "$@" && timeout 120 wineserver -w; }
unix_path() { local path=${1#C:\\}; echo "$WINEPREFIX/drive_c/${path//\\//}"; }
uninstall() { in_wine "$1\\uninstall.exe" /S; }
# Every file outside the users' folders, and the uninstall entries of the registry. The users'
# temporary folders keep the uninstaller's copy until the next restart, as on Windows.
machine_state() {
    (cd "$WINEPREFIX/drive_c" && find . -path ./users -prune -o -print | sort)
    "$wine" reg query "${key%\\*}" /s | tr -d '\r' | sed '/^$/d'
}
unchanged_but() {  # the paths under C:\ (as ./Tools) expected to be there now and not before
    diff "$work/before" <(machine_state | grep -vxFf <(printf '%s\n' "$@"))
}
uninstall_value() {  # value name: prints its data in the uninstall key
    "$wine" reg query "$key" /v "$1" | tr -d '\r' | sed -n "s/^ *$1 *REG_SZ *//p"
}

installed_in() {  # Windows folder
    local folder=$1 file name data
    for file in velanto.exe velanto-records.exe velanto.htb velanto.ico uninstall.exe; do
        check "$folder\\$file is installed" test -s "$(unix_path "$folder\\$file")"
    done
    check "the Start menu holds velanto.lnk, which starts $folder\\velanto.exe" \
        grep -aqF "$folder\\velanto.exe" "$(unix_path "$start_menu\\velanto.lnk")"
    check "the Start menu holds velanto records.lnk, which starts $folder\\velanto-records.exe" \
        grep -aqF "$folder\\velanto-records.exe" "$(unix_path "$start_menu\\velanto records.lnk")"
    while read -r name data; do
        check "Add/Remove Programs: $name is $data" [ "$(uninstall_value "$name")" = "$data" ]
    done < <(printf '%s\n' "DisplayName velanto" "DisplayVersion $version" \
        "DisplayIcon $folder\\velanto.ico" "UninstallString \"$folder\\uninstall.exe\"")
}
# Starts velanto from its shortcut and waits for its window; a velanto without that window is
# ended, so that the uninstall still finds its files free.
starts_from_start_menu() {
    "$wine" start "$start_menu\\velanto.lnk" || return 1
    if ! timeout 60 xdotool search --sync --onlyvisible --name "$caption" > /dev/null; then
        echo "no window \"$caption\" showed"
        "$wine" taskkill /F /IM velanto.exe > /dev/null 2>&1
        wineserver -w
        return 1
    fi
}
# velanto records' command line, run from where it was installed.
records_prints_its_usage() {
    local usage
    usage=$("$wine" "$1\\velanto-records.exe" --help) || return 1
    grep -q '^Usage:' <<<"$usage" && grep -qF 'velanto-records [--database PATH] import FILE...' <<<"$usage"
}
ends_when_asked_to_close() { "$wine" taskkill /IM velanto.exe > /dev/null && timeout 60 wineserver -w; }
# The uninstaller run in place (_?=), so that it has ended when this returns.
uninstall_in_place() { "$wine" "$1\\uninstall.exe" /S "_?=$1"; }

in_wine wineboot --init > "$work/wineboot.log" 2>&1 || { cat "$work/wineboot.log"; exit 1; }
machine_state > "$work/before"

program_files='C:\Program Files\velanto'
install_seconds=$(seconds_of in_wine "$setup" /S) || { echo "FAILED: the silent install"; exit 1; }
installed_in "$program_files"
check "velanto-records.exe --help prints its usage and ends with status 0" records_prints_its_usage "$program_files"
check "velanto starts from the Start menu and shows \"$caption\"" starts_from_start_menu
uninstall_in_place "$program_files"  # gives up while velanto runs: all stays installed
installed_in "$program_files"
check "velanto ends when asked to close" ends_when_asked_to_close
uninstall_seconds=$(seconds_of uninstall "$program_files") || { echo "FAILED: the silent uninstall"; exit 1; }
check "the uninstall removes velanto-records.exe" test ! -e "$(unix_path "$program_files\\velanto-records.exe")"
check "the uninstall leaves the machine as before the install" unchanged_but

# /D must come last, unquoted.
elsewhere='C:\Tools\velanto'
in_wine "$setup" /S "/D=$elsewhere" || { echo "FAILED: the silent install into $elsewhere"; exit 1; }
installed_in "$elsewhere"
echo "the user's" > "$(unix_path "$elsewhere\\notes.txt")"
uninstall "$elsewhere" || { echo "FAILED: the silent uninstall from $elsewhere"; exit 1; }
check "the user's file stays" test -s "$(unix_path "$elsewhere\\notes.txt")"
check "the uninstall leaves the machine as before but for that file and its folders" \
    unchanged_but ./Tools ./Tools/velanto ./Tools/velanto/notes.txt

echo "velanto-setup.exe $(du -k "$setup" | cut -f 1) KiB; silent install ${install_seconds}s, uninstall ${uninstall_seconds}s under Wine"
finish "the Windows installer under Wine"
