#!/usr/bin/env bash
# Times `melodex import` of generated songs against the import floor (bench/import_floor.sh: the
# sqlite3 shell importing the same file into a table with the same columns and keys in one
# transaction), and `melodex export` against the shell writing the same columns as CSV. The songs
# come from bench/gen_songs.py, whose keys arrive in random order as in most real files.
# For each size it prints the median of ROUNDS runs (default 3): wall and processor time of both
# and their ratios, the bytes each wrote to disk (/usr/bin/time's "File system outputs") against
# the final file's size, and the import's peak resident memory.
# Usage: bench/interchange.sh [LINES...]   (default: 100000 and 1000000)
# MELODEX may name the program to time; otherwise a Release build is made in build-bench/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
sizes=("$@")
[[ $# -eq 0 ]] && sizes=(100000 1000000)
rounds=${ROUNDS:-3}
melodex=${MELODEX:-}
if [[ -z $melodex ]]; then
    MELODEX_BUILD_DIR=$top/build-bench MELODEX_BUILD_TYPE=Release \
        "$top/scripts/build.sh" -DMELODEX_TESTS=OFF >/dev/null
    melodex=$top/build-bench/src/melodex
fi
for tool in sqlite3 python3 /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "$tool is needed (scripts/setup.sh installs it)" >&2; exit 1; }
done
"$melodex" import --help >/dev/null 2>&1 || { echo "$melodex has no import command" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# "wall cpu written-bytes peak-kB" of one command; its output is thrown away.
measure() {
    /usr/bin/time -f '%e %U %S %O %M' -o "$work/time" "$@" >/dev/null 2>&1
    awk '{ printf "%.2f %.2f %d %d\n", $1, $2 + $3, $4 * 512, $5 }' "$work/time"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

printf "%-8s %-6s %9s %9s %6s %9s %9s %6s %10s %7s %7s\n" songs work wall-mdx wall-flr ratio \
    cpu-mdx cpu-flr ratio written file-x peak-MB
for lines in "${sizes[@]}"; do
    python3 "$top/bench/gen_songs.py" "$lines" "$work/songs.csv"
    : >"$work/import.txt"
    : >"$work/export.txt"
    for ((r = 0; r < rounds; ++r)); do
        rm -rf "$work/data" "$work/floor"
        mkdir -p "$work/data"
        m=$(measure "$melodex" import "$work/songs.csv" --strip-header --data-dir "$work/data")
        size=$(stat -c %s "$work/data/sgldata.db")
        f=$(measure bash "$top/bench/import_floor.sh" "$work/songs.csv" "$work/floor")
        fsize=$(stat -c %s "$work/floor/floor.db")
        echo "$m $size $f $fsize" >>"$work/import.txt"
        me=$(measure "$melodex" export "$work/out.csv" --data-dir "$work/data" --fields \
            MUS:Artist,MUS:Title,MUS:Album,MUS:Media,MUS:FileNumber,MUS:ChartNumber,MUS:TrackNumber,MUS:Time,MUS:Composer,MUS:Rating)
        fe=$(measure sqlite3 -init /dev/null -batch "$work/floor/floor.db" -cmd '.headers on' \
            -cmd '.mode csv' -cmd ".output $work/shell.csv" \
            'SELECT Artist,Title,Album,Media,FileNumber,ChartNumber,TrackNumber,Time,Composer,Rating FROM s ORDER BY Artist,Title,_id')
        echo "$me 0 $fe 0" >>"$work/export.txt"
    done
    for kind in import export; do
        # Columns: wall cpu written peak size | wall cpu written peak size (melodex | floor).
        col() { awk -v c="$1" '{ print $c }' "$work/$kind.txt" | median; }
        mw=$(col 1) mc=$(col 2) mb=$(col 3) mp=$(col 4) ms=$(col 5)
        fw=$(col 6) fc=$(col 7) fb=$(col 8) fs=$(col 10)
        awk -v n="$lines" -v k="$kind" -v mw="$mw" -v mc="$mc" -v mb="$mb" -v mp="$mp" -v ms="$ms" \
            -v fw="$fw" -v fc="$fc" -v fb="$fb" -v fs="$fs" 'BEGIN {
            x = ms > 0 ? sprintf("%.2f", mb / ms) : "-"
            printf "%-8d %-6s %8.2fs %8.2fs %6.2f %8.2fs %8.2fs %6.2f %8.1fMB %7s %7.1f\n", n, k, mw, fw,
                mw / fw, mc, fc, mc / fc, mb / 1e6, x, mp / 1024
            if (k == "import")
                printf "%-8s %-6s file %.1f MB; the floor wrote %.1f MB (%.2fx its file of %.1f MB)\n",
                    "", "", ms / 1e6, fb / 1e6, fb / fs, fs / 1e6
        }'
    done
done
