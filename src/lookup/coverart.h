// A release's front cover kept as the album's image: checked, written whole or not at all.
#pragma once

#include <QByteArray>
#include <QString>

namespace melodex::lookup {

struct CoverResult
{
    QString path;  ///< the image file written
    QString error; ///< why nothing was written
    bool ok() const { return error.isEmpty(); }
};

/// The largest cover kept.
inline constexpr qint64 MaxCoverBytes = 10 * 1024 * 1024;

/// Checks that `body` is an image (JPEG, PNG, GIF, WebP, ... as Qt reads them) of at most
/// MaxCoverBytes and writes it atomically as `images/<mbid>.<format>` in `dataDirectory`.
/// Anything else writes nothing.
CoverResult storeCover(const QByteArray &body, const QString &dataDirectory, const QString &mbid);

/// Makes `path` album `albumId`'s image (ALB:AssociatedImage). Returns the message of a
/// failure, empty when done.
QString setAlbumImage(qint32 albumId, const QString &path);

} // namespace melodex::lookup
