#!/bin/sh
# Times a fixed set of searches on the bundled catalogue and prints one line per search: the
# chains examined, the compose calls, the results, the wall time and the peak memory. The counts
# come from the program itself (TRELKAN_STATS), so its own output stays as it is.
#
# Usage: bench/searches.sh [trelkan-binary]     (default: build/release/trelkan)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
binary=${1:-$root/build/release/trelkan}
[ -x "$binary" ] || { echo "No trelkan at $binary: build it first (./trelkan.sh -h)" >&2; exit 1; }
cd "$root"

printf '%-44s %10s %10s %8s %9s %10s\n' search chains compose results seconds "peak kB"
run() {
    stats=$(mktemp)
    start=$(date +%s.%N)
    TRELKAN_STATS=1 "$binary" "$@" >/dev/null 2>"$stats"
    end=$(date +%s.%N)
    line=$(grep '^statistics:' "$stats" || true)
    rm -f "$stats"
    chains=$(echo "$line" | sed -n 's/.*chains \([0-9]*\).*/\1/p')
    compose=$(echo "$line" | sed -n 's/.*compose \([0-9]*\).*/\1/p')
    results=$(echo "$line" | sed -n 's/.*results \([0-9]*\).*/\1/p')
    peak=$(echo "$line" | sed -n 's/.*peak memory \([0-9-]*\) kB.*/\1/p')
    seconds=$(echo "$end - $start" | awk '{ split($0, a, " - "); printf "%.2f", a[1] - a[2] }')
    printf '%-44s %10s %10s %8s %9s %10s\n' "$*" "$chains" "$compose" "$results" "$seconds" "$peak"
}

run -p 448 -u 448
run -p 800 -u 800
run -p 800 -u 800 -s
run -p 800 -u 800 -x 20000
run -p 900 -u 900
run -p 1000 -u 1000 -s -n 3
run -p 448 -d 72 -5 233 F -l 200 -u 700
run -p 448 -d 72 -5 233 F -l 200 -u 700 -s -x 5000
run -p 1100 -u 1100 -s
