// Reading Tellico files (a zip holding tellico.xml and its images, or the bare XML) of a music
// collection into albums with their songs and covers.
#pragma once

#include "importers/collection.h"
#include "importers/sourceformats.h"

namespace melodex::importers {

/// Reads the Tellico file at `path`. Collections of anything but music are refused with an
/// error naming what they hold.
SourceCollection readTellico(const QString &path, const ReadProgress &progress = {});

/// How sure it is that the file is a Tellico file (0..100).
int recogniseTellico(const QString &path, const QByteArray &head);

} // namespace melodex::importers
