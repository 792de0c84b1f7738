// Writes the tracks of a CD read into the wizard's scratch list or into an album's songs.
#pragma once

#include "wizard/cdreading.h"

namespace melodex {

struct AlbumRecord;

/// The two places a read's track table goes. Each write is one transaction: it is written
/// whole or, after a failure, not at all; the result is 0 or the store's error code (its text
/// in store::lastError()). The record buffers of the files written keep what they held.
class CdTrackWriter
{
public:
    /// Into the scratch records of wizard `instance`: a track already listed keeps the artist
    /// and title the user gave it and takes the new length; a new one gets the CD-Text title and
    /// performer, or "Track N" and `albumArtist` ("Various" when blank).
    static int toWizard(const CdReading &reading, qint64 instance, const QString &albumArtist);

    /// Into the songs of `album`: a song with the track's number takes the new length; a missing
    /// one is added with the next song ID, the album's artist, name, media, file number,
    /// release date and category, and the CD-Text title or "Track N".
    static int toAlbumSongs(const CdReading &reading, const AlbumRecord &album);
};

} // namespace melodex
