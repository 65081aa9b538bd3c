#!/bin/sh
# Measures the parallel search: runs each search with one thread and with more, interleaved, on
# the catalogue in data/, and prints per search the median wall seconds of each, the speedup, the
# user CPU seconds of the parallel run, and whether the two standard outputs are identical.
#
# Usage: bench/threads.sh [-r repeats] [-j threads] [search ...]
#   -r  runs of each per search (default 3)
#   -j  threads of the parallel runs (default: every core)
#   Each search is one quoted argument list; by default those of the speed goals.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
repeats=3
threads=$(nproc 2>/dev/null || echo 2)
while getopts r:j: option; do
    case $option in
    r) repeats=$OPTARG ;;
    j) threads=$OPTARG ;;
    *) sed -n '6,9p' "$0" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[ $# -ge 1 ] || set -- "-p 1100 -u 1100 -s" "-p 1300 -u 1300 -s -m"

. "$root/tools/packages.sh"
ensure_packages cmake g++ make time
echo "building the working tree in build/release" >&2
build_quietly "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DTRELKAN_TESTS=OFF
binary=$root/build/release/trelkan

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$root"
# measure <name> <threads> <search>: appends "wall user" to $work/<name>.times.
measure() {
    # shellcheck disable=SC2086 # the search is split into its words on purpose
    /usr/bin/time -f "%e %U" -o "$work/time" "$binary" $3 -j "$2" >"$work/$1.out" 2>/dev/null
    tail -n 1 "$work/time" >>"$work/$1.times"
}
median() {
    sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

printf '%-28s %10s %10s %8s %10s %s\n' search "1 thread" "$threads threads" speedup "CPU $threads" output
for search in "$@"; do
    rm -f "$work"/*.times
    for _ in $(seq "$repeats"); do
        measure one 1 "$search"
        measure many "$threads" "$search"
    done
    one=$(cut -d' ' -f1 "$work/one.times" | median)
    many=$(cut -d' ' -f1 "$work/many.times" | median)
    cpu=$(cut -d' ' -f2 "$work/many.times" | median)
    same=identical
    cmp -s "$work/one.out" "$work/many.out" || same=DIFFERENT
    printf '%-28s %9.2fs %9.2fs %7.2fx %9.2fs %s\n' "$search" "$one" "$many" \
        "$(echo "$one $many" | awk '{ printf "%.2f", $1 / $2 }')" "$cpu" "$same"
done
