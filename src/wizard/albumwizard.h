// AlbumWizard: the album entry wizard's scratch track list and its turning into an album.
#pragma once

#include "data/externalids.h"
#include "data/records.h"

#include <QString>

#include <vector>

namespace melodex {

/// The wizard's common data of the album, typed on its first page.
struct WizardHeader
{
    QString artist; ///< blank for a compilation, whose album is by "Various"
    QString album;  ///< the album or the compilation's name
    QString media;
    QString fileNumber;
    QString notes;
    QString cdIdentifier; ///< of the disc read for the album; blank when none was read
    qint32 releaseDate = 0;
    qint32 categoryId = 0;
    /// The song buffer the wizard started from: every song takes its other fields (side,
    /// composer, notes, a time for a track without one, ...).
    SongloreRecord start;
};

/// The scratch records of one wizard (those whose AW:Instance is its instance number) and the
/// OK that makes an album and one song per track of them.
class AlbumWizard
{
public:
    AlbumWizard() = delete;

    /// The wizard's tracks in AW:KeyInstance order (side, then track number).
    static std::vector<AddWizardRecord> tracks(qint64 instance);
    /// The number a new track of `side` takes: one after the highest of that side, 1 when it
    /// has none. Deleted tracks leave their numbers unused rather than refilled.
    static qint64 nextTrack(qint64 instance, const QString &side = {});

    struct Outcome
    {
        int rc = 0;         ///< 0, or the store's code of the write that failed
        QString caption;    ///< of the message to show after a failure
        QString message;    ///< why nothing was written
        qint32 albumId = 0; ///< the album the songs went to (0: none)
        int songs = 0;      ///< songs added
    };

    /// Turns the tracks of `instance` into songs in ONE transaction over the albums, songs and
    /// scratch files: with `addToAlbums` a new album (artist "Various" for a compilation) that
    /// the songs belong to, otherwise the existing album of that name and artist, if any. Each
    /// song takes the header's fields, its track's number, title ("Track N" when blank), time
    /// (when not 0, also as "mm:ss" in AdditionalInformation1) and, for a compilation, artist;
    /// each scratch record goes as its song is added. After a failure nothing at all is
    /// written, the scratch records stay, and the outcome says why. `ids` (identifiers from a
    /// lookup) are kept with the new album in the same transaction.
    static Outcome commit(qint64 instance, const WizardHeader &header, bool compilation,
                          bool addToAlbums, const std::vector<ExternalId> &ids = {});

    /// A time value as the "mm:ss" that the song's first additional information takes.
    static QString minutesSeconds(qint32 time);

    /// The song form hands its buffer to the wizard it starts instead of itself; a wizard
    /// started from a menu or the albums list takes a blank one. The next wizard to open
    /// takes what was offered.
    static void offerStartSong(const SongloreRecord &song);
    static SongloreRecord takeStartSong();
    /// `song` as the wizard's header: its album data, the media "CD" when blank, and the song.
    static WizardHeader headerFrom(const SongloreRecord &song);
};

/// The next song number, one after the highest in use, so that an add never meets a taken
/// number. Returns 0 or the store's error.
int nextSongId(qint32 &id);
/// The next album number: above the highest in use and above every number other records still
/// name, so that an album never takes the number of one a restored file has lost.
int nextAlbumId(qint32 &id);

} // namespace melodex
