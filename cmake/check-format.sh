#!/usr/bin/env bash
# The house style holds: clang-format 14 with the tree's .clang-format would change no C++ source.
# The files are those git knows (tracked, and new ones not ignored), so a file added after the build
# was configured is checked too; outside a git checkout, every *.cpp and *.h below the source root
# but the build folders.
#   check-format.sh SOURCE_DIR CLANG_FORMAT
# Exit 77 (skipped) where clang-format 14 is missing; in CI (CI set) that fails instead.
set -euo pipefail
top=$1
format=${2:-}

skip() {
    echo "format check skipped: $1"
    [ -n "${CI:-}" ] && exit 1
    exit 77
}
version=$("$format" --version 2>/dev/null) || skip "clang-format is not installed (Debian package clang-format)"
case "$version" in
    *"version 14."*) ;;
    *) skip "the style is that of clang-format 14; this is: $version" ;;
esac

cd "$top"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h'
else
    find . \( -path './build*' -o -path ./.git \) -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print0
fi | while IFS= read -r -d '' file; do
    # A file deleted in the work tree but not yet in git's index is gone.
    [ -f "$file" ] && printf '%s\0' "$file"
done | xargs -0 -r "$format" --dry-run --Werror
