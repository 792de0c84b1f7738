// What an import of a collection will do, worked out before anything is written.
#include "importers/importplan.h"

#include "app/mediaseed.h"
#include "data/records.h"
#include "interchange/bufferguard.h"
#include "platform/store/errors.h"
#include "platform/store/fileuses.h"
#include "platform/store/view.h"

#include <QHash>
#include <QSet>

namespace melodex::importers {

namespace {

int widthOf(const store::FileLayout &layout, const char *field)
{
    return layout.fields[size_t(layout.fieldIndex(QString::fromLatin1(field)))].size;
}

QString counted(qint64 n, const char *one, const char *many)
{
    return QString::number(n) + u' ' + QString::fromLatin1(n == 1 ? one : many);
}

} // namespace

QString keyText(const QString &text, int width)
{
    QString t = text.left(width);
    while (!t.isEmpty() && t.back().isSpace())
        t.chop(1);
    return t.trimmed().toCaseFolded();
}

QStringList ImportPlan::lines() const
{
    QStringList out;
    if (!error.isEmpty()) {
        out << error;
        return out;
    }
    out << counted(qint64(albumsToAdd.size()), "album", "albums") + QStringLiteral(" and ") +
               counted(songsToAdd, "song", "songs") + QStringLiteral(" to add");
    if (!albumsPresent.empty() || loneSongsPresent > 0)
        out << counted(qint64(albumsPresent.size()), "album", "albums") + QStringLiteral(" and ") +
                   counted(loneSongsPresent, "song", "songs") +
                   QStringLiteral(" already present, to skip");
    if (!newCategories.isEmpty())
        out << QStringLiteral("New categories: ") + newCategories.join(QStringLiteral(", "));
    if (!newMedia.isEmpty())
        out << QStringLiteral("New media formats: ") + newMedia.join(QStringLiteral(", "));
    for (const QString &m : mediaMappings)
        out << QStringLiteral("Media format: ") + m;
    if (!problems.empty()) {
        out << counted(qint64(problems.size()), "problem", "problems") +
                   QStringLiteral(", left out:");
        for (const SourceProblem &p : problems)
            out << (p.line > 0 ? QStringLiteral("  line %1: ").arg(p.line) : QStringLiteral("  ")) +
                       p.text;
    }
    return out;
}

ImportPlan planImport(const SourceCollection &source, const MediaFormatMap &map)
{
    ImportPlan plan;
    plan.format = source.format;
    plan.map = map;
    plan.problems = source.problems;
    if (!source.error.isEmpty()) {
        plan.error = source.error;
        return plan;
    }
    const store::FileUses files{&Album, &Songlore, &Categories, &Media};
    if (!files.ok()) {
        plan.error = QStringLiteral("The catalogue's files cannot be opened: ") +
                     store::errorText(files.result());
        return plan;
    }
    // The plan reads into the buffers the open windows share: their values and current records
    // are put back, so that a form's next write goes to its own record.
    const BufferGuard albumBuffer(Album);
    const BufferGuard songBuffer(Songlore);
    const BufferGuard categoryBuffer(Categories);
    const BufferGuard mediaBuffer(Media);

    const store::FileLayout &albums = AlbumRecord::fileLayout();
    const int artistWidth = widthOf(albums, "Artist");
    const int albumWidth = widthOf(albums, "Album");
    const int mediaWidth = widthOf(albums, "Media");
    const int categoryWidth = CategoriesRecord::fileLayout().fields[1].size;
    const int titleWidth = widthOf(SongloreRecord::fileLayout(), "Title");

    QSet<QString> knownCategories;
    QSet<QString> knownMedia;
    const bool mediaEmpty = Media.records() == 0;
    if (mediaEmpty) // a new catalogue gets its usual formats before the import adds any
        for (const QString &m : defaultMediaFormats())
            knownMedia.insert(keyText(m, mediaWidth));
    const auto needCategory = [&](const QString &name) {
        const QString cut = name.left(categoryWidth).trimmed();
        const QString key = keyText(cut, categoryWidth);
        if (key.isEmpty() || knownCategories.contains(key))
            return;
        knownCategories.insert(key);
        CAT.clear();
        CAT.Category = cut;
        if (Categories.get(CategoriesRecord::KeyCategory) != 0)
            plan.newCategories << cut;
    };
    const auto needMedia = [&](const QString &media) {
        const QString key = keyText(media, mediaWidth);
        if (key.isEmpty() || knownMedia.contains(key))
            return;
        knownMedia.insert(key);
        MED.clear();
        MED.Media = media.left(mediaWidth).trimmed();
        if (Media.get(MediaRecord::KeyMedia) != 0)
            plan.newMedia << media.left(mediaWidth).trimmed();
    };
    QSet<QString> mapped;
    const auto mediaOf = [&](const QString &sourceFormat) {
        // An albums file of this program names the catalogue's own media formats.
        QString m = source.format == QLatin1String("albums") ? sourceFormat.trimmed()
                                                             : map.map(sourceFormat);
        if (m.isEmpty())
            m = QStringLiteral("CD"); // as the song form gives a new song
        if (!sourceFormat.isEmpty() && !mapped.contains(sourceFormat) &&
            source.format != QLatin1String("albums")) {
            mapped.insert(sourceFormat);
            plan.mediaMappings << u'"' + sourceFormat + QStringLiteral("\" -> ") + m;
        }
        return m.left(mediaWidth).trimmed();
    };

    // Albums of this source already planned, by key, with their media format.
    QHash<QString, QString> planned;
    // The catalogue's albums by key: read whole when the source has many albums against those
    // stored (a scan costs less than a look-up each), else looked up one by one.
    const qint64 stored = Album.records();
    const bool readWhole = stored < qint64(source.albums.size()) * 4;
    QHash<QString, QString> catalogue;
    if (readWhole && stored > 0) {
        store::View view(Album);
        view.setOrder(AlbumRecord::KeyAlbumID);
        if (view.open() != 0) {
            plan.error = QStringLiteral("The albums cannot be read: ") +
                         store::errorText(store::lastError().code);
            return plan;
        }
        view.set();
        const int artist = albums.fieldIndex(QStringLiteral("Artist"));
        const int title = albums.fieldIndex(QStringLiteral("Album"));
        const int mediaField = albums.fieldIndex(QStringLiteral("Media"));
        std::vector<store::Cursor::Row> rows;
        do {
            rows.clear();
            if (view.fetch(true, 1000, rows) != 0) {
                plan.error = QStringLiteral("The albums cannot be read: ") +
                             store::errorText(store::lastError().code);
                return plan;
            }
            for (const store::Cursor::Row &row : rows)
                catalogue.insert(keyText(row.values[size_t(title)].toString(), albumWidth) +
                                     u'\x1f' +
                                     keyText(row.values[size_t(artist)].toString(), artistWidth),
                                 row.values[size_t(mediaField)].toString());
        } while (rows.size() == 1000);
    }
    plan.albumMedia.reserve(source.albums.size());
    for (size_t i = 0; i < source.albums.size(); ++i) {
        const SourceAlbum &a = source.albums[i];
        const QString media = mediaOf(a.mediaFormat);
        plan.albumMedia.push_back(media);
        const QString key = keyText(a.title, albumWidth) + u'\x1f' + keyText(a.artist, artistWidth);
        QString otherMedia;
        bool found = false;
        if (auto it = planned.constFind(key); it != planned.cend()) {
            found = true;
            otherMedia = *it;
        } else if (readWhole) {
            if (auto at = catalogue.constFind(key); at != catalogue.cend()) {
                found = true;
                otherMedia = *at;
            }
        } else {
            ALB.clear();
            ALB.Album = a.title;
            ALB.Artist = a.artist;
            const int rc = Album.get(AlbumRecord::KeyAlbum);
            if (rc == 0) {
                found = true;
                otherMedia = ALB.Media;
            } else if (rc != store::RecordNotFoundErr) {
                plan.error = QStringLiteral("The albums cannot be read: ") + store::errorText(rc);
                return plan;
            }
        }
        if (found) {
            if (keyText(otherMedia, mediaWidth) == keyText(media, mediaWidth)) {
                plan.albumsPresent.push_back(i);
            } else {
                plan.problems.push_back(
                    {a.line, QStringLiteral("\"%1\" by %2 (%3) is not added: the catalogue has "
                                            "that album on %4, and holds one album of an artist "
                                            "and title.")
                                 .arg(a.title, a.artist, media, otherMedia.trimmed())});
            }
            continue;
        }
        planned.insert(key, media);
        plan.albumsToAdd.push_back(i);
        plan.songsToAdd += qint64(a.songs.size());
        needCategory(a.category);
        needMedia(media);
        for (const SourceSong &s : a.songs) {
            needCategory(s.category);
            if (!s.mediaFormat.isEmpty())
                needMedia(mediaOf(s.mediaFormat));
        }
    }

    QSet<QString> plannedSongs;
    for (size_t i = 0; i < source.songsWithoutAlbum.size(); ++i) {
        const SourceSong &s = source.songsWithoutAlbum[i];
        const QString media = mediaOf(s.mediaFormat);
        const QString key = keyText(s.artist, artistWidth) + u'\x1f' +
                            keyText(s.title, titleWidth) + u'\x1f' + keyText(media, mediaWidth);
        bool found = plannedSongs.contains(key);
        if (!found) {
            MUS.clear();
            MUS.Artist = s.artist;
            MUS.Title = s.title;
            Songlore.setFromBuffer(SongloreRecord::SongsByArtist);
            while (Songlore.next() == 0 &&
                   keyText(MUS.Artist, artistWidth) == keyText(s.artist, artistWidth) &&
                   keyText(MUS.Title, titleWidth) == keyText(s.title, titleWidth)) {
                if (keyText(MUS.Media, mediaWidth) == keyText(media, mediaWidth)) {
                    found = true;
                    break;
                }
            }
        }
        if (found) {
            ++plan.loneSongsPresent;
            continue;
        }
        plannedSongs.insert(key);
        plan.loneSongsToAdd.push_back(i);
        ++plan.songsToAdd;
        needCategory(s.category);
        needMedia(media);
    }
    return plan;
}

} // namespace melodex::importers
