#!/usr/bin/env bash
# cmake --install of a build tree: every file a user needs lands under the prefix, the desktop
# entries and AppStream descriptions are valid, velanto-records runs, and the driver template
# registers the installed library with unixODBC.
set -u
build=$1
source "$(dirname "$0")/../check.sh"

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > "$work/install.log" || { cat "$work/install.log"; exit 1; }
for file in bin/velanto bin/velanto-dump bin/velanto-detector bin/velanto-records \
            share/velanto/velanto.htb share/applications/velanto.desktop \
            share/applications/velanto-records.desktop share/metainfo/org.velanto.velanto.metainfo.xml \
            share/metainfo/org.velanto.records.metainfo.xml share/icons/hicolor/32x32/apps/velanto.png \
            share/icons/hicolor/256x256/apps/velanto.png share/icons/hicolor/16x16/apps/velanto-records.png \
            share/icons/hicolor/256x256/apps/velanto-records.png lib/odbc/libvelantoxls.so \
            share/velanto/velanto-xls-driver.ini share/man/man1/velanto.1 \
            share/man/man1/velanto-dump.1 share/man/man1/velanto-detector.1 share/man/man1/velanto-records.1; do
    check "$file is installed" test -s "$prefix/$file"
done
check "the programs are executable" test -x "$prefix/bin/velanto" -a -x "$prefix/bin/velanto-dump"
check "velanto-records --help runs" "$prefix/bin/velanto-records" --help > /dev/null
for entry in "$prefix"/share/applications/*.desktop; do
    check "the desktop entry $(basename "$entry") is valid" desktop-file-validate "$entry"
done
for description in "$prefix"/share/metainfo/*.xml; do
    check "the AppStream description $(basename "$description") is valid" \
        appstreamcli validate --no-net "$description"
done
check "the driver template names the installed library" \
    grep -qx "Driver=$prefix/lib/odbc/libvelantoxls.so" "$prefix/share/velanto/velanto-xls-driver.ini"

# Each manual page renders cleanly, and a tool's page names every option its --help gives.
renders_cleanly() {  # manual page
    local warnings
    warnings=$(groff -man -Tutf8 -ww -z "$1" 2>&1)
    [ -z "$warnings" ] || { echo "$warnings"; return 1; }
}
names_every_option() {  # program, manual page
    local option missing=0
    for option in $("$1" --help | grep -oE '(^|[[:space:][])--?[a-z][a-z-]*' | tr -d ' ['); do
        grep -qF -- "${option//-/\\-}" "$2" || { echo "$2 does not name $option"; missing=1; }
    done
    return $missing
}
for page in "$prefix"/share/man/man1/*.1; do
    check "$(basename "$page") renders without warnings" renders_cleanly "$page"
done
for tool in velanto-dump velanto-detector velanto-records; do
    check "the manual of $tool names its options" names_every_option "$prefix/bin/$tool" \
        "$prefix/share/man/man1/$tool.1"
done

# The README's registration command, against a private configuration folder.
mkdir -p "$work/etc"
export ODBCSYSINI=$work/etc
odbcinst -i -d -f "$prefix/share/velanto/velanto-xls-driver.ini" > /dev/null 2>&1
check "odbcinst registers the driver" bash -c 'odbcinst -q -d | grep -qx "\[velanto Excel Driver (\*.xls)\]"'

finish "installation"
