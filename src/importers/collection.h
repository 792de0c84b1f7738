// What a reader of another program's files makes of them: albums with their songs, in the
// reader's own words, before anything is matched against or written to the catalogue.
#pragma once

#include "data/externalids.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <vector>

namespace melodex::importers {

/// A date as the source gives it: a whole day, or only a year (then `date` is null).
struct SourceDate
{
    QDate date;
    int year = 0;

    bool isEmpty() const { return !date.isValid() && year == 0; }
};

/// One song as read; empty fields are unknown.
struct SourceSong
{
    QString artist; ///< empty: the album's artist
    QString title;
    QString album; ///< a song without an album: the album the source names, if any
    int track = 0; ///< 1-based within its disc or side, 0 when unknown
    int disc = 0;  ///< 1-based, 0 when the source has one disc only
    QString side;  ///< as the source names it ("A", "B"), when it does
    int lengthSeconds = 0;
    QString category; ///< genre
    SourceDate released;
    QString composer;
    int beatsPerMinute = 0;
    QString rating; ///< "1" (worst) to "5" (best), empty when none
    QString notes;
    QString mediaFormat; ///< empty: the album's
    std::vector<ExternalId> ids;
};

/// One album as read, with its songs in order.
struct SourceAlbum
{
    QString artist;
    QString title;
    QString mediaFormat; ///< as the source names it ("2xCD, Comp", "Vinyl"): mapped on import
    QString category;
    SourceDate released;
    SourceDate purchased;
    qint64 purchasePriceCents = 0;
    QString rating;
    QString label;
    QString catalogNumber;
    QString notes;         ///< readable text; conditions, loans and the like go here
    QByteArray coverImage; ///< the image file's bytes, when the source holds one
    QString coverSuffix;   ///< "jpg", "png"
    QString coverFile;     ///< a cover image file the source points at rather than holds (beets)
    std::vector<SourceSong> songs;
    std::vector<ExternalId> ids;
    int line = 0; ///< where it starts in the source, for messages (0: not known)
};

/// A part of the source that could not be read, and where.
struct SourceProblem
{
    int line = 0; ///< 0 when the source has no lines (a database)
    QString text;
};

/// Everything a reader got from one source.
struct SourceCollection
{
    QString format; ///< "discogs", "tellico", "clz", "gcstar", "datacrow", "beets", ...
    std::vector<SourceAlbum> albums;
    std::vector<SourceSong> songsWithoutAlbum;
    std::vector<SourceProblem> problems;
    QString error; ///< not empty: the source as a whole was refused (why, for the user)
};

} // namespace melodex::importers
