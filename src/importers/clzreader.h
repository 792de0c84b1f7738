// Reading CLZ Music XML exports (<musicinfo>: albums with their discs and tracks) into albums with
// their songs.
#pragma once

#include "importers/collection.h"
#include "importers/sourceformats.h"

namespace melodex::importers {

/// Reads the file at `path`. Files of other kinds of collection are refused with an error
/// naming what they hold.
SourceCollection readClz(const QString &path, const ReadProgress &progress = {});

/// How sure it is that the file is of this kind (0..100).
int recogniseClz(const QString &path, const QByteArray &head);

} // namespace melodex::importers
