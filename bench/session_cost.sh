#!/usr/bin/env bash
# What one scripted session costs: the instructions that valgrind's callgrind
# counts for a three-line session ("1", "2", "q") of the static program and of
# the default build's, and for /bin/true, which does nothing, for scale.
# Counts rather than times, so the figures do not move with the machine's
# load. Fails when the static session costs more than 1.25 times /bin/true.
# Usage: bench/session_cost.sh [STATIC_PROGRAM [DEFAULT_PROGRAM]]
set -euo pipefail
programs=("${1:-build/static/vending}" "${2:-build/default/vending}" /bin/true)
counts=()
for program in "${programs[@]}"; do
    count=$(printf '1\n2\nq\n' | valgrind --tool=callgrind --callgrind-out-file=/dev/null "$program" 2>&1 >/dev/null |
        sed -n 's/^==[0-9]*== Collected : \([0-9]*\)$/\1/p') || true
    [ -n "$count" ] || { echo "callgrind counted nothing for $program" >&2; exit 1; }
    counts+=("$count")
done
echo "Instructions of a session ('1', '2', 'q'), counted by callgrind:"
for i in 0 1 2; do
    awk -v name="${programs[i]}" -v count="${counts[i]}" -v base="${counts[2]}" \
        'BEGIN { printf "  %-24s %10d  %5.2f times /bin/true\n", name, count, count / base }'
done
((counts[0] * 4 <= counts[2] * 5)) || { echo "the static session costs more than 1.25 times /bin/true" >&2; exit 1; }
