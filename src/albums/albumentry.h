// AlbumEntry: the album form's rules that need no window.
#pragma once

#include "data/records.h"

#include <QString>

namespace melodex {

/// Copying an album, the delete question, and the number of songs that go with an album.
class AlbumEntry
{
public:
    /// What "Cop&y" in the albums list hands the form: the album without its id and memos.
    static void prepareCopy(AlbumRecord &album);
    /// What the form does with a new album that already has a name (a copy): " - Copy" is
    /// appended (the name cut to 40 characters) and the CD identifier is cleared.
    static void markAsCopy(AlbumRecord &album);

    /// The album's songs (counted through MUS:KeyAlbumID, only the album's own).
    static int songCount(qint32 albumId);
    /// The delete question when songs go with the album: names the album and how many.
    static QString deleteQuestion(const AlbumRecord &album, int songs);
    /// The question whether `songs` songs of an album changed from `before` to `after` take
    /// its new title and artist; empty when neither changed or there are no songs to ask about.
    static QString songTextsQuestion(const AlbumRecord &before, const AlbumRecord &after,
                                     int songs);
};

} // namespace melodex
