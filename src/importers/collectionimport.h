// `melodex import` of another program's collection or of an albums file: the plan, then the
// write, without a window.
#pragma once

#include "data/records.h"
#include "importers/collection.h"

#include <QString>

#include <optional>
#include <vector>

namespace melodex::importers {

struct CollectionImportOptions
{
    QString file;
    QString from;        ///< a source format's name; empty: recognised from the content
    bool dryRun = false; ///< print the plan and write nothing
    bool albums = false; ///< the file is an albums file of this program (as --from albums)
    bool quiet = false;  ///< errors only
};

/// True when the first line of `path` names album fields (ALB:...).
bool isAlbumsFile(const QString &path);

/// Reads an albums file of this program (interchange's albums CSV) as a source: one album per
/// line, with every field it gives in `records` (one per album).
SourceCollection readAlbumsFile(const QString &path, std::vector<AlbumRecord> *records);

/// The source formats `--from` takes, for messages: "discogs, ..., songs, albums".
QString fromNames();

/// True when `file` is to be read by the song import: `--from songs`, or no other format
/// given and the file's first line names song fields (MUS:...) or no source recognises it.
bool isSongImport(const CollectionImportOptions &options);

/// Reads the source, prints the plan (to standard output for a dry run, else to standard
/// error) and, unless it is a dry run, writes the albums and songs in batches with the
/// progress on standard error. The store's data directory must be set. Returns the exit
/// status: 0 done, 1 failed, 2 wrong arguments (an unknown --from), 3 done with lines or
/// albums left out.
int runCollectionImport(const CollectionImportOptions &options);

} // namespace melodex::importers
