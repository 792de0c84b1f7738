// Reading beets libraries (musiclibrary.db): its albums with their items as songs, the items
// of no album as songs without one, MusicBrainz IDs kept. The library is only ever read.
#pragma once

#include "importers/collection.h"
#include "importers/sourceformats.h"

namespace melodex::importers {

/// Reads the beets library at `path`, read-only: nothing in it or beside it is changed. A
/// library locked by a program that is writing to it is refused with a message saying so; one
/// merely held open is read as it stands on disk. Columns a newer beets adds are left aside,
/// and columns it dropped read as empty.
SourceCollection readBeets(const QString &path, const ReadProgress &progress = {});

/// How sure it is that the file is a beets library (0..100).
int recogniseBeets(const QString &path, const QByteArray &head);

} // namespace melodex::importers
