#!/usr/bin/env bash
# cmake --install of a build tree: every file a user needs lands under the prefix, the desktop
# entry is valid, and the driver template registers the installed library with unixODBC.
set -u
build=$1
source "$(dirname "$0")/../check.sh"

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > "$work/install.log" || { cat "$work/install.log"; exit 1; }
for file in bin/velanto bin/velanto-dump bin/velanto-detector share/velanto/velanto.htb \
            share/applications/velanto.desktop share/icons/hicolor/32x32/apps/velanto.png \
            share/icons/hicolor/256x256/apps/velanto.png lib/odbc/libvelantoxls.so \
            share/velanto/velanto-xls-driver.ini; do
    check "$file is installed" test -s "$prefix/$file"
done
check "the programs are executable" test -x "$prefix/bin/velanto" -a -x "$prefix/bin/velanto-dump"
check "the desktop entry is valid" desktop-file-validate "$prefix/share/applications/velanto.desktop"
check "the driver template names the installed library" \
    grep -qx "Driver=$prefix/lib/odbc/libvelantoxls.so" "$prefix/share/velanto/velanto-xls-driver.ini"

# The README's registration command, against a private configuration folder.
mkdir -p "$work/etc"
export ODBCSYSINI=$work/etc
odbcinst -i -d -f "$prefix/share/velanto/velanto-xls-driver.ini" > /dev/null 2>&1
check "odbcinst registers the driver" bash -c 'odbcinst -q -d | grep -qx "\[velanto Excel Driver (\*.xls)\]"'

finish "installation"
