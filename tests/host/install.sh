#!/bin/bash
# The staged install a packager makes:
#   install.sh CMAKE BUILD_DIR WORK_DIR SOURCE_DIR
# installs the build into WORK_DIR/stage/usr, checks that every file is in
# its standard place (the icons at their sizes), validates the desktop entry
# and the AppStream metainfo with the standard validators, compares the man
# page with --help, and starts the installed game headless from there, and
# again after the whole tree was moved: it must find its Data.lib relative
# to its own executable. Exit 77: a validator is missing (skipped).
set -euo pipefail
cmake=$1
build=$2
work=$3
source=$4
for tool in desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$tool is not installed (scripts/install-deps installs it): skipped"
        exit 77
    fi
done
rm -rf "$work"
mkdir -p "$work/empty" "$work/elsewhere"
prefix=$work/stage/usr
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
app=org.brettspalt.Brettspalt
for f in bin/brettspalt share/brettspalt/Data.lib share/applications/$app.desktop \
    share/metainfo/$app.metainfo.xml share/man/man6/brettspalt.6; do
    [ -s "$prefix/$f" ] || fail "$f was not installed"
done
[ -x "$prefix/bin/brettspalt" ] || fail "bin/brettspalt is not executable"

# Each icon is a PNG of the size its folder names (width and height are the
# big-endian words at bytes 16 and 20).
for n in 16 22 24 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${n}x${n}/apps/brettspalt.png
    if [ ! -s "$icon" ]; then
        fail "no ${n} px icon"
        continue
    fi
    size=$(od -An -tu1 -j16 -N8 "$icon" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
    [ "$size" = "${n}x${n}" ] || fail "the ${n} px icon is $size"
done

desktop-file-validate "$prefix/share/applications/$app.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$app.metainfo.xml" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log" >&2; fail "appstreamcli validate"; }
icon_name=$(awk -F= '$1 == "Icon" { print $2 }' "$prefix/share/applications/$app.desktop")
[ -f "$prefix/share/icons/hicolor/48x48/apps/$icon_name.png" ] ||
    fail "the desktop entry's icon $icon_name is not installed"
exec_name=$(awk -F= '$1 == "Exec" { print $2 }' "$prefix/share/applications/$app.desktop" | cut -d' ' -f1)
[ -x "$prefix/bin/$exec_name" ] || fail "the desktop entry starts $exec_name, which is not installed"

# The man page says what --help says: every option of one is in the other.
game=$prefix/bin/brettspalt
help_options=$("$game" --help | grep -o -- '--[a-z-]*' | sort -u)
man_options=$(sed 's/\\-/-/g' "$prefix/share/man/man6/brettspalt.6" | grep -o -- '--[a-z-]*' | sort -u)
[ "$help_options" = "$man_options" ] ||
    fail "the man page (desktop/brettspalt.6) and --help name different options, add them to both: $(diff <(echo "$help_options") <(echo "$man_options") | grep '^[<>]' | tr '\n' ' ')"

"$game" --version | grep -q '^brettspalt 1\.04$' || fail "--version"
status=0
"$game" --no-such-option >/dev/null 2>"$work/wrong.err" || status=$?
[ "$status" -eq 2 ] && grep -q "unknown option --no-such-option" "$work/wrong.err" ||
    fail "a wrong option gives status $status and: $(cat "$work/wrong.err" | head -1)"

# Started from elsewhere, with no data folder the desktop would name.
run_installed() {
    (cd "$work/elsewhere" &&
        XDG_DATA_DIRS="$work/empty" XDG_DATA_HOME="$work/share" XDG_CONFIG_HOME="$work/config" \
            "$1" --headless --seed 3 --frames 120)
}
first=$(run_installed "$game") || fail "the installed game did not start headless"
echo "$first" | tail -n 1
mv "$work/stage" "$work/moved"
second=$(run_installed "$work/moved/usr/bin/brettspalt") ||
    fail "the installed game did not start from its moved folder"
[ "$first" = "$second" ] || fail "the moved game ran differently"

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "ok: staged install"
