#!/bin/sh
# Times a fixed set of searches on the bundled catalogue in both search modes and prints, per
# search and mode, the chains examined, the compose calls, the results, the wall time and the peak
# memory; for the search-map mode also the map's states, the most in one generation and the
# kilobytes of the blocks that hold them. The counts come from the program itself
# (TRELKAN_STATS), so its own output stays as it is.
#
# Usage: bench/searches.sh [trelkan-binary]     (default: build/release/trelkan)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
binary=${1:-$root/build/release/trelkan}
[ -x "$binary" ] || { echo "No trelkan at $binary: build it first (./trelkan.sh -h)" >&2; exit 1; }
cd "$root"

printf '%-44s %-4s %9s %8s %7s %8s %9s %10s %10s %8s %9s\n' search mode chains compose results \
    seconds "peak kB" "map grown" "map kept" "most/gen" "map kB"
field() {
    echo "$1" | sed -n "s/.*$2 \([0-9-]*\).*/\1/p"
}
measure() {
    mode=$1
    shift
    stats=$(mktemp)
    start=$(date +%s.%N)
    TRELKAN_STATS=1 "$binary" "$@" >/dev/null 2>"$stats"
    end=$(date +%s.%N)
    line=$(grep '^statistics:' "$stats" || true)
    rm -f "$stats"
    seconds=$(echo "$end $start" | awk '{ printf "%.2f", $1 - $2 }')
    grown=$(echo "$line" | sed -n 's/.*map states \([0-9]*\) grown.*/\1/p')
    kept=$(echo "$line" | sed -n 's/.*grown, \([0-9]*\) kept.*/\1/p')
    most=$(echo "$line" | sed -n 's/.*at most \([0-9]*\) in a generation.*/\1/p')
    map_kb=$(echo "$line" | sed -n 's/.*, \([0-9]*\) kB of blocks.*/\1/p')
    printf '%-44s %-4s %9s %8s %7s %8s %9s %10s %10s %8s %9s\n' "$search" "$mode" \
        "$(field "$line" chains)" "$(field "$line" compose)" "$(field "$line" results)" \
        "$seconds" "$(field "$line" "peak memory")" "${grown:--}" "${kept:--}" "${most:--}" \
        "${map_kb:--}"
}
run() {
    search="$*"
    measure sets "$@"
    measure map "$@" -m
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
