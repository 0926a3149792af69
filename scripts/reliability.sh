#!/bin/sh
# The long reliability run: the reliability tests with 300 random kills and
# 50 double starts (TONALBA_RANDOM_KILLS, TONALBA_DOUBLE_STARTS to change),
# then the table of every case and its result (also in build/reliability.md).
set -eu
cd "$(dirname "$0")/.."
export TONALBA_RANDOM_KILLS="${TONALBA_RANDOM_KILLS:-300}"
export TONALBA_DOUBLE_STARTS="${TONALBA_DOUBLE_STARTS:-50}"
log=build/reliability.log
table=build/reliability.md
status=0
ctest --test-dir build/test -L reliability -V > "$log" 2>&1 || status=$?
{
    echo "| case | result |"
    echo "|---|---|"
    sed -n \
        -e 's/^[0-9]*: \[       OK \] \([^ ]*\).*/| \1 | passed |/p' \
        -e 's/^[0-9]*: \[  FAILED  \] \([^ ,]*\) (.*/| \1 | FAILED |/p' \
        -e 's/^[0-9]*: PASS   : \(.*\)$/| \1 | passed |/p' \
        -e 's/^[0-9]*: FAIL!  : \([^(]*([^)]*)\) .*/| \1 | FAILED |/p' \
        -e 's/^[0-9]*: SKIP   : \([^(]*([^)]*)\) \(.*\)/| \1 | skipped: \2 |/p' \
        -e 's/^[0-9]*: ok   \([^:]*\): \(.*\)$/| diskfull: \1 | \2 |/p' \
        -e 's/^[0-9]*: FAIL \(.*\)$/| diskfull: \1 | FAILED |/p' \
        "$log" | grep -v 'initTestCase\|cleanupTestCase'
} > "$table"
cat "$table"
grep -E "tests passed|tests failed" "$log" || true
exit $status
