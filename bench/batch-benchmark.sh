#!/bin/sh
# End-to-end timing of kestral-batch: 200 generated sections, run three times
# with -j 1 and three times with -j 2; prints the best time of each, sections
# per second and the speed-up. The times are kestral-batch's own summary
# (from the start of the first folder to the end of the last), so process
# start-up is left out. Every run starts from folders without a report, as a
# first run in new folders does: rewriting an existing report costs more on
# some file systems (ext4 starts writing a file back when it is closed after
# being truncated), and would favour whichever runs come first. The tables
# of -j 1 and -j 2 must be identical.
#
#   bench/batch-benchmark.sh [KESTRAL_BATCH]   (default build/release/driver/kestral-batch)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
exe=${1:-$here/../build/release/driver/kestral-batch}
sections=200
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

"$here/make-sections.sh" "$work/sections" "$sections"

best() {  # best time of three runs with -j $1; keeps the table as $work/j$1.csv
  for try in 1 2 3; do
    rm -f "$work"/sections/*/KESTRAL.out
    "$exe" -j "$1" --csv "$work/j$1.csv" "$work"/sections/* 2> "$work/errors" ||
      { cat "$work/errors" >&2; exit 1; }
    awk '/^kestral-batch: / { print $(NF - 1) }' "$work/errors"
  done | sort -n | head -n 1
}
t1=$(best 1)
t2=$(best 2)
[ -n "$t1" ] && [ -n "$t2" ] || { echo "kestral-batch failed" >&2; exit 1; }
cmp -s "$work/j1.csv" "$work/j2.csv" || { echo "tables of -j 1 and -j 2 differ" >&2; exit 1; }
awk -v n="$sections" -v t1="$t1" -v t2="$t2" -v rows="$(($(wc -l < "$work/j1.csv") - 1))" 'BEGIN {
  printf "%d sections, %d result rows, best of 3 runs each\n", n, rows
  printf "-j 1: %6.2f s  %7.1f sections/s\n", t1, n / t1
  printf "-j 2: %6.2f s  %7.1f sections/s\n", t2, n / t2
  printf "speed-up: %.2f\n", t1 / t2
}'
