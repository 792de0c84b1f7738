// The stamp a scan keeps with each song it wrote: a short digest of each field it stored, so that
// a later scan can tell which fields the user has changed since.
#pragma once

#include "data/records.h"

#include <QString>

#include <array>
#include <vector>

namespace melodex::musicfiles {

/// The song fields a scan fills from a file, in the order of the stamp.
enum class SongField {
    Artist,
    Title,
    Album,
    Track,
    Side,
    Time,
    Category,
    ReleaseDate,
    Composer,
    BeatsPerMinute,
    Notes,
    Media,
};
inline constexpr int SongFieldCount = 12;

/// The field's name as the songs file names it ("Artist", "CategoryID", ...).
QString songFieldName(SongField field);

/// A field's value as text, for the stamp and for messages. The category is given by name, since
/// the song holds only its number.
QString songFieldText(const SongloreRecord &song, SongField field, const QString &category);

/// The stamp of `song`, whose category is named `category`: a version mark and three characters
/// (18 bits of a SHA-1) per field, 37 characters in all.
QString songStamp(const SongloreRecord &song, const QString &category);

/// The fields of `song` whose value no longer matches `stamp`: the ones changed since the stamp
/// was made. A stamp that cannot be read names every field, so that nothing is overwritten.
std::vector<SongField> changedSince(const SongloreRecord &song, const QString &category,
                                    const QString &stamp);

/// Copies `field` from `from` into `to`.
void copySongField(SongloreRecord &to, const SongloreRecord &from, SongField field);

} // namespace melodex::musicfiles
