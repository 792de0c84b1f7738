// Writing a looked-up release: a new album and its songs, or the songs of an album the user
// already has, always in one transaction with the album's identifiers.
#pragma once

#include "lookup/releasemapping.h"

#include <QString>

namespace melodex::lookup {

struct DraftWriteResult
{
    int rc = 0;         ///< 0, or the store's code of the write that failed
    QString message;    ///< why nothing was written
    qint32 albumId = 0; ///< the album written
    int songs = 0;      ///< songs added
    int changed = 0;    ///< existing songs whose title (or artist, time) was replaced
    bool ok() const { return rc == 0 && message.isEmpty(); }
};

/// Adds `draft` as a new album with one song per track, and its identifiers, in ONE
/// transaction over the albums, songs and identifiers: after a failure nothing is written.
DraftWriteResult addDraftAsAlbum(const AlbumDraft &draft);

/// What becomes of the songs an album already has when a release is filled into it.
enum class ExistingSongs {
    ReplaceTitles, ///< each song of the same side and track takes the release's title and artist
    AddMissing,    ///< only tracks without a song are added
    Keep,          ///< the songs stay as they are; only the identifiers are kept
};

/// Fills album `albumId` from `draft`: its songs as `existing` says, tracks without a song
/// added (with the release's title, media and date), and the identifiers kept, in ONE
/// transaction. The album's own fields are the caller's (a form holds them).
DraftWriteResult fillAlbumFromDraft(qint32 albumId, const AlbumDraft &draft,
                                    ExistingSongs existing);

} // namespace melodex::lookup
