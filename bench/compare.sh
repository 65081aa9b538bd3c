#!/bin/sh
# Compares the working tree with an older commit on the same searches: builds the commit beside
# the working tree (in build/compare/), then runs both, interleaved, on the catalogue in data/,
# and prints per search the user CPU seconds and peak memory of each, their ratios, and whether
# the two standard outputs are identical. The medians of the repeats are compared.
#
# Usage: bench/compare.sh [-r repeats] [-l seconds] <commit> [search ...]
#   -r  runs of each program per search (default 3)
#   -l  CPU seconds after which a run is stopped and shown as ">N" (default none)
#   Each search is one quoted argument list, e.g. "-p 1100 -u 1100 -s -m"; by default those of
#   the speed goals are run.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
repeats=3
limit=
while getopts r:l: option; do
    case $option in
    r) repeats=$OPTARG ;;
    l) limit=$OPTARG ;;
    *) sed -n '8,12p' "$0" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[ $# -ge 1 ] || { sed -n '8,12p' "$0" >&2; exit 2; }
commit=$(git -C "$root" rev-parse --short "$1")
shift
[ $# -ge 1 ] || set -- "-p 1000 -u 1000 -s" "-p 1100 -u 1100 -s" "-p 1200 -u 1200 -s" \
    "-p 1100 -u 1100 -s -m" "-p 1300 -u 1300 -s -m" "-p 1400 -u 1400 -s -m"

. "$root/tools/packages.sh"
ensure_packages cmake g++ make time
older=$root/build/compare/$commit
if [ ! -x "$older/build/trelkan" ]; then
    rm -rf "$older/src"
    mkdir -p "$older"
    git -C "$root" archive --prefix=src/ "$commit" | tar -x -C "$older"
    echo "building $commit in $older" >&2
    (root=$older/src && build_quietly "$older/build" -DCMAKE_BUILD_TYPE=Release \
        -DTRELKAN_TESTS=OFF -DTRELKAN_BENCHMARKS=OFF)
fi
echo "building the working tree in build/release" >&2
build_quietly "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DTRELKAN_TESTS=OFF

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$root"
# measure <name> <binary> <search>: appends "user-seconds peak-kB" to $work/<name>.times and
# keeps the standard output in $work/<name>.out; a run stopped at the limit counts as the limit
# and leaves $work/<name>.stopped (beside the output, which may end in the middle of a line).
measure() {
    # shellcheck disable=SC2086 # the search is split into its words on purpose
    /usr/bin/time -f "%U %S %M" -o "$work/time" \
        sh -c "${limit:+ulimit -t $limit;} exec \"\$0\" \"\$@\"" "$2" $3 \
        >"$work/$1.out" 2>/dev/null || true
    # A run stopped at the limit ends by a signal, which time reports on a line of its own, or
    # at least used up its CPU time.
    if grep -q 'terminated by signal' "$work/time" ||
        tail -n 1 "$work/time" | awk -v limit="${limit:-0}" \
            '{ exit !(limit > 0 && $1 + $2 >= limit - 0.05) }'; then
        : >"$work/$1.stopped"
    fi
    tail -n 1 "$work/time" | awk '{ print $1, $3 }' >>"$work/$1.times"
}
median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
printf '%-28s %9s %9s %7s %9s %9s %7s %s\n' search "old s" "new s" speedup "old MB" "new MB" \
    memory output
for search in "$@"; do
    rm -f "$work"/*.times "$work"/*.stopped
    same=identical
    i=0
    while [ $i -lt "$repeats" ]; do
        measure old "$older/build/trelkan" "$search"
        measure new "$root/build/release/trelkan" "$search"
        cmp -s "$work/old.out" "$work/new.out" || same=DIFFERENT
        i=$((i + 1))
    done
    old_s=$(cut -d' ' -f1 "$work/old.times" | median)
    new_s=$(cut -d' ' -f1 "$work/new.times" | median)
    old_kb=$(cut -d' ' -f2 "$work/old.times" | median)
    new_kb=$(cut -d' ' -f2 "$work/new.times" | median)
    [ -e "$work/old.stopped" ] && old_s=">$old_s" && same="not comparable (old stopped)"
    [ -e "$work/new.stopped" ] && new_s=">$new_s" && same="not comparable (new stopped)"
    echo "$search|$old_s|$new_s|$old_kb|$new_kb|$same" | awk -F'|' '{
        o = $2; n = $3; sub(/>/, "", o); sub(/>/, "", n)
        printf "%-28s %9s %9s %7s %9.1f %9.1f %7s %s\n", $1, $2, $3,
            (n > 0 ? sprintf("%.2fx", o / n) : "-"), $4 / 1024, $5 / 1024,
            ($4 > 0 ? sprintf("%.2fx", $5 / $4) : "-"), $6 }'
done
