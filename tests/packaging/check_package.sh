#!/usr/bin/env bash
# The Debian package as cpack makes it from this build: its name, its dependencies (the libraries
# dpkg-shlibdeps finds, the plugins and fonts the program loads at run time), its files (the
# program, the tool, the course, the menu entry, the icon; nothing of the build tree) and lintian's
# verdict (no errors; its other tags are printed).
#   check_package.sh BUILD_DIR SOURCE_DIR VERSION
set -uo pipefail
build=$1
source=$2
version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" > "$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
deb=$work/out/textbook_${version}_amd64.deb
[ -f "$deb" ] || { ls -R "$work/out"; echo "FAIL: no $deb" >&2; exit 1; }
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
echo "Recommends: $(dpkg-deb -f "$deb" Recommends)"
echo "Installed-Size: $(dpkg-deb -f "$deb" Installed-Size) KiB"
for needed in libc6 libqt6webenginewidgets6 libqt6sql6 libjpeg62-turbo libmdb3 \
    libqt6sql6-sqlite libqt6sql6-psql libqt6webenginecore6-bin \
    fonts-dejavu-core fonts-dejavu-extra fonts-liberation fonts-wine; do
    grep -qE "(^|, )$needed( |,|$)" <<< "$depends" || fail "Depends lacks $needed"
done

# Every file is one of these; the ones named exactly must be there.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^[^.]*\./, "."); print }' | sed 's/ -> .*//' | sort > "$work/files"
allowed='^\./usr/(bin/(textbook|coursedb)|share/textbook/course/(web|web_kz)/[^/]+\.htm|share/textbook/course/style\.css|share/textbook/course/video/[1-5]\.avi|share/textbook/course/Base/test\.db|share/applications/textbook\.desktop|share/icons/hicolor/[0-9]+x[0-9]+/apps/textbook\.png|share/metainfo/[a-z.]+\.metainfo\.xml|share/man/man1/(textbook|coursedb)\.1\.gz|share/doc/textbook/(copyright|changelog\.gz)|share/lintian/overrides/textbook)$'
grep -vE "$allowed" "$work/files" > "$work/unexpected" && { cat "$work/unexpected" >&2; fail "files that do not belong"; }
for file in ./usr/bin/textbook ./usr/bin/coursedb ./usr/share/textbook/course/Base/test.db \
    "./usr/share/textbook/course/web/1 Неделя.htm" ./usr/share/textbook/course/video/5.avi \
    ./usr/share/applications/textbook.desktop ./usr/share/icons/hicolor/48x48/apps/textbook.png \
    ./usr/share/man/man1/textbook.1.gz ./usr/share/doc/textbook/copyright; do
    grep -qxF "$file" "$work/files" || fail "no $file"
done

# No file names the folders it was built in.
dpkg-deb -x "$deb" "$work/root"
for tree in "$build" "$source"; do
    grep -rlF -- "$tree" "$work/root" && fail "files that name $tree"
done

# The package's database is the demo course's own, with none of the users this build's ./run or
# tests registered.
python3 - "$work/root/usr/share/textbook/course/Base/test.db" "$source/course/base/user1.csv" << 'PY' ||
import csv, sqlite3, sys
rows = sqlite3.connect(f"file:{sys.argv[1]}?mode=ro", uri=True).execute('SELECT "user" FROM user1 ORDER BY rowid').fetchall()
with open(sys.argv[2], encoding="utf-8-sig") as f:
    expected = [r["user"] for r in csv.DictReader(f)]
sys.exit(0 if [r[0] for r in rows] == expected else f"user1 holds {rows}, not {expected}")
PY
    fail "the packaged register is not the demo course's"

lintian --fail-on error --display-info "$deb" > "$work/lintian.txt" 2>&1
status=$?
echo "lintian:"
sed 's/^/  /' "$work/lintian.txt"
[ $status -eq 0 ] || fail "lintian reports errors (exit status $status)"

[ $failed -eq 0 ] && echo "The package is in order."
exit $failed
