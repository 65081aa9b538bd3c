#!/bin/sh
# Writes seeds for the definition file fuzzer from a catalogue: for every tenth component,
# a definition file with that component and two of its variants, pair lines (of each form in
# every other seed) and a sequence, followed by the variants' maps, each after a line "%%" and named m1.rle, m2.rle, ...
#   definitionfile_seeds.sh <catalogue directory> <seed directory>
set -eu
data=$1
seeds=$2
mkdir -p "$seeds"
cd "$data/.."
awk -v seeds="$seeds" '
    function flush(   file, i) {
        if (component == "") return
        file = seeds "/" name ".seed"
        printf "[Components]\n%s\n%s[Pairs]\n%s+%s\n%s-%s\n", component, variants, first, last,
            last, first > file
        # Every other seed leaves its variants nothing to link to, the rest keep them.
        if (++made % 2 == 0) printf "*%s\n%s*\n", first, last > file
        printf "[Sequences]\n%s %s %s\n", name, name, name > file
        for (i = 1; i <= count; ++i) {
            printf "%%%%\n" > file
            while ((getline line < maps[i]) > 0) print line > file
            close(maps[i])
        }
        close(file)
        component = ""
    }
    /^\[Pairs\]/ { flush(); exit }
    /^[A-Za-z]/ {
        flush()
        if (components++ % 10 != 0) next
        component = $0; name = $1; variants = ""; count = 0; taken = 0
        next
    }
    /^[ \t]/ && component != "" && taken < 2 {
        maps[++count] = $6; $6 = "m" count ".rle"
        maps[++count] = $9; $9 = "m" count ".rle"
        variants = variants " " $0 "\n"
        if (++taken == 1) first = $1
        last = $1
    }
' "$data/data.ini"
