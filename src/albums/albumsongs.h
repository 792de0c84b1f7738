// AlbumSongs: attaching songs to an album and reading an album's songs, without a window.
#pragma once

#include "data/records.h"

#include <QString>

#include <vector>

namespace melodex {

/// The work the album form does on the songs of one album. Every song is written at once and
/// on its own: a failure leaves the songs written before it as they are.
class AlbumSongs
{
public:
    /// The ids of the album's songs in track order, read through MUS:KeyAlbumID: only the
    /// album's own songs are read.
    static std::vector<qint32> songsOf(qint32 albumId);

    /// Why an assignment scan stopped.
    enum class Stop { EndOfFile, OtherMedia, OtherFileNumber, ReadError, WriteError };
    struct Assignment
    {
        int assigned = 0;
        Stop stop = Stop::EndOfFile;
        int error = 0;
        QString song; ///< the song a write failed on: "Title" by "Artist" (id)
    };
    /// Links every song of `album`'s media and file number to it: the songs are read by
    /// MUS:SongsByMedia from the album's media and file number, and the scan stops at the first
    /// song of another media (exact comparison) or another file number (clipped, any case).
    static Assignment assignByFileNumber(const AlbumRecord &album);

    /// The texts of an assignment's outcome: caption and message.
    static std::pair<QString, QString> assignmentMessage(const Assignment &a);
    /// "Do you want to assign all songs with file number ... to this album?"
    static QString assignQuestion(const AlbumRecord &album);

    enum class Link { Linked, NotFound, Failed };
    /// Links song `songId` (MUS:ID) to album `albumId`; NotFound when the song is gone (nothing
    /// is written). On Failed, `error` holds the store's code.
    static Link linkSong(qint32 songId, qint32 albumId, int *error = nullptr);
    /// What deleteSongs() did.
    struct Removal
    {
        int deleted = 0;
        int error = 0;           ///< the store's code of a failed read or write
        bool inPlaylist = false; ///< refused: `song` is in a playlist
        QString song;            ///< the song the delete stopped at, as describe() names it
    };
    /// Deletes the songs `ids` in ONE transaction over the songs and playlist entries: all go
    /// or, when one is in a playlist or a write fails, none does. Songs already gone are passed
    /// over.
    static Removal deleteSongs(const std::vector<qint32> &ids);

    /// How a song names itself in messages: "Title" by Artist.
    static QString describe(const SongloreRecord &song);
};

} // namespace melodex
