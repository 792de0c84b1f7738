#!/usr/bin/env bash
# Times the bulk maintenance runs at the size of a large collection against a set-based floor
# written in plain SQL for the sqlite3 shell, in the same run and on copies of the same files:
#   Create Album Database (CopyToAlbum): an album for each album name and artist of the songs
#     without one, from the first such song, which is linked to it;
#   the release dates turned into years (songs and albums);
#   the chart rollover of a playlist of 999,999 entries (the most a playlist numbers);
#   the upgrade of a songs file written in an earlier layout (as `melodex stats` opens it), next
#     to the shell copying the file and carrying its rows into a new one whose keys are built
#     after them.
# The songs come from bench/gen_songs.py (keys in random order), imported with `melodex import`;
# every song gets a full release date first. Prints wall and processor time of both, their
# ratio, the bytes each wrote to disk, and a fingerprint of both results, which must agree.
# Usage: bench/album_maintenance.sh [SONGS...]   (default: 1000000)
# MELODEX, BULKRUNS and COLLATION may name the program, bench_bulkruns and the collation
# extension; otherwise they are taken from build-bench/ (scripts/bench.sh makes it).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
sizes=("$@")
[[ $# -eq 0 ]] && sizes=(1000000)
melodex=${MELODEX:-$top/build-bench/src/melodex}
runs=${BULKRUNS:-$top/build-bench/bench/bench_bulkruns}
collation=${COLLATION:-$top/build-bench/src/libmelodex_collation}
for tool in sqlite3 python3 /usr/bin/time "$melodex" "$runs"; do
    command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/melodex-albums.XXXXXX")
trap 'rm -rf "$work"' EXIT

# "wall cpu written-bytes" of one command; its output goes to $work/out.
measure() {
    /usr/bin/time -f '%e %U %S %O' -o "$work/time" "$@" >"$work/out" 2>&1 || {
        cat "$work/out" >&2
        return 1
    }
    awk '{ printf "%.2f %.2f %d\n", $1, $2 + $3, $4 * 512 }' "$work/time"
}
sq=(sqlite3 -init /dev/null -batch -cmd ".load $collation")
shell() { "${sq[@]}" "$@"; }
report() { # name "ours" "floor"
    read -r mw mc mb <<<"$2"
    read -r fw fc fb <<<"$3"
    awk -v n="$1" -v mw="$mw" -v mc="$mc" -v mb="$mb" -v fw="$fw" -v fc="$fc" -v fb="$fb" 'BEGIN {
        printf "%-22s %8.2f %8.2f %6.2f %8.2f %8.2f %6.2f %9.1f %9.1f\n", n, mw, fw,
            (fw > 0 ? mw / fw : 0), mc, fc, (fc > 0 ? mc / fc : 0), mb / 1e6, fb / 1e6 }'
}

copy_sql="
CREATE TEMP TABLE seen(album TEXT COLLATE MDX, artist TEXT COLLATE MDX, song INTEGER,
    UNIQUE(album, artist));
INSERT OR IGNORE INTO seen SELECT Album, Artist, min(_id) FROM rec WHERE AlbumID=0 AND Album<>''
    GROUP BY Album, Artist;
CREATE TEMP TABLE plan(song INTEGER PRIMARY KEY, id INTEGER);
INSERT INTO plan SELECT g.song,
    (SELECT coalesce(max(AlbumID), 0) FROM al.rec) + row_number() OVER (ORDER BY g.song)
    FROM seen g
    WHERE NOT EXISTS (SELECT 1 FROM al.rec a WHERE a.Album=g.album
                      AND (a.Artist=g.artist OR a.Artist='Various')
                      AND (\"Album\"<>'' OR \"Artist\"<>''))
      AND NOT (g.artist<>'Various' AND EXISTS (SELECT 1 FROM seen v WHERE v.album=g.album
                                                AND v.artist='Various' AND v.song<g.song));
INSERT INTO al.rec(AlbumID, Artist, Album, Media, FileNumber, ReleaseDate, CategoryID, Notes)
    SELECT p.id, s.Artist, s.Album, s.Media, s.FileNumber, s.ReleaseDate, s.CategoryID, s.Notes
    FROM plan p JOIN rec s ON s._id=p.song ORDER BY p.id;
UPDATE rec SET AlbumID=(SELECT id FROM plan WHERE song=_id), _ver=_ver+1
    WHERE _id IN (SELECT song FROM plan);"
year="CAST(strftime('%Y', 2378858 + ReleaseDate) AS INTEGER)"
dates_sql="
UPDATE rec SET ReleaseDate=$year, _ver=_ver+1 WHERE ReleaseDate>3000 AND ReleaseDate<=2994626;
UPDATE al.rec SET ReleaseDate=$year, _ver=_ver+1 WHERE ReleaseDate>3000 AND ReleaseDate<=2994626;"
rollover_sql="
UPDATE rec SET PlaylistNotes='LW:' || PlaylistSeq, _ver=_ver+1 WHERE PlaylistID=1;"
fingerprint() { # DIR
    shell "$1/sgldata.db" "ATTACH '$1/sglalbum.db' AS al" "ATTACH '$1/sglpldet.db' AS pd" \
        "SELECT (SELECT count(*) || '/' || total(AlbumID) || '/' || total(ReleaseDate) FROM rec),
                (SELECT count(*) || '/' || total(AlbumID) || '/' || total(ReleaseDate) || '/' ||
                 total(length(Album || Artist || Media || FileNumber || Notes)) FROM al.rec),
                (SELECT count(*) || '/' || total(length(PlaylistNotes)) FROM pd.rec)"
}

printf "%-22s %8s %8s %6s %8s %8s %6s %9s %9s\n" work wall-mdx wall-flr ratio cpu-mdx cpu-flr \
    ratio MB-mdx MB-flr
for songs in "${sizes[@]}"; do
    echo "== $songs songs"
    python3 "$top/bench/gen_songs.py" "$songs" "$work/songs.csv"
    rm -rf "$work/base" && mkdir -p "$work/base"
    "$melodex" import "$work/songs.csv" --strip-header --quiet --data-dir "$work/base" || true
    rm -f "$work/songs.csv"
    "$runs" "$work/base" init >/dev/null
    # Full release dates, as a catalogue typed with dates has; a playlist of (nearly) every song.
    shell "$work/base/sgldata.db" "ATTACH '$work/base/sglpldet.db' AS pd" \
        "BEGIN; UPDATE rec SET ReleaseDate = 40000 + _id % 30000;
         INSERT INTO pd.rec(PlaylistID, PlaylistSeq, ID, PlaylistNotes)
             SELECT 1, _id, ID, '' FROM rec WHERE _id < 1000000; COMMIT;"
    for side in ours floor; do rm -rf "$work/$side" && cp -r "$work/base" "$work/$side"; done

    m=$(measure "$runs" "$work/ours" copytoalbum) && cat "$work/out"
    f=$(measure "${sq[@]}" "$work/floor/sgldata.db" "ATTACH '$work/floor/sglalbum.db' AS al" \
        "BEGIN; $copy_sql COMMIT;")
    report "Create Album Database" "$m" "$f"
    m=$(measure "$runs" "$work/ours" dates) && cat "$work/out"
    f=$(measure "${sq[@]}" "$work/floor/sgldata.db" "ATTACH '$work/floor/sglalbum.db' AS al" \
        "BEGIN; $dates_sql COMMIT;")
    report "Dates to years" "$m" "$f"
    m=$(measure "$runs" "$work/ours" rollover 1) && cat "$work/out"
    f=$(measure "${sq[@]}" "$work/floor/sglpldet.db" "BEGIN; $rollover_sql COMMIT;")
    report "Chart rollover" "$m" "$f"
    echo "fingerprint ours : $(fingerprint "$work/ours")"
    echo "fingerprint floor: $(fingerprint "$work/floor")"
    rm -rf "$work/ours" "$work/floor"

    # An earlier layout: the songs file without the ratings and recording notes.
    mkdir -p "$work/old" "$work/floor"
    cp "$work/base/sgldata.db" "$work/old/"
    rm -rf "$work/base"
    shell "$work/old/sgldata.db" "ALTER TABLE rec DROP COLUMN Rating;
        ALTER TABLE rec DROP COLUMN Recording; PRAGMA user_version=12345; VACUUM"
    cp "$work/old/sgldata.db" "$work/floor/old.db"
    m=$(measure "$melodex" stats --data-dir "$work/old")
    again=$(measure "$melodex" stats --data-dir "$work/old")
    # The upgrade alone: the first stats, less one on the upgraded file.
    m=$(awk -v a="$m" -v b="$again" 'BEGIN { split(a, x, " "); split(b, y, " ");
        printf "%.2f %.2f %d", x[1] - y[1], x[2] - y[2], x[3] - y[3] }')
    shell "$work/old/sgldata.db" ".schema" | grep -v sqlite_sequence >"$work/schema.sql"
    cols=$(shell "$work/floor/old.db" "SELECT group_concat(name, ',') FROM pragma_table_info('rec')")
    {
        grep -v "INDEX" "$work/schema.sql"
        echo "ATTACH '$work/floor/old.db' AS old; BEGIN;"
        echo "INSERT INTO rec($cols) SELECT $cols FROM old.rec;"
        grep "INDEX" "$work/schema.sql"
        echo "COMMIT;"
    } >"$work/upgrade.sql"
    f=$(measure bash -c "cp '$work/floor/old.db' '$work/floor/backup.db' && sqlite3 -init /dev/null \
        -batch -cmd '.load $collation' '$work/floor/new.db' '.read $work/upgrade.sql'")
    report "Upgrade (earlier layout)" "$m" "$f"
    rm -rf "$work/old" "$work/floor"
done
