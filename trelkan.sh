#!/bin/sh
# Builds trelkan if needed, then runs it from this directory on the catalogue in data/.
# Every argument goes to trelkan; output files named on the command line land here.
set -eu
root=$(cd "$(dirname "$0")" && pwd)
. "$root/tools/packages.sh"
ensure_packages cmake g++ make
build_quietly "$root/build/release" -DCMAKE_BUILD_TYPE=Release -DTRELKAN_TESTS=OFF
cd "$root"
exec "$root/build/release/trelkan" "$@"
