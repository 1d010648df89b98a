#!/usr/bin/env bash
# How CTest starts a Windows test program: under Wine. Now and then wine64 ends at once with an error
# and the program never starts (it has not even printed its first line). Only such a start is tried
# again, at most twice, and said on stderr; a program that did start is never run a second time, so an
# intermittent fault of ours still fails its test.
set -u
wine=$1
shift
out=$(mktemp)
trap 'rm -f "$out"' EXIT
rc=1
for attempt in 1 2 3; do
    "$wine" "$@" | tee "$out"
    rc=${PIPESTATUS[0]}
    if [ "$rc" -eq 0 ] || [ -s "$out" ]; then
        exit "$rc"
    fi
    echo "wine-run: $(basename "$1") ended with $rc before it printed anything (start $attempt of 3)" >&2
done
exit "$rc"
