// CopyToAlbum: album records made from the songs that belong to none.
#include "maintenance/copytoalbum.h"

#include "data/lostfile.h"
#include "data/records.h"
#include "maintenance/albumlookup.h"
#include "platform/store/errors.h"

#include <algorithm>
#include <limits>

namespace melodex {

namespace {

struct SongFields
{
    int artist, album, media, fileNumber, releaseDate, categoryId, albumId, notes;
};

const SongFields &songFields()
{
    static const SongFields f = [] {
        const store::FileLayout &l = SongloreRecord::fileLayout();
        auto at = [&](const char *name) { return l.fieldIndex(QString::fromLatin1(name)); };
        return SongFields{at("Artist"),      at("Album"),      at("Media"),   at("FileNumber"),
                          at("ReleaseDate"), at("CategoryID"), at("AlbumID"), at("Notes")};
    }();
    return f;
}

} // namespace

CopyToAlbum::CopyToAlbum() : RecordScanRun(Songlore, -1, QStringLiteral("Copying..."), {&Album}) {}

qint64 CopyToAlbum::nextAlbumId()
{
    ALB.clear();
    ALB.AlbumID = std::numeric_limits<qint32>::max();
    if (Album.setFromBuffer(AlbumRecord::KeyAlbumID) != 0)
        return -1;
    const int code = Album.previous();
    if (code != 0 && code != store::NoRecErr)
        return -1;
    const qint64 next = code == 0 ? qint64(ALB.AlbumID) + 1 : 1;
    return std::max(next, highestReferenceTo(Album) + 1);
}

RecordScanRun::Outcome CopyToAlbum::handle(const store::Cursor::Row &row)
{
    const SongFields &f = songFields();
    auto text = [&](int field) { return row.values[size_t(field)].toString(); };
    if (row.values[size_t(f.albumId)].toLongLong() != 0) {
        ++m_linkedAlready;
        return Outcome::Done;
    }
    if (text(f.album).trimmed().isEmpty()) {
        ++m_withoutAlbum;
        return Outcome::Done;
    }

    const int found = albumlookup::forSong(text(f.album), text(f.artist));
    if (found == 0) {
        ++m_albumExists;
        return Outcome::Done; // linked later by TestAlbumIDs
    }
    if (found != store::RecordNotFoundErr) {
        m_failedFile = Album.label();
        return Outcome::ReadFailed;
    }

    if (m_nextId <= 0)
        m_nextId = nextAlbumId();
    if (m_nextId < 0) {
        m_failedFile = Album.label();
        return Outcome::ReadFailed;
    }
    const qint64 id = m_nextId;
    ALB.clear();
    ALB.AlbumID = qint32(id);
    ALB.Notes = text(f.notes);
    ALB.FileNumber = text(f.fileNumber);
    ALB.Artist = text(f.artist);
    ALB.Album = text(f.album);
    ALB.Media = text(f.media);
    ALB.ReleaseDate = qint32(row.values[size_t(f.releaseDate)].toLongLong());
    ALB.CategoryID = row.values[size_t(f.categoryId)].toLongLong();
    // A song is linked only to an album that was really added. The next ID is asked of the file
    // again after a failure: another window may have added albums meanwhile.
    if (Album.add() != 0) {
        ++m_addRefused;
        m_nextId = 0;
        return Outcome::Done;
    }
    m_nextId = id + 1;
    ++m_added;

    std::vector<store::Value> values = row.values;
    values[size_t(f.albumId)] = store::Value(qint32(id));
    return rewrite(row, std::move(values));
}

QStringList CopyToAlbum::summary() const
{
    QStringList out{QStringLiteral("Songs read: %1").arg(recordsRead()),
                    QStringLiteral("Albums made: %1").arg(m_added),
                    QStringLiteral("Songs linked to the albums made: %1").arg(recordsWritten()),
                    QStringLiteral("Songs left, on an album already: %1").arg(m_linkedAlready),
                    QStringLiteral("Songs left, no album name: %1").arg(m_withoutAlbum),
                    QStringLiteral("Songs left, their album exists (Test Album Database Link "
                                   "Integrity links them): %1")
                        .arg(m_albumExists)};
    if (m_addRefused > 0)
        out << QStringLiteral("Albums that could not be added: %1").arg(m_addRefused);
    return out;
}

} // namespace melodex
