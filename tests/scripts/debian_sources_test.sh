#!/usr/bin/env bash
# The source entries that the Windows build's private apt derives from the machine's: every
# binary entry, one-line or deb822, becomes a deb-src one with its options and fields kept;
# comments, source-only and disabled-by-comment entries add nothing.
set -u
source "$(dirname "$0")/../check.sh"
apt_dir=$work/private
source "$(dirname "$0")/../../scripts/debian-sources.sh"

machine=$work/etc
mkdir -p "$machine/sources.list.d"
cat >"$machine/sources.list" <<'END'
# deb http://old.example/debian buster main
deb [signed-by=/k.gpg] http://a.example/debian bookworm main
deb-src http://a.example/debian bookworm main
END
echo "  deb http://c.example/debian bookworm contrib" >"$machine/sources.list.d/extra.list"
cat >"$machine/sources.list.d/debian.sources" <<'END'
# the machine's archives

Types: deb
URIs: http://d.example/debian
Suites: bookworm bookworm-updates

Types: deb-src
URIs: http://e.example/debian

Types: deb-src deb
Enabled: no
URIs: http://f.example/debian
END

derive_source_entries "$machine" "$apt_dir"
check "one-line entries become deb-src ones" diff - "$apt_dir/sources.list" <<'END'
deb-src [signed-by=/k.gpg] http://a.example/debian bookworm main
deb-src http://c.example/debian bookworm contrib
END
check "deb822 stanzas with binaries become source stanzas" \
    diff - "$apt_dir/sources.list.d/debian.sources" <<'END'
Types: deb-src
URIs: http://d.example/debian
Suites: bookworm bookworm-updates

Types: deb-src
Enabled: no
URIs: http://f.example/debian

END
finish "debian source entries"
