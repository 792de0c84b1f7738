#!/usr/bin/env bash
# What a large catalogue costs a fresh process next to an empty one: the first page of the songs
# list (bench/firstpage.cpp: the opening algorithm, then 25 songs by artist), a command-line export
# of one field, and a command-line import of one song. Each is the median wall time of five runs,
# warm (files in the page cache) and, when this user may drop the page cache, cold.
# Usage: bench/opencost.sh [SONGS]   (default 1000000; that catalogue is made once, under /tmp)
# MELODEX and FIRSTPAGE may name the programs; otherwise a Release build is made in build-bench/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
songs=${1:-1000000}
build=${MELODEX_BENCH_BUILD_DIR:-$top/build-bench}
if [[ -z ${MELODEX:-} || -z ${FIRSTPAGE:-} ]]; then
    MELODEX_BUILD_DIR=$build MELODEX_BUILD_TYPE=Release \
        "$top/scripts/build.sh" -DMELODEX_TESTS=OFF -DMELODEX_BENCH=ON >/dev/null
fi
melodex=${MELODEX:-$build/src/melodex}
firstpage=${FIRSTPAGE:-$build/bench/firstpage}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
big=/tmp/melodex-opencost-$songs
if [[ ! -f $big/sgldata.db ]]; then
    echo "making a catalogue of $songs songs in $big (once)" >&2
    mkdir -p "$big"
    awk -v n="$songs" -f "$top/bench/gensongs.awk" >"$work/songs.csv"
    "$melodex" import "$work/songs.csv" --strip-header --data-dir "$big" >/dev/null 2>&1
    rm "$work/songs.csv"
fi
empty=$work/empty
mkdir "$empty"
"$firstpage" "$empty" >/dev/null # makes the empty files
printf '%s\n' 'MUS:Artist,MUS:Title,CAT:Category' '"Nina Simone","Sinnerman","Jazz"' >"$work/one.csv"

cold=0
if sync && { echo 3 >/proc/sys/vm/drop_caches; } 2>/dev/null; then
    cold=1
else
    echo "the page cache cannot be dropped here (needs root outside a container): warm only" >&2
fi

# Median wall seconds of five runs of a command; with "cold" first, the page cache is dropped
# before each run.
median() {
    local drop=0 TIMEFORMAT=%R times=()
    if [[ $1 == cold ]]; then drop=1; shift; fi
    for _ in 1 2 3 4 5; do
        ((drop)) && sync && echo 3 >/proc/sys/vm/drop_caches
        times+=("$({ time "$@" >/dev/null 2>&1; } 2>&1)")
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}

row() {
    local what=$1 mode=$2
    shift 2
    local a b
    if [[ $mode == cold ]]; then
        a=$(median cold "$@" "$empty") b=$(median cold "$@" "$big")
    else
        a=$(median "$@" "$empty") b=$(median "$@" "$big")
    fi
    awk -v w="$what" -v m="$mode" -v a="$a" -v b="$b" \
        'BEGIN { printf "%-22s %-5s %9.3fs %9.3fs %7.2f\n", w, m, a, b, b / a }'
}
firstpageIn() { "$firstpage" "$1"; }
exportIn() { "$melodex" export "$work/out.csv" --fields MUS:Title --data-dir "$1"; }
importIn() { "$melodex" import "$work/one.csv" --strip-header --data-dir "$1"; }

printf '%-22s %-5s %10s %10s %7s\n' work cache empty "$songs" ratio
for mode in warm cold; do
    [[ $mode == cold && $cold == 0 ]] && continue
    row "first page" $mode firstpageIn
    row "export of one field" $mode exportIn
    row "import of one song" $mode importIn
done
