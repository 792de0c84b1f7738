// Finds the album a song belongs to by name and artist, and albums by their ID.
#pragma once

#include <QString>

namespace melodex {

/// Lookups in the album file through its buffer (ALB), which they leave holding what they found.
/// The file must be open.
namespace albumlookup {

/// The artist under which compilations are filed.
inline const QString Various = QStringLiteral("Various");

/// 0 when found (the album is in ALB), 35 when there is none, another code on a read error.
int byName(const QString &album, const QString &artist);
/// byName under the song's artist, then under "Various".
int forSong(const QString &album, const QString &artist);
/// 0 when an album has the ID `id`, 35 when none has.
int byId(qint64 id);

} // namespace albumlookup
} // namespace melodex
