# Sourced by the scripts that build Debian's source packages: an apt of their own in the
# folder $apt_dir (set before sourcing), whose entries are the deb-src counterparts of the
# machine's, with lists and caches of its own; the machine's apt configuration stays as it is.
private_apt=(
    -o Dir::Etc::SourceList="$apt_dir/sources.list"
    -o Dir::Etc::SourceParts="$apt_dir/sources.list.d"
    -o Dir::State::Lists="$apt_dir/lists"
    -o Dir::Cache="$apt_dir/cache"
    -o APT::Sandbox::User="$(id -un)"
)

# Writes, for the apt configuration in folder $1, the deb-src entries of its deb entries into
# folder $2: one-line entries into sources.list, deb822 stanzas into sources.list.d/.
derive_source_entries() {
    local file one_line=(/dev/null)
    rm -rf "$2/sources.list.d"
    mkdir -p "$2/sources.list.d"
    shopt -s nullglob
    [ -f "$1/sources.list" ] && one_line+=("$1/sources.list")
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "${one_line[@]}" "$1"/sources.list.d/*.list \
        >"$2/sources.list"
    for file in "$1"/sources.list.d/*.sources; do
        awk 'BEGIN { RS = ""; FS = OFS = "\n"; ORS = "\n\n" }
             {
                 binary = 0
                 for (i = 1; i <= NF; i++)
                     if ($i ~ /^Types:/ && (" " substr($i, 7) " ") ~ /[ \t]deb[ \t]/) {
                         $i = "Types: deb-src"
                         binary = 1
                     }
                 if (binary) print
             }' "$file" >"$2/sources.list.d/${file##*/}"
    done
    shopt -u nullglob
}

update_source_lists() {
    derive_source_entries /etc/apt "$apt_dir"
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
    apt-get "${private_apt[@]}" update -qq
}

# The versions of source package $1 in the archives, newest first.
source_versions() {
    apt-cache "${private_apt[@]}" showsrc --only-source "$1" | awk '/^Version:/ { print $2 }' |
        sort -u | sort -rV
}

# Fetches source package $1 at version $2 and unpacks it into $3/source.
fetch_source() {
    mkdir -p "$3/download"
    (cd "$3/download" && apt-get "${private_apt[@]}" source --download-only -qq "$1=$2") &&
        dpkg-source --no-check -x "$3"/download/*.dsc "$3/source" >/dev/null
}
