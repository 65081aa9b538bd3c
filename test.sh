#!/bin/sh
# Builds trelkan and runs every test twice: in an optimised build with warnings as errors, and
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -eu
root=$(cd "$(dirname "$0")" && pwd)
. "$root/tools/packages.sh"
ensure_packages cmake g++ make libgtest-dev
offer_packages golly  # bgolly, for the cross-check of the Life engine
jobs=$(nproc 2>/dev/null || echo 2)

echo "== optimised build, warnings as errors"
build_quietly "$root/build/check" -DCMAKE_BUILD_TYPE=Release -DTRELKAN_WERROR=ON
ctest --test-dir "$root/build/check" -j "$jobs" --output-on-failure --timeout 600

echo "== AddressSanitizer and UndefinedBehaviorSanitizer"
build_quietly "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
    -DTRELKAN_WERROR=ON -DTRELKAN_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$root/build/sanitize" -j "$jobs" --output-on-failure --timeout 900
echo "== all tests passed"
