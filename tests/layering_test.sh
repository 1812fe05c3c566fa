#!/usr/bin/env bash
# The folders' layering as the README's table states it: each product folder includes only the
# project folders it may, so nothing below includes anything above it.
set -u
source "$(dirname "$0")/check.sh"
cd "$(dirname "$0")/.."

declare -A may_include=(
    [os]=""
    [serial]="os"
    [dump]="os serial/line_settings.h"
    [transfer]="os serial dump"
    [export]="os dump"
    [store]="os dump"
    [chart]=""
    [report]="os dump store chart"
    [app]="os serial dump transfer export wx"
    [tools]="os dump serial"
    [records]="os serial dump transfer store export chart report"
    [records_ui]="os store chart report records wx"
    [xlsdriver]=""
)

# Prints the project includes of folder $1 that its allowance does not cover.
stray_includes() {
    local folder=$1 allowed
    grep -rhoE '#include "[a-z_]+/[a-z_0-9./]+"' "$folder" | sed -E 's/#include "(.*)"/\1/' | sort -u |
        while read -r included; do
            [ "${included%%/*}" = "$folder" ] && continue
            for allowed in ${may_include[$folder]}; do
                [[ $included == "$allowed" || $included == "$allowed"/* ]] && continue 2
            done
            echo "$folder includes $included"
        done
}

for folder in "${!may_include[@]}"; do
    strays=$(stray_includes "$folder")
    [ -n "$strays" ] && echo "$strays"
    check "$folder/ includes only what it may" test -z "$strays"
done
check "every product folder is in the table" \
    test "$(ls -d */ | tr -d / | grep -cvE '^(tests|bench|packaging|scripts|cmake|docs|out)$')" -eq "${#may_include[@]}"
finish "layering"
