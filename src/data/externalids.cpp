// The layout of the external identifiers and the two things done with them.
#include "data/externalids.h"

#include "platform/store/errors.h"

namespace melodex {

using store::FieldType;
using store::FileLayout;

const FileLayout &ExternalIdRecord::fileLayout()
{
    static const FileLayout layout{
        QStringLiteral("ExternalIds"),
        QStringLiteral("EXT"),
        QStringLiteral("sglextid"),
        {
            {QStringLiteral("AlbumID"), FieldType::Int32, 0, 0, QStringLiteral("")},
            {QStringLiteral("SongID"), FieldType::Int32, 0, 0, QStringLiteral("")},
            {QStringLiteral("Source"), FieldType::Text, 24, 0, QStringLiteral("@s24")},
            {QStringLiteral("Identifier"), FieldType::Text, 1024, 0, QStringLiteral("@s255")},
            {QStringLiteral("Size"), FieldType::Decimal, 8, 0, QStringLiteral("@n15")},
            {QStringLiteral("Modified"), FieldType::Decimal, 8, 0, QStringLiteral("@n15")},
            {QStringLiteral("Stamp"), FieldType::Text, 40, 0, QStringLiteral("@s40")},
        },
        {
            {QStringLiteral("KeyAlbumSource"), {0, 1, 2, 3}, true, false, false},
            {QStringLiteral("KeyIdentifier"), {2, 3, 0, 1}, false, false, false},
            {QStringLiteral("KeySong"), {1, 2, 3}, false, false, false},
        }};
    return layout;
}

const std::array<store::MemberPtr<ExternalIdRecord>, ExternalIdRecord::fieldCount> &
ExternalIdRecord::members()
{
    static const std::array<store::MemberPtr<ExternalIdRecord>, fieldCount> m{
        &ExternalIdRecord::AlbumID,    &ExternalIdRecord::SongID, &ExternalIdRecord::Source,
        &ExternalIdRecord::Identifier, &ExternalIdRecord::Size,   &ExternalIdRecord::Modified,
        &ExternalIdRecord::Stamp};
    return m;
}

ExternalIdRecord EXT;
store::KeyedFile ExternalIds{EXT};

int addExternalIds(qint32 albumId, const std::vector<ExternalId> &ids)
{
    for (const ExternalId &id : ids) {
        if (id.identifier.trimmed().isEmpty())
            continue;
        EXT.clear();
        EXT.AlbumID = albumId;
        EXT.Source = id.source;
        EXT.Identifier = id.identifier.trimmed();
        if (ExternalIds.get(ExternalIdRecord::KeyAlbumSource) == 0)
            continue;
        EXT.clear();
        EXT.AlbumID = albumId;
        EXT.Source = id.source;
        EXT.Identifier = id.identifier.trimmed();
        if (const int rc = ExternalIds.add(); rc != 0)
            return rc;
    }
    return 0;
}

std::vector<ExternalId> externalIdsOf(qint32 albumId)
{
    std::vector<ExternalId> out;
    EXT.clear();
    EXT.AlbumID = albumId;
    ExternalIds.setFromBuffer(ExternalIdRecord::KeyAlbumSource);
    while (ExternalIds.next() == 0 && EXT.AlbumID == albumId)
        if (EXT.SongID == 0)
            out.push_back({EXT.Source, EXT.Identifier});
    return out;
}

} // namespace melodex
