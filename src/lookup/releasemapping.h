// A release of the web service turned into what Melodex keeps: an album and its songs, with
// the identifiers that tie them to the release.
#pragma once

#include "data/externalids.h"
#include "lookup/release.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace melodex::lookup {

/// One song to be, as the album's track list holds it.
struct DraftSong
{
    QString side;    ///< "A"/"B" for a vinyl side, the medium's number on a release of
                     ///< several media, blank otherwise
    int track = 0;   ///< 0 for a hidden track before the first
    QString title;   ///< cut to the field's length
    QString artist;  ///< the album's artist, or the track's own where it differs
    qint32 time = 0; ///< time value; 0 when unknown
    int medium = 0;  ///< the medium's position in the release
};

/// The album and songs a release gives.
struct AlbumDraft
{
    QString releaseId;
    QString artist; ///< "Various" for a release whose tracks have other artists
    QString album;
    QString media;
    QString notes;          ///< label and catalogue number
    qint32 releaseDate = 0; ///< day number; 0 when the release has no date
    bool compilation = false;
    QString cdIdentifier;    ///< of the disc read (ALB:CDIdentifier); the caller sets it
    bool frontCover = false; ///< the Cover Art Archive has a front cover of the release
    std::vector<DraftSong> songs;
    std::vector<ExternalId> ids; ///< release MBID, disc ID, barcode
    /// One line per track whose length on the disc differs from the service's by more than a
    /// second (the disc's length is kept).
    QStringList lengthDifferences;
};

struct MappingOptions
{
    /// The disc read: only its medium is taken. Empty: every medium of the release.
    QString discId;
    /// The lengths (time values) of the disc's tracks in order, when a disc was read.
    std::vector<qint32> discTimes;
    /// The Media the album takes; empty: from the medium's format.
    QString media;
};

/// Turns `release` into an album draft. Nothing when a disc ID is given and no medium of the
/// release lists it (a release of one medium whose answer lists no disc IDs at all is taken as
/// that disc's).
std::optional<AlbumDraft> mapRelease(const Release &release, const MappingOptions &options = {});

/// The Media name of a format of the service ("CD", "12\" Vinyl", "Cassette", ...).
QString mediaOfFormat(const QString &format);
/// The day number of the service's date ("1993-07-05", "1993-07", "1993"); 0 when none.
qint32 dayOfReleaseDate(const QString &date);
/// The time value of a length in milliseconds; 0 when unknown.
qint32 timeOfMilliseconds(qint64 ms);
/// `text` cut to `size` characters, never inside a character of two code units.
QString cutToField(const QString &text, int size);

/// "disc 2 of 3" (with the medium's title when it has one), empty for a release of one medium.
QString mediumCaption(const Release &release, const Medium &medium);

} // namespace melodex::lookup
