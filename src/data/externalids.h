// The extra data file of identifiers from outside (MusicBrainz release, disc and recording IDs,
// barcodes, Discogs releases, the music files songs were read from), kept apart so that the other
// files keep their layout.
#pragma once

#include "platform/store/keyedfile.h"
#include "platform/store/layout.h"

#include <array>
#include <vector>

namespace melodex {

/// One identifier of an album, or of one of its songs, in an outside source. File "sglextid",
/// prefix EXT. A record with SongID 0 is about the album itself.
struct ExternalIdRecord : store::RecordOf<ExternalIdRecord>
{
    qint32 AlbumID = 0;
    qint32 SongID = 0;   ///< 0: the album's own identifier
    QString Source;      ///< one of the ExternalSource names
    QString Identifier;  ///< as the source writes it (a music file: its absolute path)
    qint64 Size = 0;     ///< a music file: its size in bytes when last read
    qint64 Modified = 0; ///< a music file: its modification time (ms since 1970) when last read
    QString Stamp;       ///< the writer's digest of what it stored, to tell the user's edits

    static constexpr int KeyAlbumSource = 0; ///< album, song, source, identifier: unique
    static constexpr int KeyIdentifier = 1;  ///< source, identifier: which albums and songs have it
    static constexpr int KeySong = 2;        ///< song, source, identifier
    static constexpr int fieldCount = 7;

    static const store::FileLayout &fileLayout();
    static const std::array<store::MemberPtr<ExternalIdRecord>, fieldCount> &members();
};

/// The sources an identifier comes from, as EXT:Source holds them.
namespace ExternalSource {
inline const QString MusicBrainzRelease = QStringLiteral("MusicBrainzRelease");
inline const QString MusicBrainzDisc = QStringLiteral("MusicBrainzDisc");
inline const QString Barcode = QStringLiteral("Barcode");
inline const QString MusicBrainzRecording = QStringLiteral("MusicBrainzRecording");
inline const QString DiscogsRelease = QStringLiteral("DiscogsRelease");
inline const QString MusicFile = QStringLiteral("MusicFile");
} // namespace ExternalSource

extern ExternalIdRecord EXT;
extern store::KeyedFile ExternalIds;

/// One identifier to keep with an album.
struct ExternalId
{
    QString source;
    QString identifier;
};

/// Adds the identifiers of album `albumId` that it does not have yet. The file must be open and
/// the caller's transaction, if any, running. Returns 0 or the store's error code.
int addExternalIds(qint32 albumId, const std::vector<ExternalId> &ids);

/// The album-level identifiers (SongID 0) of album `albumId`, in key order. The file must be open.
std::vector<ExternalId> externalIdsOf(qint32 albumId);

} // namespace melodex
