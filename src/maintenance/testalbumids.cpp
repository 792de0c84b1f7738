// TestAlbumIDs: every song's link to its album checked and repaired where it can be.
#include "maintenance/testalbumids.h"

#include "data/records.h"
#include "maintenance/albumlookup.h"
#include "platform/store/errors.h"

#include <limits>

namespace melodex {

namespace {

struct SongFields
{
    int artist, album, id, albumId;
};

const SongFields &songFields()
{
    static const SongFields f = [] {
        const store::FileLayout &l = SongloreRecord::fileLayout();
        auto at = [&](const char *name) { return l.fieldIndex(QString::fromLatin1(name)); };
        return SongFields{at("Artist"), at("Album"), at("ID"), at("AlbumID")};
    }();
    return f;
}

/// Texts compare as stored: trailing blanks do not count.
bool sameText(const QString &a, const QString &b)
{
    auto cut = [](const QString &s) {
        qsizetype n = s.size();
        while (n > 0 && s.at(n - 1) == u' ')
            --n;
        return QStringView(s).left(n);
    };
    return cut(a) == cut(b);
}

} // namespace

TestAlbumIDs::TestAlbumIDs()
    : RecordScanRun(Songlore, SongloreRecord::SongsByAlbum,
                    QStringLiteral("Testing Link Integrity"), {&Album})
{
}

bool TestAlbumIDs::prepare()
{
    MUS.clear();
    MUS.ID = std::numeric_limits<qint32>::max();
    int code = Songlore.setFromBuffer(SongloreRecord::KeyID);
    if (code == 0)
        code = Songlore.previous();
    if (code == store::NoRecErr) {
        m_counter = 1;
    } else if (code == 0) {
        m_counter = qint64(MUS.ID) + 1;
    } else {
        m_failedFile = Songlore.label();
        return false;
    }
    return true;
}

int TestAlbumIDs::findSongId(qint64 id)
{
    MUS.clear();
    MUS.ID = qint32(id);
    return Songlore.get(SongloreRecord::KeyID);
}

RecordScanRun::Outcome TestAlbumIDs::handle(const store::Cursor::Row &row)
{
    const SongFields &f = songFields();
    const QString artist = row.values[size_t(f.artist)].toString();
    const QString album = row.values[size_t(f.album)].toString();
    qint64 link = row.values[size_t(f.albumId)].toLongLong();

    if (m_haveAlbum && sameText(m_albumName, album) && sameText(m_albumArtist, artist)) {
        // The album an earlier song of this name found serves this one too, unless the song
        // is linked to another album that exists.
        if (link != 0 && link != m_albumId) {
            const int code = albumlookup::byId(link);
            if (code == store::RecordNotFoundErr) {
                link = m_albumId;
            } else if (code != 0) {
                m_failedFile = Album.label();
                return Outcome::ReadFailed;
            }
        }
        if (link == 0)
            link = m_albumId;
    } else {
        // A link to an album that exists is kept: the album may have been renamed since.
        int code = link != 0 ? albumlookup::byId(link) : store::RecordNotFoundErr;
        if (code == store::RecordNotFoundErr) {
            code = albumlookup::forSong(album, artist);
            link = code == 0 ? ALB.AlbumID : 0;
        }
        if (code == 0) {
            m_haveAlbum = true;
            m_albumId = ALB.AlbumID;
            m_albumName = ALB.Album;
            m_albumArtist = ALB.Artist;
        } else if (code != store::RecordNotFoundErr) {
            m_failedFile = Album.label();
            return Outcome::ReadFailed;
        }
    }

    if (link == 0)
        ++m_unlinked;
    std::vector<store::Value> values = row.values;
    values[size_t(f.albumId)] = store::Value(qint32(link));
    if (row.values[size_t(f.id)].toLongLong() == 0) {
        int code = 0;
        do {
            ++m_counter;
            code = findSongId(m_counter);
        } while (code == 0);
        if (code != store::RecordNotFoundErr) {
            m_failedFile = Songlore.label();
            return Outcome::ReadFailed;
        }
        values[size_t(f.id)] = store::Value(qint32(m_counter));
    }
    return rewrite(row, std::move(values));
}

QStringList TestAlbumIDs::summary() const
{
    return {QStringLiteral("Songs checked: %1").arg(recordsRead()),
            QStringLiteral("Songs changed (album link set or mended, or a song number given): %1")
                .arg(recordsWritten()),
            QStringLiteral("Songs left without an album (none of that name under their artist "
                           "or \"Various\"): %1")
                .arg(m_unlinked)};
}

} // namespace melodex
