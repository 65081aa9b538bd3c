#!/bin/sh
# Builds trelkan and runs every test twice: in an optimised build with warnings as errors, and
# under AddressSanitizer and UndefinedBehaviorSanitizer; runs the tests of the parallel search under
# ThreadSanitizer; then fuzzes every input of the program.
set -eu
root=$(cd "$(dirname "$0")" && pwd)
. "$root/tools/packages.sh"
ensure_packages cmake g++ make libgtest-dev clang "$(clang_runtime_package)"
offer_packages golly parallel  # bgolly, for the cross-check of the Life engine; GNU parallel
                              # for the sharded run's script
jobs=$(nproc 2>/dev/null || echo 2)
# The checking builds keep line tables only: enough for the sanitizers' stack traces, and quicker
# to compile than full debug information.
debug_flags="-g1 -O1"

echo "== optimised build, warnings as errors"
build_quietly "$root/build/check" -DCMAKE_BUILD_TYPE=Release -DTRELKAN_WERROR=ON
ctest --test-dir "$root/build/check" -j "$jobs" --output-on-failure --timeout 600

echo "== AddressSanitizer and UndefinedBehaviorSanitizer"
build_quietly "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="$debug_flags" -DTRELKAN_WERROR=ON -DTRELKAN_SANITIZE=ON \
    -DTRELKAN_BENCHMARKS=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$root/build/sanitize" -j "$jobs" --output-on-failure --timeout 900
echo "== ThreadSanitizer: the parallel search, its stops, its shards, its map and its progress"
build_target_quietly "$root/build/tsan" "trelkan trelkan-verify trelkan_tests trelkan_e2e" \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="$debug_flags" -DTRELKAN_WERROR=ON \
    -DTRELKAN_TSAN=ON -DTRELKAN_BENCHMARKS=OFF
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir "$root/build/tsan" -j "$jobs" --output-on-failure \
    --timeout 900 \
    -R "ParallelSearchTest|SearchMapTest|Searches/ParallelSearch|ShardMerge|Interrupt\.|StopSignals.*false|Searches/Progress\."
echo "== fuzzing every input: target scripts, definition files, RLE images, command lines"
build_target_quietly "$root/build/fuzz" "trelkan_targetscript_fuzz trelkan_definitionfile_fuzz \
    trelkan_rle_fuzz trelkan_commandline_fuzz" -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="$debug_flags" -DTRELKAN_FUZZ=ON \
    -DTRELKAN_TESTS=OFF -DTRELKAN_BENCHMARKS=OFF
# New inputs go to a scratch directory, as do the files the targets write; the seeds stay as they
# are. A failing input is saved in build/fuzz/ and ends the run.
found=$(mktemp -d)
trap 'rm -rf "$found"' EXIT
"$root/tests/catalogue/definitionfile_seeds.sh" "$root/data" "$found/definition-seeds"
# fuzz <name> <seed directory> [<dictionary>]: runs one target for its share of the time. An input
# that runs for 300 s is taken for a hang: far beyond what any input costs, also on a machine so
# busy that the fuzzer gets a tenth of a core (a target script of 241822 targets costs 3.5 s of
# CPU under the sanitizers, and once took 41 s there).
fuzz() {
    mkdir "$found/$1"
    if ! TMPDIR="$found" "$root/build/fuzz/trelkan_$1_fuzz" \
        -max_total_time="${TRELKAN_FUZZ_SECONDS:-30}" ${3:+-dict="$3"} -timeout=300 \
        -rss_limit_mb=4096 -close_fd_mask=3 -print_final_stats=1 \
        -artifact_prefix="$root/build/fuzz/$1-" "$found/$1" "$2" >"$found/$1.log" 2>&1; then
        grep -v "^#" "$found/$1.log" | tail -40 >&2
        echo "The $1 fuzzer found a failing input: see build/fuzz/" >&2
        exit 1
    fi
    echo "$1: $(grep -E "^(Done|stat::new_units_added)" "$found/$1.log" | tr -s ' \n' ' ')"
}
fuzz targetscript "$root/tests/run/targetscript_corpus" "$root/tests/run/targetscript.dict"
fuzz definitionfile "$found/definition-seeds"
fuzz rle "$root/data/conduits"
fuzz commandline "$root/tests/run/commandline_corpus" "$root/tests/run/commandline.dict"
echo "== all tests passed"
