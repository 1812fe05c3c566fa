#!/usr/bin/env bash
# The Debian package as a user meets it, in a throwaway Debian root made with debootstrap from
# the archive this machine's apt uses: apt installs it with what it depends on, the driver is
# registered once (also after a reinstall and an upgrade), an ODBC client writes a workbook
# through it, velanto-records keeps an image's records in its SQLite store, and a purge leaves
# no trace. Needs root, for chroot.
# Argument: the package file.
set -u
package=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../check.sh"
[ "$(id -u)" -eq 0 ] || { echo "the throwaway root needs root (chroot): run as root" >&2; exit 1; }

root=$work/root
driver="velanto Excel Driver (*.xls)"
cache=${XDG_CACHE_HOME:-$HOME/.cache}/velanto/throwaway-root  # downloaded packages, kept
mkdir -p "$cache/debootstrap" "$cache/apt/partial"
leave_root() {
    for mount in "$root/var/cache/apt/archives" "$root/dev/pts" "$root/proc"; do
        mountpoint -q "$mount" && umount "$mount"
    done
    rm -rf --one-file-system "$work"
}
trap leave_root EXIT

in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
        DEBIAN_FRONTEND=noninteractive "$@"
}

codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
mirror=$(apt-cache policy | awk -v suite="$codename/main" '$3 == suite { print $2; exit }')
[ -n "$mirror" ] || { echo "no $codename/main archive among this machine's apt sources" >&2; exit 1; }
echo "throwaway root: debootstrap --variant=minbase $codename from $mirror"
seconds_of debootstrap --variant=minbase --cache-dir="$cache/debootstrap" "$codename" "$root" \
    "$mirror" > /dev/null || exit 1
mount -t proc proc "$root/proc"
mount --bind /dev/pts "$root/dev/pts"
mount --bind "$cache/apt" "$root/var/cache/apt/archives"
cp /etc/resolv.conf "$root/etc/resolv.conf"
printf '#!/bin/sh\nexit 101\n' > "$root/usr/sbin/policy-rc.d"  # no services start in here
chmod 755 "$root/usr/sbin/policy-rc.d"
in_root apt-get update -q > /dev/null || exit 1
cp "$package" "$root/tmp/"
installed=/tmp/$(basename "$package")

registrations() {  # prints how often the driver is registered: its entries and usage count
    local entries count
    entries=$(in_root odbcinst -q -d | grep -cxF "[$driver]")
    count=$(awk -v name="[$driver]" '$0 == name { inside = 1; next } /^\[/ { inside = 0 }
        inside && sub(/^UsageCount=/, "") { print }' "$root/etc/odbcinst.ini")
    echo "${entries}x${count:-0}"
}
registered_once() { [ "$(registrations)" = 1x1 ] || { echo "registrations: $(registrations)"; return 1; }; }
libraries_found() {  # every library of the installed programs and driver resolves
    local file missing=0
    for file in /usr/bin/velanto /usr/bin/velanto-dump /usr/bin/velanto-detector \
                /usr/bin/velanto-records /usr/lib/x86_64-linux-gnu/odbc/libvelantoxls.so; do
        if in_root ldd "$file" | grep 'not found'; then missing=1; fi
    done
    return $missing
}
writes_workbook() {  # an ODBC client, isql, writes a workbook through the registered driver
    local sql="CREATE TABLE velanto ( ID TEXT, RLU TEXT )
INSERT INTO velanto ( ID, RLU ) VALUES( '321', '1 520' )"
    in_root isql -k -b -e "DRIVER={$driver};CREATE_DB=/tmp/by-isql.xls;DBQ=/tmp/by-isql.xls" \
        <<< "$sql" > /dev/null &&
        cmp -s <(/usr/bin/python3 "$here/../workbook_rows.py" "$root/tmp/by-isql.xls") \
            <(printf '\fvelanto\nID\tRLU\n321\t1 520\n')
}
tools_run() {  # the stand-in's image tool makes and reads an image
    in_root velanto-dump generate --records 5 -o /tmp/image.bin &&
        [ "$(in_root velanto-dump decode /tmp/image.bin | wc -l)" -eq 5 ]
}
records_run() {  # velanto-records tells its usage, and keeps the image's five records once
    in_root velanto-records --help > /dev/null &&
        in_root velanto-records --database /tmp/records.sqlite import /tmp/image.bin /tmp/image.bin |
        cmp -s - <(printf '/tmp/image.bin: 5 new, 0 already kept\n/tmp/image.bin: 0 new, 5 already kept\n')
}
no_trace_left() {  # no file named after velanto, and no configuration naming it
    local left
    left=$(find "$root" -xdev -name '*velanto*' -not -path "$root/tmp/*" \
        -not -path "$root/var/lib/dpkg/*" -not -path "$root/var/cache/*" -not -path "$root/var/log/*")
    left+=$(grep -rlF velanto "$root/etc" "$root/usr/share/applications" 2>/dev/null)
    [ -z "$left" ] || { echo "left behind: $left"; return 1; }
}

install_seconds=$(seconds_of in_root apt-get install -y -q "$installed")
check "apt-get installs the package with what it depends on" [ -n "$install_seconds" ]
check "the driver is registered once" registered_once
check "every library the programs need is installed" libraries_found
for entry in velanto velanto-records; do
    check "the desktop entry $entry.desktop is valid" \
        desktop-file-validate "$root/usr/share/applications/$entry.desktop"
done
for description in org.velanto.velanto org.velanto.records; do
    check "the AppStream description $description is installed and valid" \
        appstreamcli validate --no-net "$root/usr/share/metainfo/$description.metainfo.xml"
done
check "isql writes a workbook through the driver" writes_workbook
check "velanto-dump runs" tools_run
check "velanto-records runs" records_run

check "a reinstallation keeps one registration" in_root apt-get install -y -q --reinstall "$installed" > /dev/null
check "  (after the reinstallation)" registered_once
# The same package under a later version: dpkg runs the upgrade's maintainer scripts.
version=$(dpkg-deb -f "$package" Version)
dpkg-deb -R "$package" "$work/later"
sed -i "s/^Version: .*/Version: $version+1/" "$work/later/DEBIAN/control"
dpkg-deb --root-owner-group -b "$work/later" "$root/tmp/later.deb" > /dev/null
check "an upgrade keeps one registration" in_root apt-get install -y -q /tmp/later.deb > /dev/null
check "  (after the upgrade)" registered_once

purge_seconds=$(seconds_of in_root apt-get purge -y -q velanto)
check "apt-get purges the package" [ -n "$purge_seconds" ]
check "the purge unregisters the driver" [ "$(registrations)" = 0x0 ]
check "the purge leaves no trace" no_trace_left

echo "package $(du -k "$package" | cut -f 1) KiB; install ${install_seconds}s, purge ${purge_seconds}s in the throwaway root"
finish "the package in a throwaway root"
