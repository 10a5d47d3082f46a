#!/usr/bin/env bash
# Checks of the installed tree and the Debian package, one per first argument:
#   install DESTDIR         install the build under DESTDIR with the prefix /usr
#   files DESTDIR           the installed files and their modes
#   desktop DESTDIR         desktop entry and metainfo valid, and what they name installed
#   man DESTDIR             both manual pages render without a warning
#   batch-options DESTDIR   velmora-batch.1 describes exactly the options of --help
#   deb DESTDIR             the package: name, version, dependencies, same files as the install
# Environment: BUILD_DIR (the build tree), VERSION (the project's version).
set -euo pipefail

check=$1
root=$2
app=org.velmora.Velmora

fail() {
    printf '%s\n' "$@" >&2
    exit 1
}

# "-rwxr-xr-x usr/bin/velmora" for every file under the install root.
installed_files() {
    (cd "$root" && find usr -type f -printf "%M %p\n" | LC_ALL=C sort -k2)
}

# Long and short options in the option column of the "Options:" block of --help.
help_options() {
    "$root/usr/bin/velmora-batch" --help |
        sed -n '/^Options:$/,/^$/p' |
        sed -n 's/^ *\(-[^ ].*\)$/\1/p' |
        sed 's/  .*//' |
        grep -oE '(^|[ ,])--?[A-Za-z0-9][A-Za-z0-9-]*' | tr -d ' ,' | LC_ALL=C sort -u
}

# The options in the tag lines (the line after .TP) of the OPTIONS section.
man_options() {
    zcat "$root/usr/share/man/man1/velmora-batch.1.gz" |
        sed -n '/^\.SH OPTIONS/,/^\.SH /p' |
        sed -n '/^\.TP/{n;p}' |
        sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' |
        grep -oE '(^|[ ,])--?[A-Za-z0-9][A-Za-z0-9-]*' | tr -d ' ,' | LC_ALL=C sort -u
}

case $check in
install)
    rm -rf "$root"
    DESTDIR=$root cmake --install "$BUILD_DIR" --prefix /usr >/dev/null
    ;;

files)
    expected="-rwxr-xr-x usr/bin/velmora
-rwxr-xr-x usr/bin/velmora-batch
-rw-r--r-- usr/share/applications/$app.desktop
-rw-r--r-- usr/share/doc/velmora/LICENSE
-rw-r--r-- usr/share/doc/velmora/README.md
-rw-r--r-- usr/share/icons/hicolor/scalable/apps/$app.svg
-rw-r--r-- usr/share/man/man1/velmora-batch.1.gz
-rw-r--r-- usr/share/man/man1/velmora.1.gz
-rw-r--r-- usr/share/metainfo/$app.metainfo.xml"
    actual=$(installed_files)
    [[ $actual == "$expected" ]] ||
        fail "installed files differ from the expected list:" \
            "$(diff <(echo "$expected") <(echo "$actual") || true)"
    grep -q "GNU GENERAL PUBLIC LICENSE" "$root/usr/share/doc/velmora/LICENSE" ||
        fail "the installed LICENSE is not the GPL"
    ;;

desktop)
    entry=$root/usr/share/applications/$app.desktop
    metainfo=$root/usr/share/metainfo/$app.metainfo.xml
    # Education and Science are both main categories; the validator says so as a hint.
    problems=$(desktop-file-validate "$entry" | grep -v ': hint: ' || true)
    [[ -z $problems ]] || fail "desktop-file-validate: $problems"
    appstreamcli validate --no-net "$metainfo" >/dev/null ||
        fail "appstreamcli validate failed:" "$(appstreamcli validate --no-net "$metainfo" || true)"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    exe=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [[ -f $root/usr/share/icons/hicolor/scalable/apps/$icon.svg ]] ||
        fail "the desktop entry's icon '$icon' is not installed"
    [[ -x $root/usr/bin/$exe ]] || fail "the desktop entry starts '$exe', which is not installed"
    grep -q "<launchable type=\"desktop-id\">$app.desktop</launchable>" "$metainfo" ||
        fail "the metainfo does not launch $app.desktop"
    grep -q "<release version=\"$VERSION\"" "$metainfo" ||
        fail "the metainfo's release is not $VERSION"
    ;;

man)
    for page in velmora velmora-batch; do
        file=$root/usr/share/man/man1/$page.1.gz
        out=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
        [[ -z $out ]] || fail "man --warnings -l $page.1: $out"
        MANWIDTH=80 man -l "$file" 2>/dev/null | tail -n 1 | grep -q "^Velmora $VERSION " ||
            fail "the footer of $page.1 does not show Velmora $VERSION"
    done
    ;;

batch-options)
    [[ $("$root/usr/bin/velmora-batch" --version) == "velmora-batch $VERSION" ]] ||
        fail "velmora-batch --version does not show $VERSION"
    in_help=$(help_options)
    in_man=$(man_options)
    [[ -n $in_help ]] || fail "no options found in velmora-batch --help"
    undocumented=$(LC_ALL=C comm -23 <(echo "$in_help") <(echo "$in_man") | tr '\n' ' ')
    stale=$(LC_ALL=C comm -13 <(echo "$in_help") <(echo "$in_man") | tr '\n' ' ')
    [[ -z $undocumented ]] ||
        fail "velmora-batch --help lists options without an entry (.TP) in velmora-batch.1: $undocumented"
    [[ -z $stale ]] || fail "velmora-batch.1 describes options velmora-batch --help does not list: $stale"
    ;;

deb)
    out=$(mktemp -d)
    trap 'rm -rf "$out"' EXIT
    cpack -G DEB --config "$BUILD_DIR/CPackConfig.cmake" -B "$out" >/dev/null
    deb=$out/velmora_${VERSION}_$(dpkg --print-architecture).deb
    [[ -f $deb ]] || fail "no package $(basename "$deb"); found: $(ls "$out")"
    [[ $(dpkg-deb -f "$deb" Package Version) == $'Package: velmora\nVersion: '"$VERSION" ]] ||
        fail "package name or version wrong: $(dpkg-deb -f "$deb" Package Version)"
    depends=$(dpkg-deb -f "$deb" Depends)
    for lib in libqt6widgets6 libstdc++6; do
        [[ $depends == *"$lib ("* ]] || fail "Depends does not name $lib: $depends"
    done
    [[ $(dpkg-deb -f "$deb" Maintainer) == *" <"*@*">" ]] ||
        fail "no maintainer address: $(dpkg-deb -f "$deb" Maintainer)"
    in_deb=$(dpkg-deb -c "$deb" | awk '$1 ~ /^-/ { sub(/^\.\//, "", $6); print $1, $6 }' | LC_ALL=C sort -k2)
    [[ $in_deb == "$(installed_files)" ]] ||
        fail "the package's files differ from the install:" \
            "$(diff <(installed_files) <(echo "$in_deb") || true)"
    not_root=$(dpkg-deb -c "$deb" | awk '$2 != "root/root"')
    [[ -z $not_root ]] || fail "files not owned by root in the package: $not_root"
    ;;

*)
    fail "unknown check '$check'"
    ;;
esac
