// What one read of an audio CD found: the track table, the identifiers and the disc's CD-Text.
#pragma once

#include "platform/cd/disctoc.h"

#include <QList>
#include <QString>

namespace melodex {

/// One track as read: its number, its length and what CD-Text says about it.
struct CdTrack
{
    int number = 0;
    qint32 length = 0; ///< time value
    bool data = false; ///< a data track (known only when the device gives its table of contents)
    cd::CdText text;   ///< empty when the disc carries no CD-Text for the track
};

/// The result of one read, kept only as long as its caller needs it.
struct CdReading
{
    int trackCount = 0;
    qint32 discLength = 0; ///< time value of the whole disc as reported
    QString identifier;    ///< the CD identifier (ALB:CDIdentifier)
    QList<CdTrack> tracks; ///< empty after an identifier-only read
    /// True when the player reported each length up to the end of the disc and the lengths
    /// were turned into the tracks' own.
    bool differenced = false;
    QString musicBrainzId;  ///< empty when the device gives no table of contents
    QString musicBrainzUrl; ///< the MusicBrainz page of the disc ID
    cd::CdText disc;        ///< the disc's CD-Text title and performer

    /// "Track N" unless CD-Text names the track.
    QString titleOf(const CdTrack &track) const
    {
        return track.text.title.isEmpty() ? QStringLiteral("Track %1").arg(track.number)
                                          : track.text.title;
    }
};

} // namespace melodex
