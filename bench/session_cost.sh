#!/usr/bin/env bash
# What one scripted session costs: the instructions that valgrind's callgrind
# counts for a three-line session ("1", "2", "q") of the static program and of
# the default build's, and for /bin/true, which does nothing, for scale.
# Counts rather than times, so the figures do not move with the machine's
# load. Fails when the static session costs more than 1.25 times /bin/true.
# Usage: bench/session_cost.sh [STATIC_PROGRAM [DEFAULT_PROGRAM]]
set -euo pipefail
static=${1:-build/static/vending}
default=${2:-build/default/vending}

instructions() {
    local count
    count=$(printf '1\n2\nq\n' | valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" 2>&1 >/dev/null |
        sed -n 's/^==[0-9]*== Collected : \([0-9]*\)$/\1/p')
    [ -n "$count" ] || { echo "callgrind counted nothing for $1" >&2; exit 1; }
    echo "$count"
}

baseline=$(instructions /bin/true)
static_count=$(instructions "$static")
default_count=$(instructions "$default")
echo "Instructions of a session ('1', '2', 'q'), counted by callgrind:"
row() { awk -v name="$1" -v count="$2" -v base="$baseline" \
    'BEGIN { printf "  %-24s %10d  %5.2f times /bin/true\n", name, count, count / base }'; }
row "$static" "$static_count"
row "$default" "$default_count"
row /bin/true "$baseline"

if ((static_count * 4 > baseline * 5)); then
    echo "the static session costs more than 1.25 times /bin/true" >&2
    exit 1
fi
