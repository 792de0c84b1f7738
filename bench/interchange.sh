#!/usr/bin/env bash
# Times `melodex import` and `melodex export` of generated songs against the sqlite3 shell doing
# the same work (.import into a table with the songs file's columns and indexes, and a .mode csv
# export in the same order) and prints the ratios. Usage: bench/interchange.sh [LINES...]
# (default: 100000 and 1000000). MELODEX may name the program to time; otherwise a Release build
# is made in build-bench/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
sizes=("$@")
[[ $# -eq 0 ]] && sizes=(100000 1000000)
melodex=${MELODEX:-}
if [[ -z $melodex ]]; then
    MELODEX_BUILD_DIR=$top/build-bench MELODEX_BUILD_TYPE=Release \
        "$top/scripts/build.sh" -DMELODEX_TESTS=OFF >/dev/null
    melodex=$top/build-bench/src/melodex
fi
command -v sqlite3 >/dev/null || { echo "the sqlite3 shell is needed (apt-get install sqlite3)" >&2; exit 1; }
"$melodex" import --help >/dev/null 2>&1 || { echo "$melodex has no import command" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# "wall user system" seconds one command takes; its output is thrown away. On a machine shared
# with other work the processor time (user + system) compares more steadily than the wall time.
seconds() {
    local TIMEFORMAT='%R %U %S'
    { time "$@" >/dev/null 2>&1; } 2>&1
}

printf "%-7s %-7s %9s %9s %6s %9s %9s %6s\n" songs work melodex sqlite3 ratio "cpu mdx" \
    "cpu sql" ratio
# One round per size (the body is not indented: it holds here-documents).
for lines in "${sizes[@]}"; do
rm -rf "${work:?}"/*
awk -v n="$lines" -f "$top/bench/gensongs.awk" >"$work/songs.csv"
fields=MUS:Artist,MUS:Title,MUS:Album,MUS:Media,MUS:FileNumber,MUS:ReleaseDate,MUS:ChartNumber
fields=$fields,MUS:TrackNumber,MUS:Time,MUS:Composer,MUS:Style,CAT:Category

mkdir "$work/data"
import_melodex=$(seconds "$melodex" import "$work/songs.csv" --strip-header --data-dir "$work/data")
export_melodex=$(seconds "$melodex" export "$work/out.csv" --fields "$fields" --data-dir "$work/data")

# The shell has no MDX collation: the same columns and indexes with NOCASE instead.
sqlite3 "$work/data/sgldata.db" .schema | grep -v sqlite_sequence |
    sed 's/COLLATE MDX/COLLATE NOCASE/g' >"$work/schema.sql"
sqlite3 "$work/shell.db" <"$work/schema.sql"
sqlite3 "$work/shell.db" "INSERT INTO meta VALUES(1, 0)"
cat >"$work/import.sql" <<SQL
CREATE TABLE cat(CategoryID INTEGER PRIMARY KEY, Category TEXT COLLATE NOCASE NOT NULL UNIQUE);
CREATE TEMP TABLE csv(Artist, Title, Album, Media, FileNumber, ReleaseDate, ChartNumber,
                      TrackNumber, Time, Composer, Style, Category);
.import --csv --skip 1 $work/songs.csv csv
BEGIN;
INSERT OR IGNORE INTO cat(Category) SELECT DISTINCT Category FROM csv;
INSERT INTO rec(Artist, Title, Album, Media, FileNumber, ChartNumber, TrackNumber, Time, Composer,
                Style, CategoryID, ID)
SELECT Artist, Title, Album, Media, FileNumber, CAST(ChartNumber AS INTEGER),
       CAST(TrackNumber AS INTEGER),
       ((CAST(substr(Time, 1, 2) AS INTEGER) * 60 + CAST(substr(Time, 4, 2) AS INTEGER)) * 60 +
        CAST(substr(Time, 7, 2) AS INTEGER)) * 100 + 1,
       Composer, Style, (SELECT CategoryID FROM cat WHERE cat.Category = csv.Category), rowid
  FROM csv;
COMMIT;
SQL
cat >"$work/export.sql" <<SQL
.headers on
.mode csv
.output $work/shell.csv
SELECT r.Artist, r.Title, r.Album, r.Media, r.FileNumber, '' AS ReleaseDate, r.ChartNumber,
       r.TrackNumber,
       printf('%02d:%02d:%02d', (r.Time - 1) / 360000, (r.Time - 1) / 6000 % 60,
              (r.Time - 1) / 100 % 60) AS Time,
       r.Composer, r.Style, c.Category
  FROM rec r LEFT JOIN cat c ON c.CategoryID = r.CategoryID
 ORDER BY r.Artist, r.Title, r._id;
SQL
import_shell=$(seconds sqlite3 -init /dev/null -batch "$work/shell.db" <"$work/import.sql")
export_shell=$(seconds sqlite3 -init /dev/null -batch "$work/shell.db" <"$work/export.sql")

printf '%s\n' "import $import_melodex $import_shell" "export $export_melodex $export_shell" |
    awk -v n="$lines" '{
        mcpu = $3 + $4; scpu = $6 + $7
        printf "%-7d %-7s %8.2fs %8.2fs %6.2f %8.2fs %8.2fs %6.2f\n", n, $1, $2, $5, $2 / $5,
            mcpu, scpu, mcpu / scpu
    }'
done
