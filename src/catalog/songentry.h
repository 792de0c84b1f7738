// SongEntry: the song form's rules that need no window.
#pragma once

#include "data/records.h"

#include <QString>

namespace melodex {

/// The rules of entering a song, apart from its window: which way a new song is entered, the
/// number ranges, the album defaults and links, and categories added from the song form.
class SongEntry
{
public:
    /// How the song form handles a request.
    enum class Style {
        Form,         ///< the song form itself
        Compilation,  ///< the album entry wizard for a compilation
        SingleArtist, ///< the album entry wizard for one artist
        AskType,      ///< ask the user which of the three
    };

    /// The style for `request` by the first letter of the AddMode preference. Only a plain insert
    /// is diverted: a change, a delete or a copy always needs this song in the form, and a song
    /// that already carries a title, artist, file number or album is not asked about.
    static Style entryStyle(const QString &addMode, int request, bool copying,
                            const SongloreRecord &song);

    /// The ranges the form accepts: track 0 to 99, highest chart position 0 to 100.
    static bool trackNumberInRange(qint64 track) { return track >= 0 && track <= 99; }
    static bool chartNumberInRange(qint64 chart) { return chart >= 0 && chart <= 100; }

    /// Fills the song from `album`: blank notes, file number and artist, a zero release date
    /// and category are taken from it; album title, media and album id always are.
    static void defaultFromAlbum(SongloreRecord &song, const AlbumRecord &album);

    /// Links the song to the album of its artist and album title, adding that album (next id)
    /// when there is none. Uses the Album file, which must be open, and its buffer. A song that
    /// is linked already or names no album is left alone. Returns the album id the song now
    /// carries (0 when it is not linked, also when the album could not be added).
    static qint32 linkToAlbum(SongloreRecord &song);

    /// Adds category `name` with the next free id (1 for the first). Uses the Categories file,
    /// which must be open, and its buffer. Returns the new id, or 0 with the store's error code
    /// in `error`.
    static qint64 addCategory(const QString &name, int *error = nullptr);

    /// The name of category `id` (blank for 0 or an id that has no category). The categories
    /// buffer is left as it was: lists take the range of their category order from it.
    static QString categoryName(qint64 id);
    /// How many songs category `id` holds (0 for 0). The songs buffer is left as it was.
    static qint64 songsInCategory(qint64 id);
};

} // namespace melodex
