#!/usr/bin/env bash
# Copied from the project's shared benchmark inputs; kept as is.
# The floor for importing a song file: the sqlite3 shell's .import of the same CSV into a table with the same
# columns and the same ten keys as the songs file (NOCASE in place of the program's collation), then one
# INSERT ... SELECT in one transaction. Prints the shell's wall time in seconds.
# Usage: import_floor.sh SONGS.csv WORKDIR     (the CSV as gen_songs.py writes it, with its header line)
set -eu
csv=$1; w=$2; mkdir -p "$w"; rm -f "$w/floor.db"
t0=$(date +%s.%N)
sqlite3 "$w/floor.db" <<SQL >/dev/null
PRAGMA journal_mode=TRUNCATE; PRAGMA synchronous=FULL;
CREATE TABLE s(_id INTEGER PRIMARY KEY, Artist TEXT COLLATE NOCASE NOT NULL DEFAULT '', Title TEXT COLLATE NOCASE NOT NULL DEFAULT '', Album TEXT COLLATE NOCASE NOT NULL DEFAULT '',
 Media TEXT COLLATE NOCASE NOT NULL DEFAULT '', FileNumber TEXT COLLATE NOCASE NOT NULL DEFAULT '', ChartNumber INT NOT NULL DEFAULT 0, TrackNumber INT NOT NULL DEFAULT 0, Time TEXT,
 Composer TEXT, Rating TEXT, Side TEXT NOT NULL DEFAULT '', CategoryID INT NOT NULL DEFAULT 0, UDK TEXT NOT NULL DEFAULT '', BPM INT NOT NULL DEFAULT 0, ID INTEGER NOT NULL DEFAULT 0, AlbumID INT NOT NULL DEFAULT 0);
CREATE INDEX k1 ON s(Artist,Title,_id); CREATE INDEX k2 ON s(Title,Artist,_id); CREATE INDEX k3 ON s(Album,Artist,Side,TrackNumber,Title,_id);
CREATE INDEX k4 ON s(Media,FileNumber,Title,_id);
CREATE INDEX k5 ON s(CategoryID,Artist,Title,Album,_id) WHERE CategoryID<>0 OR Artist<>'' OR Title<>'' OR Album<>'';
CREATE INDEX k6 ON s(ChartNumber,Artist,Title,_id) WHERE ChartNumber<>0 OR Artist<>'' OR Title<>'';
CREATE INDEX k7 ON s(UDK,Artist,Title,_id) WHERE UDK<>'' OR Artist<>'' OR Title<>'';
CREATE UNIQUE INDEX k8 ON s(ID) WHERE ID<>0; CREATE INDEX k9 ON s(AlbumID,TrackNumber,_id) WHERE AlbumID<>0 OR TrackNumber<>0;
CREATE INDEX k10 ON s(BPM,Title,Artist,_id) WHERE BPM<>0 OR Title<>'' OR Artist<>'';
CREATE TEMP TABLE t(Artist,Title,Album,Media,FileNumber,ChartNumber,TrackNumber,Time,Composer,Rating);
.mode csv
.import --skip 1 $csv t
BEGIN;
INSERT INTO s(Artist,Title,Album,Media,FileNumber,ChartNumber,TrackNumber,Time,Composer,Rating,ID) SELECT Artist,Title,Album,Media,FileNumber,ChartNumber,TrackNumber,Time,Composer,Rating,rowid FROM t;
COMMIT;
SQL
t1=$(date +%s.%N)
python3 -c "print(f'{$t1 - $t0:.2f}')"
