#!/usr/bin/env bash
# The installed files as the desktop and its tools read them: `cmake --install` into a temporary
# prefix, then the menu entry (desktop-file-validate), the AppStream metadata (appstreamcli), the
# manual pages (man, with warnings on), the icons at their sizes, and what the installed programs
# say of themselves, without a display.
#   check_installed.sh BUILD_DIR VERSION
set -uo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

cmake --install "$build" --prefix "$prefix" > "$work/install.log" || { cat "$work/install.log"; exit 1; }

desktop-file-validate "$prefix/share/applications/textbook.desktop" || fail "desktop-file-validate"
metainfo=("$prefix"/share/metainfo/*.metainfo.xml)
[ ${#metainfo[@]} -eq 1 ] && [ -f "${metainfo[0]}" ] || fail "not one metainfo file: ${metainfo[*]}"
appstreamcli validate --no-net "${metainfo[0]}" || fail "appstreamcli validate"

for page in textbook coursedb; do
    file=$prefix/share/man/man1/$page.1.gz
    LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -l "$file" > "$work/$page.txt" 2> "$work/$page.err"
    [ -s "$work/$page.err" ] && { cat "$work/$page.err" >&2; fail "man warns about $page.1"; }
    grep -q "^NAME" "$work/$page.txt" || fail "$page.1 renders no NAME section"
done

# Each icon is a PNG of its folder's size (the width and height of its IHDR chunk).
for size in 16 24 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/textbook.png
    read -r width height < <(od -An -tu1 -j16 -N8 "$icon" 2> /dev/null |
        awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
    [ "${width:-0}x${height:-0}" = "${size}x${size}" ] || fail "$icon is ${width:-?}x${height:-?}, not ${size}x${size}"
done

# Neither needs a display to say its version or what it reads.
export -n DISPLAY WAYLAND_DISPLAY
[ "$("$prefix/bin/textbook" --version)" = "textbook $version" ] || fail "textbook --version"
[ "$("$prefix/bin/coursedb" --version)" = "coursedb $version" ] || fail "coursedb --version"
"$prefix/bin/textbook" --help > "$work/help.txt" || fail "textbook --help exits with $?"
for said in "working directory" "Base/test.db" "TEXTBOOK_DATABASE" "--demo"; do
    grep -qF -- "$said" "$work/help.txt" || fail "textbook --help does not say $said"
done

[ $failed -eq 0 ] && echo "The installed files are in order."
exit $failed
