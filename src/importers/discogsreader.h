// Discogs' collection export (the CSV file "Export collection" gives) read as albums.
#pragma once

#include "importers/sourceformats.h"

namespace melodex::importers {

/// How sure it is that `head` (a file's first bytes) is a Discogs collection export.
int recogniseDiscogs(const QString &path, const QByteArray &head);

/// Reads a Discogs collection export: one album per row, with the artist freed of Discogs'
/// disambiguation ("Nirvana (2)") and name-variation marks ("*"), the title, the format as
/// Discogs writes it (mapped to a media format on import), the release date (a year alone or
/// a day; "0" or empty: none), the rating, the date added as the purchase date, the folder as
/// the category ("Uncategorized" is no category), and label, catalogue number, format,
/// conditions, notes and any other "Collection" column as readable lines of the notes. The
/// release_id is kept as the album's Discogs identifier.
SourceCollection readDiscogs(const QString &path, const ReadProgress &progress = {});

/// The same, from the file's text.
SourceCollection readDiscogsText(const QString &text);

/// "Nirvana (2)" -> "Nirvana", "Prince And The Revolution*" -> "Prince And The Revolution",
/// for each artist of a joined list.
QString cleanDiscogsArtist(const QString &artist);

} // namespace melodex::importers
