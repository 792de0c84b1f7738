// Cover images: recognised by their content, never by what the server calls them.
#include "lookup/coverart.h"

#include "data/records.h"
#include "platform/store/errors.h"
#include "platform/store/keyedfile.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QRegularExpression>
#include <QSaveFile>

namespace melodex::lookup {

CoverResult storeCover(const QByteArray &body, const QString &dataDirectory, const QString &mbid)
{
    CoverResult r;
    static const QRegularExpression idForm(QStringLiteral("^[0-9A-Za-z-]{1,64}$"));
    if (!idForm.match(mbid).hasMatch()) {
        r.error = QStringLiteral("\"%1\" is not a release identifier.").arg(mbid.left(80));
        return r;
    }
    if (body.size() > MaxCoverBytes) {
        r.error =
            QStringLiteral("The cover is larger than %1 MB.").arg(MaxCoverBytes / 1024 / 1024);
        return r;
    }
    QBuffer buffer;
    buffer.setData(body);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    const QSize size = reader.size();
    // Read it whole: a file that only starts like an image is refused as well.
    if (format.isEmpty() || reader.read().isNull()) {
        r.error = QStringLiteral("What the server sent as the cover is not an image.");
        return r;
    }
    if (size.isValid() && (size.width() > 20000 || size.height() > 20000)) {
        r.error = QStringLiteral("The cover's size (%1 x %2) is not that of a cover.")
                      .arg(size.width())
                      .arg(size.height());
        return r;
    }
    const QString ext = format == "jpeg" ? QStringLiteral("jpg") : QString::fromLatin1(format);
    QDir dir(dataDirectory.isEmpty() ? QStringLiteral(".") : dataDirectory);
    if (!dir.mkpath(QStringLiteral("images"))) {
        r.error = QStringLiteral("The folder %1 cannot be made.")
                      .arg(dir.filePath(QStringLiteral("images")));
        return r;
    }
    const QString path =
        QDir(dir.filePath(QStringLiteral("images"))).absoluteFilePath(mbid + u'.' + ext);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(body) != body.size() || !file.commit()) {
        r.error = QStringLiteral("The cover could not be written to %1: %2")
                      .arg(path, file.errorString());
        return r;
    }
    r.path = path;
    return r;
}

QString setAlbumImage(qint32 albumId, const QString &path)
{
    const int size =
        AlbumRecord::fileLayout()
            .fields[size_t(AlbumRecord::fileLayout().fieldIndex(QStringLiteral("AssociatedImage")))]
            .size;
    if (path.size() > size)
        return QStringLiteral("The cover's path %1 is longer than the album's image field (%2 "
                              "characters); the album keeps no image.")
            .arg(path)
            .arg(size);
    const store::FileUse use(Album);
    if (!use.ok())
        return QStringLiteral("The albums cannot be opened.");
    ALB.clear();
    ALB.AlbumID = albumId;
    int rc = Album.get(AlbumRecord::KeyAlbumID);
    if (rc == 0) {
        ALB.AssociatedImage = path;
        rc = Album.put();
    }
    if (rc != 0)
        return QStringLiteral("The album's image could not be set: ") + store::errorText(rc);
    return {};
}

} // namespace melodex::lookup
