// The extra data file of identifiers from outside (MusicBrainz release and disc IDs, barcodes),
// kept apart so that the other files keep their layout.
#pragma once

#include "platform/store/keyedfile.h"
#include "platform/store/layout.h"

#include <array>
#include <vector>

namespace melodex {

/// One identifier of an album in an outside source. File "sglextid", prefix EXT.
struct ExternalIdRecord : store::RecordOf<ExternalIdRecord>
{
    qint32 AlbumID = 0;
    QString Source;     ///< one of the ExternalSource names
    QString Identifier; ///< as the source writes it

    static constexpr int KeyAlbumSource = 0; ///< album, source, identifier: unique
    static constexpr int KeyIdentifier = 1;  ///< source, identifier: which albums have it
    static constexpr int fieldCount = 3;

    static const store::FileLayout &fileLayout();
    static const std::array<store::MemberPtr<ExternalIdRecord>, fieldCount> &members();
};

/// The sources an identifier comes from, as EXT:Source holds them.
namespace ExternalSource {
inline const QString MusicBrainzRelease = QStringLiteral("MusicBrainzRelease");
inline const QString MusicBrainzDisc = QStringLiteral("MusicBrainzDisc");
inline const QString Barcode = QStringLiteral("Barcode");
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

/// The identifiers of album `albumId`, in key order. The file must be open.
std::vector<ExternalId> externalIdsOf(qint32 albumId);

} // namespace melodex
