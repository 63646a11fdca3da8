#!/usr/bin/env bash
# Runs a Qt Test program for CTest (the program and its arguments follow, e.g. xvfb-run ... tst_x)
# and tells CTest when it left cases out. Qt Test ends a run whose cases passed or were skipped
# (QSKIP) with 0, which CTest would count as passed: a run that printed a "SKIP   :" line and failed
# nothing ends here with 77 instead, the tests' SKIP_RETURN_CODE, and CTest reports it as skipped.
# A failure keeps the program's own exit code, skips or not.
#
# Not counted: skips whose reason begins with "not on this back end:", the rows of a test run on
# both database back ends that have nothing to run on one of them (SKIP_ON_THIS_BACKEND in
# tests/common/Fixture.h).
set -uo pipefail
output=$(mktemp "${TMPDIR:-/tmp}/qtest-output.XXXXXX") || exit 1
trap 'rm -f "$output"' EXIT
"$@" 2>&1 | tee "$output"
status=${PIPESTATUS[0]}
if [ "$status" -eq 0 ] && grep -a '^SKIP   : ' "$output" | grep -qav 'not on this back end:'; then
    echo "run-qtest: cases were skipped (SKIP lines above); CTest counts this test as skipped"
    exit 77
fi
exit "$status"
